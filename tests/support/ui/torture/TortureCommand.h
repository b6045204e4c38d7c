#pragma once

#include "support/ui/torture/TortureLog.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// One batch command of a torture run: what it was asked to do, and how its process ended.
namespace tovin::test::torture {

enum class CommandKind { Import, BulkEdit, Undo, Export, Report, Pages, Backup, Restore, History };

QString kindName(CommandKind kind);
std::optional<CommandKind> kindFromName(const QString& name);
// Commands that write to the catalogue through a run of the journal.
bool writesRuns(CommandKind kind);

struct Command {
    int id = 0;
    CommandKind kind = CommandKind::History;
    int family = -1; // import, bulk edit: the family of products written
    int version = 0; // import: the version of the family's file
    int count = 0;   // import: the items of the file
    bool editOnly = false;
    int target = -1; // undo: the command whose run is taken back; restore: the backup used
    int killMs = -1; // killed outright this long after its start (-1: left to end)
    QString report;  // report: the report's name

    Entry toEntry() const;
    static std::optional<Command> fromEntry(const Entry& entry);
    // "import 12 (family 3 v2, 800 items, edit only)"
    QString describe() const;
};

// The program the commands run: TORTURE_PROGRAM when set (a copy of the program folder that
// builds of the shared tree do not replace under a long run), else the one built beside the test.
QString programPath();
// Runs the program with these arguments until it ends (at most two minutes); its exit status
// (-1 for a crash or a start that failed), standard output and error.
struct Ran {
    int status = -1;
    QString out;
    QString err;
};
Ran runToEnd(const QStringList& arguments);

// A command's process and how it ended.
struct Launched {
    Command command;
    QStringList arguments;
    std::unique_ptr<QProcess> process;
    QElapsedTimer clock;
    bool killed = false;  // the kill reached it while it ran
    bool skipped = false; // what it needed was not there (a replay whose runs went otherwise)
    bool ended = false;
    int status = -1; // exit status, -1 for a crash
    bool crashed = false;
    QString out;
    QString err;
    qint64 targetRun = 0; // undo: the run number taken back
    QString file;         // the file it wrote or read (supplier file, copy, export, PDF)
    // On a server: when it started and ended (milliseconds of the run's clock), and what cut
    // its connection while it ran ("" when nothing did): its backend ended, a server restart.
    qint64 startedAt = -1;
    qint64 endedAt = -1;
    QString cut;

    bool succeeded() const { return ended && !crashed && status == 0; }
};

} // namespace tovin::test::torture
