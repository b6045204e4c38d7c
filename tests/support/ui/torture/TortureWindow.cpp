#include "support/ui/torture/TortureWindow.h"

#include "core/backup/CatalogueBackup.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/storage/CatalogueChanges.h"
#include "core/storage/CatalogueLocation.h"
#include "support/core/CliRun.h"
#include "support/ui/torture/TortureCommand.h"
#include "ui/data/RecordScreen.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

namespace {

// The window may come to name its server catalogue another way than the run does (the shared
// catalogue dialog writes the socket folder percent-encoded): the same catalogue either way.
bool sameCatalogue(const QString& one, const QString& other) {
    return one == other ||
           QUrl::fromPercentEncoding(one.toUtf8()) == QUrl::fromPercentEncoding(other.toUtf8());
}

// A stock number an export's condition can quote as it is.
bool plainStockNumber(const QString& stockNo) {
    if (stockNo.isEmpty() || stockNo.startsWith(u'T') || stockNo.size() > 20)
        return false;
    return std::all_of(stockNo.cbegin(), stockNo.cend(),
                       [](QChar c) { return c.isLetterOrNumber() || c == u'-'; });
}

} // namespace

Window::Window(FrmMain& main, QString folder, QString catalogue, QString work)
    : m_main(main), m_folder(std::move(folder)), m_catalogue(std::move(catalogue)),
      m_work(std::move(work)), m_server(CatalogueLocation::isServer(m_catalogue)) {
    const QString identity = m_server ? CatalogueLocation::withoutPassword(m_catalogue)
                                      : CatalogueChanges::identity(m_catalogue);
    connect(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged, this,
            [this, identity](const QString& catalogue, const QString& table,
                             const QList<qint64>& rows) {
                // On a server the other programs' writes are told here too, and cannot be told
                // from the window's own: only those told while the window works count.
                if (sameCatalogue(catalogue, identity) &&
                    table.compare(u"Products"_s, Qt::CaseInsensitive) == 0 &&
                    (!m_server || m_working))
                    m_written << rows;
            });
}

namespace {

void dumpMainThread() {
    std::printf("  the window seems stuck; its main thread:\n");
    std::fflush(stdout);
    const QByteArray command = "gdb -p " + QByteArray::number(::getpid()) +
                               " -batch -ex 'thread 1' -ex 'bt 40' 2>/dev/null | grep '^#'";
    if (std::system(command.constData()) != 0)
        std::printf("  (gdb could not tell)\n");
    std::fflush(stdout);
}

} // namespace

monkey::RunResult Window::monkeySteps(quint64 seed, int steps,
                                      const std::optional<monkey::Replay>& replay,
                                      QList<monkey::LogLine>& lines) {
    monkey::RunOptions options;
    options.seed = seed;
    options.steps = steps;
    options.hangSeconds = 90;
    options.replay = replay;
    options.replayOut = m_work + u"/monkey-stretch.replay"_s;
    options.keepScreens = true;
    options.keepReplay = true;
    // Other programs change the catalogue under the screens: what it holds is judged by the
    // torture run's own rules.
    options.catalogueChecks = false;
    options.leaveBackupsAlone = true;
    m_working = true;
    // A step the monkey's watchdog is about to call a hang: where the window is stuck goes to
    // the log first, since the watchdog ends the process.
    std::mutex mutex;
    std::condition_variable wake;
    bool returned = false;
    qsizetype noted = 0; // steps handed to the stuck note already
    std::thread watcher([&] {
        std::unique_lock lock(mutex);
        if (wake.wait_for(lock, std::chrono::seconds(options.hangSeconds - 10),
                          [&] { return returned; }))
            return;
        dumpMainThread();
        // The monkey writes each step before it starts it, so the stuck one is there too.
        monkey::Replay sofar;
        if (m_stuckNote && monkey::readReplay(options.replayOut, sofar)) {
            m_stuckNote(sofar.lines);
            noted = sofar.lines.size();
        }
    });
    const monkey::RunResult result = monkey::run(m_main, m_folder, options);
    {
        const std::lock_guard lock(mutex);
        returned = true;
    }
    wake.notify_all();
    watcher.join();
    m_working = false;
    monkey::Replay written;
    if (monkey::readReplay(options.replayOut, written))
        lines = written.lines.mid(noted);
    QFile::remove(options.replayOut);
    return result;
}

void Window::closeScreens() {
    ChildWindows::unloadAll();
}

void Window::openProducts() {
    m_main.openChildScreen(u"Products"_s, u"mnuDataProducts"_s);
}

QString Window::backUp() {
    try {
        return u"the window's copy "_s + CatalogueBackup::write(m_catalogue,
                                                                CatalogueBackup::today(),
                                                                m_work + u"/window-copies"_s);
    } catch (const RunTimeError& error) {
        // A backup that fails is told and the work goes on, in the window as here.
        return u"the window's backup failed: "_s + error.description();
    }
}

QStringList Window::deletedDescriptors() const {
    QStringList deleted;
    const QDir fds(u"/proc/self/fd"_s);
    for (const QString& name : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        char target[4096];
        const QByteArray link = fds.filePath(name).toLocal8Bit();
        const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
        if (length <= 0)
            continue;
        const QString path = QString::fromLocal8Bit(target, length);
        if (path.startsWith(m_catalogue) && path.endsWith(u" (deleted)"_s))
            deleted << u"descriptor %1 -> %2"_s.arg(name, path);
    }
    return deleted;
}

std::optional<QString> Window::writeNoteThroughScreen(const QString& text) {
    auto* screen = qobject_cast<RecordScreen*>(ChildWindows::find(u"Products"_s));
    RecordSet* set = screen ? screen->primaryRecordSet() : nullptr;
    if (!set || !set->isOpen() || screen->inEditMode() || set->isDirty() || !set->hasCurrentRow() ||
        !sameCatalogue(set->connection()->path(), m_catalogue)) {
        if (screen)
            std::printf("  the Products screen is not idle on the catalogue (%s)\n",
                        !set || !set->isOpen()  ? "no open record set"
                        : screen->inEditMode()  ? "editing"
                        : set->isDirty()        ? "unsaved changes"
                        : !set->hasCurrentRow() ? "no current row"
                                                : qPrintable(set->connection()->path()));
        return std::nullopt;
    }
    const QString stockNo = set->value(u"StockNo"_s).toString();
    if (!plainStockNumber(stockNo))
        return std::nullopt;
    set->setValue(u"Notes"_s, text);
    set->update();
    return stockNo;
}

QString Window::writeNoteOwnRecordSet(const QString& text) {
    CatalogueDatabase db(m_catalogue);
    const QString stockNo =
        db.scalar(u"SELECT StockNo FROM Products WHERE StockNo < 'T' ORDER BY StockNo"_s)
            .toString();
    if (!plainStockNumber(stockNo))
        return QString();
    RecordSet set;
    set.open(u"Products"_s, db);
    set.setFilter(u"StockNo = '"_s + stockNo + u'\'');
    if (!set.hasCurrentRow())
        return QString();
    set.setValue(u"Notes"_s, text);
    set.update();
    return stockNo;
}

QStringList Window::noteSeenByAnotherProcess(const QString& text) {
    QString stockNo;
    QString how = u"the Products screen"_s;
    try {
        if (const std::optional<QString> written = writeNoteThroughScreen(text)) {
            stockNo = *written;
        } else {
            how = u"a record set of the window's process"_s;
            stockNo = writeNoteOwnRecordSet(text);
        }
    } catch (const std::exception& error) {
        std::printf("  window note not written: %s\n", error.what());
        return {};
    } catch (...) {
        // The window refused the write (the catalogue busy with another program's write, or
        // the monkey left the row locked): nothing to read back.
        return {};
    }
    if (stockNo.isEmpty())
        return {};
    const QString out = m_work + u"/note-%1.csv"_s.arg(++m_notes);
    const Ran exported =
        runToEnd({u"export"_s, u"--db"_s, m_catalogue, u"--out"_s, out, u"--columns"_s, u"2,29"_s,
                  u"--where"_s, u"StockNo = '"_s + stockNo + u'\''});
    if (exported.status != 0)
        return {u"the export of the window's note ended with status %1: %2"_s.arg(exported.status)
                    .arg(exported.err.trimmed())};
    if (!QString::fromUtf8(fileBytes(out)).contains(text))
        return {u"%1 wrote the note \"%2\" into %3, and another process does not see it "_s
                u"(it reads: %4)"_s.arg(how, text, stockNo,
                                        QString::fromUtf8(fileBytes(out)).trimmed().left(200))};
    QFile::remove(out);
    std::printf("  window note on %s, written through %s, seen by an export\n", qPrintable(stockNo),
                qPrintable(how));
    std::fflush(stdout);
    return {};
}

QStringList Window::hearsAnotherProcess() {
    if (!m_server)
        return {};
    if (!ChildWindows::find(u"Products"_s)) {
        std::printf("  the window has no Products screen open to hear other programs\n");
        return {};
    }
    QString stockNo;
    qint64 row = 0;
    {
        CatalogueDatabase db(m_catalogue);
        // The second plain stock number: the first is where the window writes its notes.
        StorageStatement& query =
            db.run(u"SELECT StockNo, rowid FROM Products WHERE StockNo < 'T' ORDER BY StockNo"_s);
        for (int plain = 0; plain < 2 && query.next();)
            if (plainStockNumber(query.value(0).toString()) && ++plain == 2) {
                stockNo = query.value(0).toString();
                row = query.value(1).toLongLong();
            }
    }
    if (stockNo.isEmpty())
        return {};
    bool told = false;
    const QString identity = CatalogueLocation::withoutPassword(m_catalogue);
    const QMetaObject::Connection listening =
        connect(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged, this,
                [&](const QString& catalogue, const QString& table, const QList<qint64>& rows) {
                    told = told || (sameCatalogue(catalogue, identity) &&
                                    table.compare(u"Products"_s, Qt::CaseInsensitive) == 0 &&
                                    rows.contains(row));
                });
    // A window whose connection was cut misses notices sent before it listens again; once it is
    // back it reads every row again, which brings the edit in as surely as the notice would.
    bool readAgain = false;
    const QMetaObject::Connection back =
        connect(&CatalogueChanges::instance(), &CatalogueChanges::connectionBack, this,
                [&](const QString& catalogue) {
                    readAgain = readAgain || sameCatalogue(catalogue, identity);
                    told = told || readAgain;
                });
    const Ran edited = runToEnd({u"bulk-edit"_s, u"--db"_s, m_catalogue, u"--where"_s,
                                 u"StockNo = '"_s + stockNo + u'\'', u"--set"_s,
                                 u"Notes=heard-%1"_s.arg(++m_notes)});
    // Told within half a minute, or not at all: the notice travels as soon as the edit commits.
    QElapsedTimer waited;
    waited.start();
    while (edited.status == 0 && !told && waited.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    disconnect(listening);
    disconnect(back);
    if (edited.status != 0)
        return {u"the edit of %1 in another process ended with status %2: %3"_s.arg(stockNo)
                    .arg(edited.status)
                    .arg(edited.err.trimmed())};
    if (!told)
        return {u"another process changed %1, and the window's process was not told within "_s
                u"30 s (its Products screen is open)"_s.arg(stockNo)};
    std::printf(readAgain ? "  the window read every row again after its connection came back "
                            "(another process edited %s meanwhile)\n"
                          : "  the window heard of another process's edit of %s\n",
                qPrintable(stockNo));
    std::fflush(stdout);
    return {};
}

QList<qint64> Window::takeWrittenRows() {
    return std::exchange(m_written, {});
}

} // namespace tovin::test::torture
