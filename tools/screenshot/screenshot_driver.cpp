// tovra-screenshot-driver: opens the main window as the program does, picks
// the input files given on the command line through the "Input File(s)"
// button, presses "Go", and prints "WINDOW <id>" once the run is over so that
// a script can photograph the window. Ends after a few seconds on its own
// (or at once when the window is closed).
//
// Usage: tovra-screenshot-driver SETTINGS_FILE FILE...
// The settings file should be a fresh one; its "OutFolder" says where the
// converted files go.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "app/application_title.h"
#include "app/form1.h"
#include "app/qt_dialogs.h"

namespace {

// The real dialogs, except that the input file chooser answers with the
// files of the command line.
class DriverDialogs : public tovra::TQtDialogs {
public:
    explicit DriverDialogs(std::vector<std::string> files) : files_(std::move(files)) {}
    std::optional<std::vector<std::string>> ChooseFiles(const tovra::TOpenDialog& dialog) override {
        if (dialog.Name == "OpenDialog1") return files_;
        return TQtDialogs::ChooseFiles(dialog);
    }

private:
    std::vector<std::string> files_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: tovra-screenshot-driver SETTINGS_FILE FILE...\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovra"));
    tovra::SetApplicationTitle(tovra::kApplicationTitle);

    DriverDialogs dialogs(std::vector<std::string>(argv + 2, argv + argc));
    tovra::TForm1 Form1(dialogs, argv[1]);
    dialogs.SetParent(&Form1);
    QObject::connect(&Form1, &tovra::TForm1::StartupEnded, &Form1, [&Form1] {
        if (!Form1.Module) return;
        Form1.ButtonChooseInput->click();
        Form1.ButtonGo->click();
        // Let the window paint the finished log before it is photographed.
        QTimer::singleShot(500, &Form1, [&Form1] {
            std::printf("WINDOW %llu\n", static_cast<unsigned long long>(Form1.winId()));
            std::fflush(stdout);
        });
        QTimer::singleShot(15000, &Form1, [] { QCoreApplication::exit(0); });
    }, Qt::QueuedConnection);
    Form1.show();
    return QApplication::exec();
}
