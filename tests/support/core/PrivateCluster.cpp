#include "support/core/PrivateCluster.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test {

namespace {

QString clusterScript() {
    return QStringLiteral(TOVIN_TEST_SOURCE_DIR "/../scripts/pg-cluster.sh");
}

QString postgresProgram(const QString& name) {
    const QStringList versions =
        QDir(u"/usr/lib/postgresql"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return versions.isEmpty() ? QString()
                              : u"/usr/lib/postgresql/"_s + versions.last() + u"/bin/"_s + name;
}

// Runs a command as the server's owner (postgres when the test runs as root).
bool runAsOwner(const QStringList& command) {
    QProcess process;
    if (geteuid() == 0)
        process.start(u"runuser"_s, QStringList{u"-u"_s, u"postgres"_s, u"--"_s} + command);
    else
        process.start(command.first(), command.mid(1));
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

PrivateCluster::PrivateCluster() {
    QProcess cluster;
    cluster.start(clusterScript(), {u"start"_s});
    cluster.waitForFinished(180000);
    const QStringList lines =
        QString::fromUtf8(cluster.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (cluster.exitCode() != 0 || lines.size() < 2) {
        m_error = QString::fromUtf8(cluster.readAllStandardError());
        return;
    }
    m_folder = lines.at(0).trimmed();
    QFile socket(m_folder + u"/socket-folder"_s);
    if (!socket.open(QIODevice::ReadOnly)) {
        m_error = u"no socket folder in "_s + m_folder;
        return;
    }
    m_socket = QString::fromUtf8(socket.readAll()).trimmed();
    m_uri = lines.at(1).trimmed();
    QProcess::startDetached(u"sh"_s,
                            {u"-c"_s,
                             u"while kill -0 \"$1\" 2>/dev/null; do sleep 2; done; "
                             u"[ -d \"$3\" ] && \"$2\" stop \"$3\" >/dev/null 2>&1"_s,
                             u"watch"_s, QString::number(QCoreApplication::applicationPid()),
                             clusterScript(), m_folder});
}

PrivateCluster::~PrivateCluster() {
    if (!m_folder.isEmpty())
        QProcess::execute(clusterScript(), {u"stop"_s, m_folder});
}

bool PrivateCluster::stopServer() {
    return runAsOwner({postgresProgram(u"pg_ctl"_s), u"-D"_s, m_folder + u"/data"_s, u"-m"_s,
                       u"fast"_s, u"-w"_s, u"stop"_s});
}

bool PrivateCluster::startServer() {
    return runAsOwner({postgresProgram(u"pg_ctl"_s), u"-D"_s, m_folder + u"/data"_s, u"-l"_s,
                       m_folder + u"/server.log"_s, u"-w"_s, u"-o"_s,
                       u"-k "_s + m_socket + u" -c listen_addresses=''"_s, u"start"_s});
}

bool PrivateCluster::requirePassword(const QString& user) {
    QFile rules(m_folder + u"/data/pg_hba.conf"_s);
    if (!rules.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    rules.write((u"local all "_s + user + u" scram-sha-256\nlocal all all trust\n"_s).toUtf8());
    rules.close();
    return runAsOwner({postgresProgram(u"pg_ctl"_s), u"-D"_s, m_folder + u"/data"_s, u"reload"_s});
}

} // namespace tovin::test
