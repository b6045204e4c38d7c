#include "core/catalogue/FileChangePoller.h"

#include "core/base/RunTimeError.h"
#include "core/files/OpenCatalogues.h"
#include "core/storage/CatalogueChanges.h"
#include "core/storage/CatalogueLocation.h"
#include "core/storage/SqliteConnection.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FileChangePoller::FileChangePoller(QObject* parent) : QObject(parent) {
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &FileChangePoller::check);
    connect(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged, this,
            [this](const QString& catalogue) { ownRowsWritten(catalogue); });
}

FileChangePoller::~FileChangePoller() {
    disconnectFromFile();
}

void FileChangePoller::follow(const QString& location) {
    // The same catalogue opened again keeps the version seen, so a write made just before is
    // still noticed.
    const bool file = !location.isEmpty() && !CatalogueLocation::isServer(location);
    if (file && isFollowing() && CatalogueChanges::identity(location) == m_identity)
        return;
    disconnectFromFile();
    m_timer.stop();
    m_path.clear();
    m_identity.clear();
    // A server tells of other computers' writes itself.
    if (!file)
        return;
    m_path = location;
    m_identity = CatalogueChanges::identity(location);
    m_timer.start();
    // The sooner the version is first read, the fewer writes can slip in between the screens'
    // reading and the poller's.
    check();
}

void FileChangePoller::holdOff() {
    ++m_holds;
    disconnectFromFile();
}

void FileChangePoller::resume() {
    if (m_holds > 0)
        --m_holds;
}

void FileChangePoller::check() {
    if (m_path.isEmpty())
        return;
    // With no screen on the catalogue there is nothing to read again, and a connection kept
    // open here would keep a restore from having the file alone.
    if (m_holds > 0 || !othersHoldIt()) {
        disconnectFromFile();
        emit looked(false);
        return;
    }
    if (!m_connection) {
        connectToFile();
        emit looked(false);
        return;
    }
    qint64 version = 0;
    // A version that cannot be read now (the file held for a restore) is asked again next time;
    // the screens say themselves why they cannot read.
    const bool changed = readVersion(version) && version != m_seen;
    if (changed) {
        m_seen = version;
        emit CatalogueChanges::instance().connectionBack(m_identity);
    }
    emit looked(changed);
}

void FileChangePoller::connectToFile() {
    QString failure;
    std::unique_ptr<SqliteConnection> connection =
        SqliteConnection::open(m_path, SqliteConnection::OpenMode::ReadOnly, failure);
    if (!connection)
        return;
    // Listed like every connection of the program, so nothing opens the file but SQLite.
    OpenCatalogues::opened(m_path);
    m_connection = std::move(connection);
    try {
        m_version = m_connection->prepare(u"PRAGMA data_version"_s);
    } catch (const RunTimeError&) {
        disconnectFromFile();
        return;
    }
    if (!readVersion(m_seen))
        disconnectFromFile();
}

void FileChangePoller::disconnectFromFile() {
    m_version.reset();
    if (!m_connection)
        return;
    m_connection.reset();
    OpenCatalogues::closed(m_path);
}

bool FileChangePoller::othersHoldIt() const {
    int holders = 0;
    for (const QString& path : OpenCatalogues::all())
        if (CatalogueChanges::identity(path) == m_identity)
            ++holders;
    return holders > (m_connection ? 1 : 0);
}

bool FileChangePoller::readVersion(qint64& version) {
    if (!m_version)
        return false;
    try {
        const bool read = m_version->next();
        if (read)
            version = m_version->integer(0);
        // The read transaction ends here: a connection left reading would keep its snapshot
        // and never see another commit.
        m_version->reset();
        return read;
    } catch (const RunTimeError&) {
        return false;
    }
}

// The version read after the program's own commit takes that commit in, so it is not taken for
// another program's. A commit another program made since the last look is taken in with it and
// missed until its next one: the price of not reading every view again after each own write.
void FileChangePoller::ownRowsWritten(const QString& catalogue) {
    if (catalogue != m_identity || !m_connection)
        return;
    qint64 version = 0;
    if (readVersion(version))
        m_seen = version;
}

} // namespace tovin
