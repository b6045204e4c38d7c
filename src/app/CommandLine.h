#pragma once

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
};

// The commands the program knows, in the order --help lists them.
const QList<BatchCommand>& batchCommands();

// Exit statuses of the batch commands.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 2;

// Handles the whole command line. Returns -1 when the windowed program should start.
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The help text of the program.
QString programHelp();

} // namespace tovin
