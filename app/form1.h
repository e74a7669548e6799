// The main window: input files, output folder, the font option, "Go" and the
// status log. It owns what the conversion engine works with (the selected
// files, the reference module, the status log, the rich-text document) and
// runs the start-up sequence that loads the reference module at the first
// idle moment after it is shown.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application_events.h"
#include "app/choosers.h"
#include "app/form_state.h"
#include "app/memo_log.h"
#include "app/version_info.h"
#include "engine/conversion_run.h"
#include "engine/store_settings.h"
#include "platform/settings_store.h"
#include "refbible/module.h"
#include "richtext/rich_doc.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tovra {

class TDialogs;

// The introduction the status log shows before the first run.
extern const char* const kIntroduction[];
extern const size_t kIntroductionLines;

inline constexpr char kModuleRequiredMessage[] =
    "tovra Requires the Lectern 5 KJV Bible Module to function. In the next window, please specify the "
    "location of kjv.lt5bible.";

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // `settingsFile` selects the settings store's file; "" is the current
    // user's default store.
    explicit TForm1(TDialogs& dialogs, const std::string& settingsFile = std::string(),
                    QWidget* parent = nullptr);
    ~TForm1() override;  // FormDestroy

    // Components.
    QPushButton* ButtonChooseInput;
    QPlainTextEdit* MemoInFileList;
    QPushButton* ButtonOutFolder;
    QLabel* LabelOutFolder;
    QCheckBox* CheckBoxRemoveFont;
    QPushButton* ButtonGo;
    QPlainTextEdit* MemoStatus;
    TOpenDialog OpenDialog1;
    TOpenDialog OpenDialogLTKJV;
    TSelectFolderDialog SelectFolderDialog1;
    TSettingsStore RegIniFile1;
    TFormState FormState1;
    TVersionInfo VersionInfo1;
    TRichDoc RichDoc1;          // hidden; the engine converts every entry through it
    TRDStyle* const RDStyle1;   // RichDoc1's style sheet
    TApplicationEvents ApplicationEvents1;

    // Fields.
    std::vector<std::string> SelectedFiles;
    std::unique_ptr<TLTBibleModule> Module;
    bool Started = false;

    // Event handlers.
    void ApplicationEvents1Idle();
    void ButtonChooseInputClick();
    void ButtonOutFolderClick();
    void CheckBoxRemoveFontClick();
    void ButtonGoClick();

    // The start-up sequence's module step: sets Module, or ends the program.
    void LoadReferenceModule();

    // The standard error report: the message in an error box captioned with
    // the application title, with a full stop appended where due.
    void ShowErrorReport(const std::string& message);

    // True once start-up has ended the program (the event loop is told to
    // end; the window's close handling does not run).
    bool Terminated() const { return terminated_; }
    // What ending the program does; by default it ends the application's
    // event loop (QCoreApplication::exit). Tests replace it.
    void SetTerminateHandler(std::function<void()> handler) { terminateHandler_ = std::move(handler); }

signals:
    // Start-up has finished: the module is loaded, or the program ends.
    void StartupEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class TRunViewImpl;

    void CreateComponents();
    void FormCreate();
    void Terminate();
    // Runs a handler; an error escaping it is shown by the standard report.
    template <class F>
    void Guarded(F&& handler);

    TDialogs& dialogs_;
    TMemoLog statusLog_;
    TStoreRunSettings runSettings_;
    TConversionEngine engine_;
    bool positioned_ = false;
    bool terminated_ = false;
    std::function<void()> terminateHandler_;
};

}  // namespace tovra
