#pragma once

#include "ui/shell/Startup.h"

#include <QStringList>
#include <QTextStream>

namespace tovin {

// One batch command of the program ("create", "import", ...).
struct BatchCommand {
    QString name;
    QString summary; // one line for --help
    QString usage;   // the full help text of the command
    // Runs with the arguments after the command's name; returns the exit status.
    int (*run)(const QStringList& arguments, QTextStream& out, QTextStream& err);
    // Draws pages (fonts, a PDF): runs with a graphical application on the offscreen platform.
    bool paints = false;
};

// True when the command line names a batch command that draws pages.
bool commandPaints(const QString& name);

// The commands the program knows, in the order --help lists them.
const QList<BatchCommand>& batchCommands();

// Exit statuses of the batch commands.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 2;

// Handles the whole command line. Returns -1 when the windowed program should start; the
// hidden options for pictures of the window then land in `window`, and a catalogue file named
// alone becomes the one it opens.
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   StartOptions* window = nullptr);

// True for an option of the program as a whole that takes a value ("--settings FILE"); such
// options come before a batch command or stand alone for the windowed program.
bool isProgramOption(const QString& option);

// True for an option of the program as a whole that takes no value (--quiet, -q); it may stand
// before or after a batch command.
bool isProgramFlag(const QString& option);

// The first word of the command line that is not a program option: the command, the catalogue
// file the window is to open, or an unknown word; empty when there is none.
QString firstWord(const QStringList& arguments);

// True when the command line starts the window: no command, or only an existing file (the
// catalogue to open).
bool opensWindow(const QStringList& arguments);

// True when a batch command line needs the web engine (printing pages to PDF), so the
// program must start a graphical application for it.
bool needsWebEngine(const QStringList& arguments);

// The help text of the program.
QString programHelp();

} // namespace tovin
