#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// The PostgreSQL cluster of a torture run on a server catalogue: a private one the run starts
// and removes (scripts/pg-cluster.sh), so that its backends can be ended and the server
// stopped and started again without touching any other server.
namespace tovin::test::torture {

class TortureCluster : public QObject {
    Q_OBJECT
public:
    // Starts the cluster; isRunning() tells whether it did, failure() why not.
    TortureCluster();
    // Stops the server and removes the cluster's folders.
    ~TortureCluster() override;

    bool isRunning() const { return !m_folder.isEmpty(); }
    const QString& failure() const { return m_failure; }
    // The catalogue's address: the cluster's first database.
    const QString& uri() const { return m_uri; }

    // Ends one backend of the catalogue's database (pg_terminate_backend), the `pick`-th of
    // them in the order they started (modulo their number). The application name of the
    // backend ended ("" when there was none to end), and why it failed in `problem`.
    QString terminateBackend(quint32 pick, QString* problem);

    // Stops the server (pg_ctl -m fast), waits `pauseMs`, and starts it again, without
    // blocking: restarted() is sent once it accepts connections again (or failed to start, as
    // failure() tells).
    void restart(int pauseMs);
    bool isRestarting() const { return m_restarting; }

signals:
    void restarted(bool ok);

private:
    QStringList asOwner(const QStringList& command) const;
    QStringList pgCtl(const QString& action) const;
    QString psql(const QString& sql, QString* problem) const;
    void startAgain();

    QString m_bin;    // the server's programs
    QString m_folder; // the cluster's folder ("" when not started)
    QString m_socket; // the socket's folder
    QString m_uri;
    QString m_failure;
    bool m_restarting = false;
    std::unique_ptr<QProcess> m_pgCtl;
};

} // namespace tovin::test::torture
