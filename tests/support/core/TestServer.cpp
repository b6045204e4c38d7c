#include "support/core/TestServer.h"

#include "core/storage/PostgresConnection.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test {

namespace {

void runOnCluster(const QString& sql) {
    const auto admin = PostgresConnection::open(clusterUri());
    admin->prepare(sql)->execute();
}

} // namespace

bool onServer() {
    return qEnvironmentVariableIsSet("TOVIN_TEST_SERVER");
}

QString clusterUri() {
    if (const QString uri = qEnvironmentVariable("TOVIN_TEST_PG_URI"); !uri.isEmpty())
        return uri;
    QFile file(QStringLiteral(TOVIN_PG_CLUSTER_FILE));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QList<QByteArray> lines = file.readAll().split('\n');
    return lines.size() > 1 ? QString::fromUtf8(lines.at(1)).trimmed() : QString();
}

ServerDatabase::ServerDatabase()
    : m_name(u"test_"_s + QUuid::createUuid().toString(QUuid::Id128).left(20)) {
    const QString cluster = clusterUri();
    const qsizetype query = cluster.indexOf(u'?');
    const QString base = query < 0 ? cluster : cluster.left(query);
    m_uri = base.left(base.lastIndexOf(u'/') + 1) + m_name +
            (query < 0 ? QString() : cluster.mid(query));
    runOnCluster(u"CREATE DATABASE "_s + m_name);
}

ServerDatabase::~ServerDatabase() {
    try {
        runOnCluster(u"DROP DATABASE IF EXISTS "_s + m_name + u" WITH (FORCE)"_s);
    } catch (...) {
        // A database left behind goes with the cluster.
    }
}

} // namespace tovin::test
