#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace tovin {

class SqliteConnection;
class StorageStatement;

// Notices that another program committed to a catalogue file, which nothing tells this process
// of (a server tells it through its notifications), and then has the open views read again what
// they hold, as when a server connection comes back (CatalogueChanges::connectionBack).
//
// Once a second it asks SQLite, on a small read-only connection of its own, for the file's data
// version, which changes when any other connection commits. The program's own writes are
// announced row by row as they commit (CatalogueChanges::rowsChanged); the version read just
// after such an announcement is taken as the one seen, so they cause no second reading.
//
// Its connection is open only while another connection of this process has the catalogue open
// (a screen showing it), so with no screen open the file is held by nobody here; hold off while
// something needs the catalogue for itself alone (a restore).
class FileChangePoller : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 1000;

    explicit FileChangePoller(QObject* parent = nullptr);
    ~FileChangePoller() override;

    // Follows the catalogue at `location` from now on, and no longer the one before. A server
    // address, or an empty location, follows nothing.
    void follow(const QString& location);
    bool isFollowing() const { return !m_path.isEmpty(); }
    // Whether the poller's own connection to the file is open now.
    bool isConnected() const { return m_connection != nullptr; }

    // While held off (the holds are counted), the poller's connection is closed and stays so.
    void holdOff();
    void resume();

    // Looks once, as the timer does.
    void check();

signals:
    // A look was taken; `changed` when another program had committed since the last one.
    void looked(bool changed);

private:
    void connectToFile();
    void disconnectFromFile();
    // Whether another connection of this process has the followed catalogue open.
    bool othersHoldIt() const;
    // The file's data version on the poller's connection; false when it could not be read.
    bool readVersion(qint64& version);
    void ownRowsWritten(const QString& catalogue);

    QString m_path;     // the followed file, as it was named
    QString m_identity; // its name in CatalogueChanges
    QTimer m_timer;
    int m_holds = 0;
    std::unique_ptr<SqliteConnection> m_connection;
    std::unique_ptr<StorageStatement> m_version;
    qint64 m_seen = 0; // the data version already taken into the views
};

} // namespace tovin
