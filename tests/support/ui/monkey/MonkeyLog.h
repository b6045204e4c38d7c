#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <mutex>
#include <optional>

// The monkey's record of what it did: one line per step and one per answer given to a question
// during that step. The same lines, read back, replay the run.
namespace tovin::test::monkey {

struct LogLine {
    enum class Kind { Step, Prompt };
    Kind kind = Kind::Step;
    QString target; // widget path (step) or prompt kind
    QString action; // click, key, type, ... (step); what was asked (prompt)
    QString value;  // key name, typed text or the prompt's answer

    bool operator==(const LogLine&) const = default;
};

// Tabs, line breaks and the escape sign itself would break a line apart; everything else
// (right-to-left text, emoji, quotes) stays readable in the file.
QString escapeField(const QString& text);
QString unescapeField(const QString& text);

QString toText(const LogLine& line);
// nullopt for a comment, a blank line or a line of no known kind.
std::optional<LogLine> fromText(const QString& text);

struct Replay {
    quint64 seed = 0;
    QList<LogLine> lines;
};
// The lines of a replay file; false when it cannot be read.
bool readReplay(const QString& path, Replay& replay);

// Writes each line as it happens and flushes it, so a run that crashes or hangs leaves the
// steps up to that point behind. Safe to use from the watchdog thread.
class ReplayWriter {
public:
    ReplayWriter(const QString& path, quint64 seed);
    const QString& path() const { return m_path; }
    void add(const LogLine& line);
    // Lines written so far (for a report).
    int count() const;
    // The run passed: nothing to reproduce.
    void discard();

private:
    QString m_path;
    QFile m_file;
    mutable std::mutex m_mutex;
    int m_count = 0;
};

} // namespace tovin::test::monkey
