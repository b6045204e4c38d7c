#pragma once

// A PostgreSQL cluster of one test's own, for what is never done to the shared one: stopping
// and starting its server, asking for passwords.

#include <QString>

namespace tovin::test {

class PrivateCluster {
public:
    // Starts the cluster (scripts/pg-cluster.sh); see error() when it could not. Should the
    // test process end without this object's destructor (an abort), the cluster is removed
    // once the process is gone.
    PrivateCluster();
    ~PrivateCluster();
    PrivateCluster(const PrivateCluster&) = delete;
    PrivateCluster& operator=(const PrivateCluster&) = delete;

    bool isValid() const { return !m_uri.isEmpty(); }
    const QString& error() const { return m_error; }
    // The URI of its database "tovin", as its owner, through its socket folder.
    const QString& uri() const { return m_uri; }
    const QString& socketFolder() const { return m_socket; }

    // pg_ctl -m fast stop, and start again on the same socket folder.
    bool stopServer();
    bool startServer();
    // From now on `user` signs in with a password over the socket; everyone else as before.
    bool requirePassword(const QString& user);

private:
    QString m_folder;
    QString m_uri;
    QString m_socket;
    QString m_error;
};

} // namespace tovin::test
