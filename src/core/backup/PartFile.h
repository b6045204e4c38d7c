#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace tovin {

// A hidden file beside a target that a backup or restore writes before it takes the target's
// name (".NAME.XXXXXX.part"). Its writer holds an exclusive flock on a descriptor of its own for
// as long as the object lives: flock is apart from the database's own locks, and a run that is
// stopped (killed, a timeout) loses it with the process. A file named so that nobody holds is
// therefore a leftover, and removeLeftovers() takes it away with its journals.
class PartFile {
public:
    // Made empty with mode 0600; raises a RunTimeError naming `target` when it cannot be.
    explicit PartFile(const QString& target);
    // Removes the file unless it was put in place.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const QString& path() const { return m_path; }
    // Removes the file and the journals the database may have left beside it.
    void discard();
    // The file has been renamed into place: nothing is removed any more.
    void placed() { m_placed = true; }

    // Removes the hidden part files in `folder` for targets whose names match `targetName`
    // (with their journals) when their writers are no longer running; gives the paths removed.
    static QStringList removeLeftovers(const QString& folder, const QRegularExpression& targetName);

private:
    QString m_path;
    int m_descriptor = -1;
    bool m_placed = false;
};

} // namespace tovin
