#pragma once

#include <QFile>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>
#include <optional>

// The torture run's record of what it did, one line per action; the same lines, read back,
// replay the run. Timing between the programs is not recorded: a replay does the same things in
// the same order, and the processes may interleave differently.
namespace tovin::test::torture {

// One line: a kind ("wave", "cmd", "window", "mstep", ...) and named values.
struct Entry {
    QString kind;
    QList<QPair<QString, QString>> values;

    QString value(const QString& name, const QString& fallback = QString()) const;
    int number(const QString& name, int fallback = -1) const;
    Entry& set(const QString& name, const QString& value);
    Entry& set(const QString& name, qint64 value) { return set(name, QString::number(value)); }
};

QString toText(const Entry& entry);
// nullopt for a comment or a blank line.
std::optional<Entry> entryFromText(const QString& text);

struct Log {
    quint64 seed = 0;
    QList<Entry> entries;
};
// False when the file cannot be read.
bool readLog(const QString& path, Log& log);

// Writes each line as it happens and flushes it, so a run that crashes leaves its actions up to
// that point behind. A window that seems stuck has its steps written from another thread.
class LogWriter {
public:
    LogWriter(const QString& path, quint64 seed);
    const QString& path() const { return m_path; }
    void add(const Entry& entry);
    // The run passed: nothing to reproduce.
    void discard();

private:
    QString m_path;
    QMutex m_mutex;
    QFile m_file;
};

} // namespace tovin::test::torture
