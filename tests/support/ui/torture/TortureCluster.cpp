#include "support/ui/torture/TortureCluster.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

namespace {

// The same server settings scripts/pg-cluster.sh starts it with: nothing needs to survive a
// crash of the machine, and the run opens many connections at once.
const QString ServerOptions =
    u"-c listen_addresses='' -c fsync=off -c full_page_writes=off -c wal_level=minimal "
    u"-c max_wal_senders=0 -c max_wal_size=64MB -c min_wal_size=32MB -c max_connections=200"_s;

QString script() {
    return QStringLiteral(TOVIN_TEST_SOURCE_DIR) + u"/../scripts/pg-cluster.sh"_s;
}

// The newest installed server's programs.
QString serverPrograms() {
    QStringList versions =
        QDir(u"/usr/lib/postgresql"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    return versions.isEmpty() ? QString() : u"/usr/lib/postgresql/%1/bin"_s.arg(versions.last());
}

} // namespace

TortureCluster::TortureCluster() : m_bin(serverPrograms()) {
    QProcess start;
    start.start(u"bash"_s, {script(), u"start"_s});
    if (!start.waitForFinished(120000) || start.exitStatus() != QProcess::NormalExit ||
        start.exitCode() != 0) {
        m_failure = u"the private cluster did not start: "_s +
                    QString::fromUtf8(start.readAllStandardError()).trimmed();
        return;
    }
    const QStringList lines =
        QString::fromUtf8(start.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() < 2) {
        m_failure = u"scripts/pg-cluster.sh start printed no folder and address"_s;
        return;
    }
    m_folder = lines.at(0).trimmed();
    m_uri = lines.at(1).trimmed();
    QFile socket(m_folder + u"/socket-folder"_s);
    if (socket.open(QIODevice::ReadOnly))
        m_socket = QString::fromUtf8(socket.readAll()).trimmed();
    // A run that crashes never reaches the destructor: a watcher of its own removes the cluster
    // once this process is gone, so that no server is left running.
    QProcess::startDetached(
        u"setsid"_s,
        {u"bash"_s, u"-c"_s,
         u"exec >/dev/null 2>&1 </dev/null; while kill -0 \"$1\" 2>/dev/null; do sleep 5; done; "
         u"[ -d \"$3\" ] && bash \"$2\" stop \"$3\""_s,
         u"cluster-watch"_s, QString::number(QCoreApplication::applicationPid()), script(),
         m_folder},
        QString(), nullptr);
}

TortureCluster::~TortureCluster() {
    if (m_pgCtl && m_pgCtl->state() != QProcess::NotRunning)
        m_pgCtl->waitForFinished(120000);
    if (m_folder.isEmpty())
        return;
    QProcess stop;
    stop.start(u"bash"_s, {script(), u"stop"_s, m_folder});
    stop.waitForFinished(120000);
}

QStringList TortureCluster::asOwner(const QStringList& command) const {
    // As root the server runs as "postgres", which PostgreSQL requires.
    if (::geteuid() == 0)
        return QStringList{u"runuser"_s, u"-u"_s, u"postgres"_s, u"--"_s} + command;
    return command;
}

QStringList TortureCluster::pgCtl(const QString& action) const {
    const QString data = m_folder + u"/data"_s;
    if (action == u"stop"_s)
        return asOwner({m_bin + u"/pg_ctl"_s, u"-D"_s, data, u"-m"_s, u"fast"_s, u"-w"_s, action});
    return asOwner({m_bin + u"/pg_ctl"_s, u"-D"_s, data, u"-l"_s, m_folder + u"/server.log"_s,
                    u"-w"_s, u"-o"_s, u"-k "_s + m_socket + u' ' + ServerOptions, action});
}

QString TortureCluster::psql(const QString& sql, QString* problem) const {
    // Through the cluster's own maintenance database, so that this connection is never among
    // the catalogue's backends.
    QString admin = m_uri;
    admin.replace(u"/tovin?"_s, u"/postgres?"_s);
    QProcess process;
    process.start(m_bin + u"/psql"_s, {u"-X"_s, u"-A"_s, u"-t"_s, u"-q"_s, u"-v"_s,
                                       u"ON_ERROR_STOP=1"_s, u"-d"_s, admin, u"-c"_s, sql});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(5000);
        if (problem)
            *problem = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString TortureCluster::terminateBackend(quint32 pick, QString* problem) {
    const QString sql =
        u"WITH b AS (SELECT pid, application_name, row_number() OVER (ORDER BY backend_start, "
        u"pid) - 1 AS n, count(*) OVER () AS c FROM pg_stat_activity WHERE datname = 'tovin' "
        u"AND backend_type = 'client backend' AND pid <> pg_backend_pid()) "
        u"SELECT application_name || '|' || pg_terminate_backend(pid) FROM b WHERE n = %1 % c"_s
            .arg(pick);
    const QString answer = psql(sql, problem);
    return answer.section(u'|', 0, 0);
}

void TortureCluster::restart(int pauseMs) {
    if (m_restarting || m_folder.isEmpty())
        return;
    m_restarting = true;
    m_pgCtl = std::make_unique<QProcess>();
    m_pgCtl->setStandardOutputFile(m_folder + u"/pg_ctl.log"_s, QIODevice::Append);
    m_pgCtl->setStandardErrorFile(m_folder + u"/pg_ctl.log"_s, QIODevice::Append);
    connect(m_pgCtl.get(), &QProcess::finished, this,
            [this, pauseMs] { QTimer::singleShot(pauseMs, this, [this] { startAgain(); }); });
    const QStringList command = pgCtl(u"stop"_s);
    m_pgCtl->start(command.first(), command.mid(1));
}

void TortureCluster::startAgain() {
    m_pgCtl = std::make_unique<QProcess>();
    m_pgCtl->setStandardOutputFile(m_folder + u"/pg_ctl.log"_s, QIODevice::Append);
    m_pgCtl->setStandardErrorFile(m_folder + u"/pg_ctl.log"_s, QIODevice::Append);
    connect(m_pgCtl.get(), &QProcess::finished, this, [this](int code, QProcess::ExitStatus how) {
        m_restarting = false;
        const bool ok = how == QProcess::NormalExit && code == 0;
        if (!ok)
            m_failure = u"the server did not start again (see %1/server.log)"_s.arg(m_folder);
        emit restarted(ok);
    });
    const QStringList command = pgCtl(u"start"_s);
    m_pgCtl->start(command.first(), command.mid(1));
}

} // namespace tovin::test::torture
