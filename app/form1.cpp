#include "app/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <exception>
#include <filesystem>

#include "app/application_title.h"
#include "app/dialogs.h"
#include "app/text_conversion.h"
#include "app/window_font.h"
#include "engine/error_report.h"
#include "engine/settings.h"

namespace tovra {

const char* const kIntroduction[] = {
    "tovra: e-Sword to Loom converter",
    "",
    "Please respect the copyrights and licences that protect the texts you convert. Convert only your own "
    "work, works in the public domain, or texts whose owners allow it.",
    "",
    "tovra lets e-Sword users export their own content, or works in the public domain, to Loom input text "
    "files. Loom compiles these files into modules for the Lectern Bible software; the makers of Lectern "
    "describe Loom on their website.",
    "",
    "e-Sword module files are Microsoft Access database files. e-Sword was neither used nor installed while "
    "tovra was developed; tovra was developed from data files that users supplied. The publisher of e-Sword "
    "neither endorses nor develops tovra.",
    "",
    "tovra uses the Microsoft Jet 4.0 Database Engine to access the database files.",
};
const size_t kIntroductionLines = sizeof kIntroduction / sizeof kIntroduction[0];

namespace {

constexpr int kClientWidth = 537;
constexpr int kClientHeight = 499;

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace

// The window's part of a run: the wait cursor, painting the cleared log, and
// the repaint after each file.
class TForm1::TRunViewImpl : public TRunView {
public:
    explicit TRunViewImpl(TForm1& form) : form_(form) {}
    void BeginWaitCursor() override { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    void EndWaitCursor() override { QGuiApplication::restoreOverrideCursor(); }
    void ProcessPendingMessages() override {
        // Paints the cleared log. User input stays queued until the run is
        // over, so a click cannot start a second run inside this one.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void RepaintNow() override {
        form_.repaint();
        form_.MemoStatus->viewport()->repaint();
    }

private:
    TForm1& form_;
};

template <class F>
void TForm1::Guarded(F&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowErrorReport(e.what());
    }
}

TForm1::TForm1(TDialogs& dialogs, const std::string& settingsFile, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      RegIniFile1(settingsFile.empty() ? TSettingsStore() : TSettingsStore(settingsFile)),
      FormState1(*this, RegIniFile1, dialogs),
      RDStyle1(RichDoc1.Style()),
      ApplicationEvents1(this),
      dialogs_(dialogs),
      runSettings_(RegIniFile1),
      engine_(runSettings_, statusLog_, nullptr, &RichDoc1) {
    setObjectName(QStringLiteral("Form1"));
    CreateComponents();
    statusLog_.Attach(MemoStatus);
    // A damaged settings file reads as empty; say so in the log.
    RegIniFile1.SetWarningHandler([this](const std::string& warning) { statusLog_.Append(warning); });
    connect(&ApplicationEvents1, &TApplicationEvents::Idle, this, &TForm1::ApplicationEvents1Idle);
    Guarded([this] { FormState1.Creating(); });
    FormCreate();
}

TForm1::~TForm1() {
    // FormDestroy.
    SelectedFiles.clear();
    engine_.SetModule(nullptr);
    Module.reset();
}

void TForm1::CreateComponents() {
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    setFont(WindowFont());
    setFixedSize(kClientWidth, kClientHeight);

    auto button = [this](const char* name, const char* caption, const char* hint, QRect geometry) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setToolTip(QString::fromUtf8(hint));
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };
    ButtonChooseInput = button("ButtonChooseInput", "Input File(s)",
                               "Select the database files you wish to convert to Loom input text files.",
                               QRect(8, 8, 90, 25));

    MemoInFileList = new QPlainTextEdit(this);
    MemoInFileList->setObjectName(QStringLiteral("MemoInFileList"));
    MemoInFileList->setGeometry(104, 8, 425, 113);
    MemoInFileList->setReadOnly(true);
    MemoInFileList->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    MemoInFileList->setFocusPolicy(Qt::StrongFocus);
    MemoInFileList->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoInFileList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoInFileList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    {
        QPalette palette = MemoInFileList->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        MemoInFileList->setPalette(palette);
    }
    MemoInFileList->setPlainText(QStringLiteral("<--- select file(s) to convert"));

    ButtonOutFolder = button("ButtonOutFolder", "Output Folder",
                             "Select the folder where the Loom input text files should be saved.",
                             QRect(8, 127, 90, 25));

    LabelOutFolder = new QLabel(this);
    LabelOutFolder->setObjectName(QStringLiteral("LabelOutFolder"));
    LabelOutFolder->setGeometry(104, 132, 425, 13);
    LabelOutFolder->setTextFormat(Qt::PlainText);

    CheckBoxRemoveFont = new QCheckBox(QStringLiteral("Remove Font Declarations"), this);
    CheckBoxRemoveFont->setObjectName(QStringLiteral("CheckBoxRemoveFont"));
    CheckBoxRemoveFont->setGeometry(8, 158, 153, 17);
    CheckBoxRemoveFont->setToolTip(QStringLiteral(
        "Check this if you want tovra to remove font tags from Topics, Dictionariesm, and Commentaries. "
        "(Recommended, unless the text requires special fonts.)"));

    ButtonGo = button("ButtonGo", "Go", "Start conversion.", QRect(8, 181, 90, 25));
    {
        QFont bold = ButtonGo->font();
        bold.setBold(true);
        ButtonGo->setFont(bold);
    }

    MemoStatus = new QPlainTextEdit(this);
    MemoStatus->setObjectName(QStringLiteral("MemoStatus"));
    MemoStatus->setGeometry(8, 212, 521, 279);
    MemoStatus->setReadOnly(true);
    MemoStatus->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    MemoStatus->setFocusPolicy(Qt::StrongFocus);
    MemoStatus->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemoStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    {
        QStringList intro;
        for (size_t i = 0; i < kIntroductionLines; ++i) intro << QString::fromUtf8(kIntroduction[i]);
        MemoStatus->setPlainText(intro.join('\n'));
    }

    // Tab order: the buttons and logs first, the option last.
    CheckBoxRemoveFont->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(ButtonChooseInput, MemoInFileList);
    setTabOrder(MemoInFileList, ButtonOutFolder);
    setTabOrder(ButtonOutFolder, ButtonGo);
    setTabOrder(ButtonGo, MemoStatus);
    setTabOrder(MemoStatus, CheckBoxRemoveFont);

    connect(ButtonChooseInput, &QPushButton::clicked, this, &TForm1::ButtonChooseInputClick);
    connect(ButtonOutFolder, &QPushButton::clicked, this, &TForm1::ButtonOutFolderClick);
    connect(ButtonGo, &QPushButton::clicked, this, &TForm1::ButtonGoClick);
    connect(CheckBoxRemoveFont, &QCheckBox::toggled, this, &TForm1::CheckBoxRemoveFontClick);

    OpenDialog1.Name = "OpenDialog1";
    OpenDialog1.Title = "Select Input File(s)";
    // Every module first, then each generation on its own.
    OpenDialog1.Filter =
        "e-Sword Modules|*.bbl;*.top;*.cmt;*.dct;*.not;*.bblx;*.topx;*.cmtx;*.dctx;*.notx|"
        "e-Sword MS Access Databases|*.bbl;*.top;*.cmt;*.dct; *.not|"
        "e-Sword 9+ SQLite Databases|*.bblx;*.topx;*.cmtx;*.dctx;*.notx|"
        "MS Access Database|*.mdb|All Files|*.*";
    OpenDialog1.FilterIndex = 1;
    OpenDialog1.AllowMultiSelect = true;
    OpenDialog1.FileMustExist = true;
    OpenDialog1.PathMustExist = true;
    OpenDialog1.HideReadOnly = true;
    OpenDialog1.EnableSizing = true;

    OpenDialogLTKJV.Name = "OpenDialogLTKJV";
    OpenDialogLTKJV.Title = "Locate Lectern 5 KJV Module File";
    OpenDialogLTKJV.Filter = "Lectern 5 KJV Module|kjv.lt5bible";
    OpenDialogLTKJV.FilterIndex = 1;
    OpenDialogLTKJV.FileMustExist = true;
    OpenDialogLTKJV.HideReadOnly = true;
    OpenDialogLTKJV.EnableSizing = true;

    SelectFolderDialog1.Name = "SelectFolderDialog1";
    SelectFolderDialog1.Title = "Select Output Folder";
    SelectFolderDialog1.NewFolderButton = true;
    SelectFolderDialog1.DeleteFolderButton = true;
    SelectFolderDialog1.ContextMenus = true;
    SelectFolderDialog1.VirtualFolders = true;
}

void TForm1::FormCreate() {
    SelectedFiles.clear();
    Guarded([this] { LabelOutFolder->setText(ToQString(ReadOutFolder(RegIniFile1))); });
    statusLog_.Append("");
    statusLog_.Append("==========");
    statusLog_.Append("Version " + VersionInfo1.FileVersion());
    setWindowTitle(windowTitle() + QLatin1Char(' ') + ToQString(VersionInfo1.FileVersion()));
    // The box starts unchecked: applying true is a change, and the change
    // stores "RemoveFonts" again.
    bool removeFonts = true;
    Guarded([&] { removeFonts = ReadRemoveFonts(RegIniFile1); });
    CheckBoxRemoveFont->setChecked(removeFonts);
    Started = false;
}

void TForm1::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (!positioned_) {
            positioned_ = true;
            if (!FormState1.RestoresPosition()) {
                const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
                if (screen) {
                    const QRect area = screen->availableGeometry();
                    const QSize outer = frameGeometry().size();
                    move(area.x() + (area.width() - outer.width()) / 2,
                         area.y() + (area.height() - outer.height()) / 2);
                }
            }
        }
        Guarded([this] { FormState1.Showing(); });
        ApplicationEvents1.Enable();
    }
    QWidget::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!terminated_) FormState1.Closing();
    QWidget::closeEvent(event);
}

void TForm1::ApplicationEvents1Idle() {
    if (Started) return;
    Started = true;
    LoadReferenceModule();
}

void TForm1::LoadReferenceModule() {
    std::string path;
    try {
        path = ReadLT5Bible(RegIniFile1);
    } catch (const std::exception& e) {
        // The stored value is unusable; look at the default path instead.
        ShowErrorReport(e.what());
        path = DefaultLT5BiblePath();
    }

    if (!IsFile(path)) {
        dialogs_.ShowMessage(kModuleRequiredMessage);
        if (!OpenDialogLTKJV.Execute(dialogs_)) {
            Terminate();
            return;
        }
        path = OpenDialogLTKJV.FileName();
        // A store that cannot keep the path only costs the question at the
        // next start; the chosen module is still loaded.
        Guarded([&] { WriteLT5Bible(RegIniFile1, path); });
    }

    try {
        Module = std::make_unique<TLTBibleModule>(path);
    } catch (const std::exception& e) {
        dialogs_.ShowMessage(e.what());
        Guarded([this] { DeleteLT5Bible(RegIniFile1); });
        Terminate();
        return;
    }
    engine_.SetModule(Module.get());
    statusLog_.Append("LT5 KJV Module loaded: " + path);
    emit StartupEnded();
}

void TForm1::Terminate() {
    terminated_ = true;
    // The event loop ends once the current handler has returned; the window
    // is then destroyed without its close handling.
    if (terminateHandler_) {
        terminateHandler_();
    } else {
        QCoreApplication::exit(0);
    }
    emit StartupEnded();
}

void TForm1::ButtonChooseInputClick() {
    Guarded([this] {
        if (!OpenDialog1.Execute(dialogs_)) return;
        SelectedFiles = OpenDialog1.Files;
        QStringList lines;
        for (const std::string& file : SelectedFiles) lines << ToQString(file);
        MemoInFileList->setPlainText(lines.join('\n'));
    });
}

void TForm1::ButtonOutFolderClick() {
    Guarded([this] {
        SelectFolderDialog1.SelectedFolder = ReadOutFolder(RegIniFile1);
        if (!SelectFolderDialog1.Execute(dialogs_)) return;
        WriteOutFolder(RegIniFile1, SelectFolderDialog1.SelectedFolder);
        LabelOutFolder->setText(ToQString(ReadOutFolder(RegIniFile1)));
    });
}

void TForm1::CheckBoxRemoveFontClick() {
    Guarded([this] { WriteRemoveFonts(RegIniFile1, CheckBoxRemoveFont->isChecked()); });
}

void TForm1::ButtonGoClick() {
    Guarded([this] {
        TRunViewImpl view(*this);
        engine_.Run(SelectedFiles, view);
    });
}

void TForm1::ShowErrorReport(const std::string& message) {
    dialogs_.ShowError(ApplicationTitle(), ErrorReportText(message));
}

}  // namespace tovra
