#include "app/qt_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/application_title.h"
#include "app/file_filter.h"
#include "app/text_conversion.h"

namespace tovra {

void TQtDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(ApplicationTitle()), ToQString(text), QMessageBox::Ok,
                    parent_);
    box.exec();
}

void TQtDialogs::ShowError(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, ToQString(caption), ToQString(text), QMessageBox::Ok, parent_);
    box.exec();
}

std::optional<std::vector<std::string>> TQtDialogs::ChooseFiles(const TOpenDialog& dialog) {
    QFileDialog chooser(parent_, ToQString(dialog.Title));
    chooser.setObjectName(QString::fromStdString(dialog.Name));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's open dialog only accepts existing files in an existing folder,
    // which is what FileMustExist and PathMustExist ask for.
    chooser.setFileMode(dialog.AllowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(dialog.Filter);
    chooser.setNameFilters(filters);
    if (dialog.FilterIndex >= 1 && dialog.FilterIndex <= filters.size())
        chooser.selectNameFilter(filters[dialog.FilterIndex - 1]);
    // There is no read-only box on Qt's chooser; it is resizable by default.
    chooser.setSizeGripEnabled(dialog.EnableSizing);
    if (chooser.exec() != QDialog::Accepted) return std::nullopt;
    std::vector<std::string> files;
    for (const QString& file : chooser.selectedFiles()) {
        const QFileInfo info(file);
        if (dialog.FileMustExist && !info.exists()) continue;
        files.push_back(QFile::encodeName(info.absoluteFilePath()).toStdString());
    }
    if (files.empty()) return std::nullopt;
    return files;
}

std::optional<std::string> TQtDialogs::ChooseFolder(const TSelectFolderDialog& dialog) {
    QFileDialog chooser(parent_, ToQString(dialog.Title));
    chooser.setObjectName(QString::fromStdString(dialog.Name));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::Directory);
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    // Qt's chooser offers "Create New Folder" and, in the context menu of a
    // folder, "Delete"; read-only mode would take both away.
    if (!dialog.NewFolderButton && !dialog.DeleteFolderButton) options |= QFileDialog::ReadOnly;
    chooser.setOptions(options);
    const QString start = QFile::decodeName(QByteArray::fromStdString(dialog.SelectedFolder));
    if (!start.isEmpty() && QFileInfo(start).isDir()) chooser.setDirectory(start);
    if (chooser.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = chooser.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return QFile::encodeName(QDir::cleanPath(QFileInfo(chosen.front()).absoluteFilePath())).toStdString();
}

}  // namespace tovra
