#include "app/form_state.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <exception>

#include "app/application_title.h"
#include "app/dialogs.h"
#include "platform/settings_store.h"

namespace tovra {

TFormState::TFormState(QWidget& form, TSettingsStore& store, TDialogs& dialogs)
    : form_(form), store_(store), dialogs_(dialogs) {}

std::string TFormState::Section() const { return form_.objectName().toStdString() + "FormState"; }

bool TFormState::Creating() {
    restores_ = store_.ReadBool(Section(), "Saved", false);
    return restores_;
}

void TFormState::Showing() {
    if (!restores_) return;
    const std::string section = Section();
    const QPoint current = form_.pos();
    QPoint topLeft(store_.ReadInteger(section, "Left", current.x()), store_.ReadInteger(section, "Top", current.y()));
    // A position on a monitor that is no longer attached would put the window
    // out of reach.
    if (!QGuiApplication::screenAt(topLeft)) topLeft = QPoint(0, 0);
    form_.move(topLeft);
    if (store_.ReadBool(section, "Maximized", false))
        form_.setWindowState(form_.windowState() | Qt::WindowMaximized);
}

void TFormState::Closing() {
    const std::string section = Section();
    try {
        const bool maximized = form_.isMaximized();
        QPoint topLeft = form_.pos();
        if (maximized) {
            // normalGeometry is the client area; keep the frame's corner.
            const QPoint frameOffset = form_.geometry().topLeft() - form_.pos();
            topLeft = form_.normalGeometry().topLeft() - frameOffset;
        }
        store_.WriteBool(section, "Maximized", maximized);
        store_.WriteInteger(section, "Left", topLeft.x());
        store_.WriteInteger(section, "Top", topLeft.y());
        store_.WriteBool(section, "Saved", true);
    } catch (const std::exception& e) {
        dialogs_.ShowError(ApplicationTitle(), e.what());
    }
}

}  // namespace tovra
