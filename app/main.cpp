// tovra: the desktop program. Creates the main window and runs the event loop
// until the window is closed or start-up ends the program.
#include <QApplication>

#include "app/application_title.h"
#include "app/form1.h"
#include "app/qt_dialogs.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovra"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tovra"));
    // Message boxes use the application title as their caption. It is not
    // given to Qt as the display name, which Qt would append to the title of
    // every window.
    tovra::SetApplicationTitle(tovra::kApplicationTitle);

    tovra::TQtDialogs dialogs;
    tovra::TForm1 Form1(dialogs);
    dialogs.SetParent(&Form1);
    Form1.show();
    return QApplication::exec();
}
