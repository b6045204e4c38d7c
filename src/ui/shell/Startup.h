#pragma once

#include <QString>
#include <QStringList>

namespace tovin {

// Hidden start-up options for taking pictures of the program (scripts/screenshot.sh).
struct StartOptions {
    QString openScreen;       // a child screen to open once the main window shows
    QString screenshotFile;   // where to save a picture of the main window
    int quitAfterMs = -1;     // when to take the picture and end (-1: run normally)
    QString webAddress;       // the address the browser screen opens on
    bool largePreview = true; // the Products screen opens with its large preview
    // What a user would do before the picture, half a second apart: "Screen/Control" presses
    // a button of an open screen, "Screen/Control=TEXT" types TEXT into a box of it.
    QStringList actions;
    // Answers for the input boxes (and "Yes", "No" or "OK" for message boxes) the actions
    // raise, in order; once they are used up the real dialogs show.
    QStringList answers;
};

// The program's entry procedure: splash screen, main window and its load, tip of the day, and
// the event loop. Every step that fails is reported under "(Module) Module::Sub Main" and the
// next step runs.
int runProgram(const StartOptions& options = {});

} // namespace tovin
