#pragma once

// The throwaway PostgreSQL cluster the test run starts (see the pg_cluster fixture in
// CMakeLists.txt), and databases of their own on it for single tests.

#include <QString>

namespace tovin::test {

// True when the test runs a second time with its catalogues on the server (a test "_pg").
bool onServer();

// The URI of the cluster's first database, "" when no cluster was started. The environment
// variable TOVIN_TEST_PG_URI names another server.
QString clusterUri();

// A fresh, empty database on the cluster, dropped with this object.
class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    const QString& uri() const { return m_uri; }
    const QString& name() const { return m_name; }

private:
    QString m_name;
    QString m_uri;
};

} // namespace tovin::test
