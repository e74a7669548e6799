// The window position store: keeps a window's position in the settings store,
// in the section named after the window ("Form1" -> "Form1FormState"), and
// restores it when the window is shown again.
//
// Values: "Left" and "Top" (integers: the top-left corner of the window's
// frame in its normal, not maximized, placement), "Maximized" and "Saved"
// (booleans). A fixed-size window keeps no "Right" or "Bottom".
//
// The window calls the three moments before its own handling of them:
// Creating (construction), Showing (each non-spontaneous show event) and
// Closing (a close by the user; not when the program ends on its own).
#pragma once

#include <string>

class QWidget;

namespace tovra {

class TDialogs;
class TSettingsStore;

class TFormState {
public:
    TFormState(QWidget& form, TSettingsStore& store, TDialogs& dialogs);

    std::string Section() const;

    // True when a stored position applies, so the window does not open
    // centred. Reads "Saved".
    bool Creating();
    // Moves the window to the stored position ("Left", "Top"; defaults: where
    // it is), to 0, 0 when no monitor contains that corner, and maximizes it
    // when "Maximized" is stored true. Does nothing unless a position was
    // saved (Creating returned true).
    void Showing();
    // Writes "Maximized", "Left", "Top", then "Saved". A failure of the store
    // is shown as an error message; the window closes all the same.
    void Closing();

    bool RestoresPosition() const { return restores_; }

private:
    QWidget& form_;
    TSettingsStore& store_;
    TDialogs& dialogs_;
    bool restores_ = false;
};

}  // namespace tovra
