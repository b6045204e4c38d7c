#include "core/storage/PostgresConnection.h"

#include "core/storage/CatalogueChanges.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/CatalogueLocation.h"
#include "core/storage/PostgresAddress.h"
#include "core/storage/PostgresChangeCapture.h"
#include "core/storage/PostgresNotices.h"
#include "core/storage/PostgresReconnector.h"
#include "core/storage/PostgresSql.h"
#include "core/storage/PostgresStatement.h"
#include "core/storage/WriterTurn.h"

#include <QAbstractEventDispatcher>
#include <QAtomicInteger>
#include <QSocketNotifier>
#include <QUuid>
#include <cerrno>
#include <libpq-fe.h>
#include <mutex>
#include <poll.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The savepoint every statement inside a transaction runs behind.
constexpr const char* Savepoint = "tovin_statement";

QString serverMessage(const PGresult* result, const PGconn* handle) {
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    QString message = QString::fromUtf8(primary ? primary : PQerrorMessage(handle)).trimmed();
    if (const char* detail = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL) : nullptr)
        message += u" ("_s + QString::fromUtf8(detail).trimmed() + u')';
    return message;
}

// What a server refusal means for the user when it is about the catalogue as a whole rather
// than about one statement's values; empty when it is about the values.
QString plainWordsFor(const QByteArray& state) {
    if (state == "55P03" || state == "40P01")
        return u"Another user kept the catalogue locked; it could not be written."_s;
    if (state == "42501")
        return u"The catalogue server does not give this user the rights this work needs."_s;
    if (state == "53100")
        return u"The disk of the catalogue server is full; nothing more could be written."_s;
    if (state.startsWith("53"))
        return u"The catalogue server had not enough resources to do the work."_s;
    if (state.startsWith("58") || state.startsWith("XX"))
        return u"The catalogue server reported an error of its storage."_s;
    return QString();
}

bool isConnectionLoss(const QByteArray& state) {
    return state.startsWith("08") || state == "57P01" || state == "57P02" || state == "57P03";
}

// What useCatalogueNames was given: the spellings of the catalogue's own tables and columns,
// by their lower-case form, and its test of bookkeeping tables. Written once, before any
// connection exists to read it.
struct KnownNames {
    QHash<QString, QString> spellings;
    bool (*isBookkeepingTable)(const QString& name) = nullptr;
};
KnownNames& knownNames() {
    static KnownNames names;
    return names;
}

// This program's name in the notices its connections send, so it does not tell its own views
// twice of what it wrote.
const QString& programToken() {
    static const QString token = QUuid::createUuid().toString(QUuid::Id128);
    return token;
}

} // namespace

bool PostgresConnection::succeeded(const pg_result* result) {
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

// Back to the savepoint before the statement that failed, so the transaction goes on as the
// file's would.
void PostgresConnection::backToSavepoint() {
    if (PQstatus(m_handle) == CONNECTION_OK)
        const Result undone(PQexec(m_handle, "ROLLBACK TO SAVEPOINT tovin_statement"));
    noticeLoss();
}

void PostgresConnection::ResultDeleter::operator()(pg_result* result) const {
    PQclear(result);
}

namespace {

void quiet(void*, const char*) {}

// The connect wait libpq took from the address (a URI may give its own); -1 for none.
int connectWaitMs(PGconn* handle) {
    int seconds = 0;
    if (PQconninfoOption* options = PQconninfo(handle)) {
        for (PQconninfoOption* option = options; option->keyword; ++option)
            if (qstrcmp(option->keyword, "connect_timeout") == 0 && option->val)
                seconds = QByteArray(option->val).toInt();
        PQconninfoFree(options);
    }
    return seconds > 0 ? seconds * 1000 : -1;
}

} // namespace

// Connects as PQconnectdbParams does, but with the server's notices silenced from the start:
// a backend ended just after it said it was ready sends its farewell while libpq is still
// connecting, and libpq's own notice processor would print it on standard error.
pg_conn* PostgresConnection::connectQuietly(const char* const* keywords, const char* const* values,
                                            bool& timedOut) {
    PGconn* handle = PQconnectStartParams(keywords, values, 1);
    if (!handle || PQstatus(handle) == CONNECTION_BAD)
        return handle;
    PQsetNoticeProcessor(handle, quiet, nullptr);
    const int waitMs = connectWaitMs(handle);
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    while (status != PGRES_POLLING_OK && status != PGRES_POLLING_FAILED) {
        pollfd socket{PQsocket(handle), short(status == PGRES_POLLING_READING ? POLLIN : POLLOUT),
                      0};
        const int ready = ::poll(&socket, 1, waitMs);
        // Given up, the connection left unmade: open() says why.
        timedOut = ready == 0;
        if (ready == 0 || (ready < 0 && errno != EINTR))
            break;
        status = PQconnectPoll(handle);
    }
    return handle;
}

std::unique_ptr<PostgresConnection> PostgresConnection::open(const QString& uri) {
    const QString address = uri.trimmed();
    if (const std::optional<QString> why = PostgresAddress::unreadable(address))
        throw CatalogueFailure(ErrorNumber::CannotOpenDatabase, *why);
    const PostgresAddress::Parameters parameters = PostgresAddress::connectParameters(address);
    std::vector<const char*> keywords;
    std::vector<const char*> values;
    for (const auto& [keyword, value] : parameters) {
        keywords.push_back(keyword.constData());
        values.push_back(value.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    // The address goes as the dbname, which libpq expands into its parts.
    bool timedOut = false;
    PGconn* handle = connectQuietly(keywords.data(), values.data(), timedOut);
    if (!handle || PQstatus(handle) != CONNECTION_OK) {
        QString reason = handle ? PostgresAddress::scrubbed(
                                      QString::fromUtf8(PQerrorMessage(handle)).trimmed(), address)
                                : u"out of memory"_s;
        // A server that never answered in the connect wait leaves libpq without its words.
        if (timedOut)
            reason = (reason.isEmpty() ? QString() : reason + u' ') + u"timeout expired"_s;
        PQfinish(handle);
        throw CatalogueFailure(ErrorNumber::CannotOpenDatabase,
                               u"Could not connect to the catalogue server "_s +
                                   CatalogueLocation::withoutPassword(uri) + u": "_s + reason);
    }
    std::unique_ptr<PostgresConnection> connection(new PostgresConnection(handle, uri));
    connection->setUpSession();
    return connection;
}

PostgresConnection::PostgresConnection(pg_conn* handle, QString uri)
    : m_handle(handle), m_uri(std::move(uri)), m_lockWaitMs(WriterTurn::limitMs()) {
    static QAtomicInteger<qint64> connections;
    m_sender = programToken() + u'/' + QString::number(++connections);
    // The server's notices (a name already there, a cascade) are no business of the user's.
    PQsetNoticeProcessor(handle, quiet, nullptr);
}

std::unique_ptr<ChangeCapture> PostgresConnection::makeChangeCapture() {
    return std::make_unique<PostgresChangeCapture>(*this);
}

PostgresConnection::~PostgresConnection() {
    stopReconnecting();
    m_reconnector.reset();
    forgetLoss();
    m_listener.reset();
    forgetStatements();
    PQfinish(m_handle);
}

QString PostgresConnection::place() const {
    return CatalogueLocation::withoutPassword(m_uri);
}

// Dates read back as ISO texts, as the file keeps them; a lock is waited for only so long.
// Values are read from the server's texts, so the settings that shape those texts are the
// program's, whatever a role or database sets by default: blobs in hex (the escape form would be
// taken for the bytes themselves), floating numbers in as many digits as give the same number
// back (fewer would round every price read and written again); and a NULL in an array written
// as text is a null, not the word (the sets of many rows are written so).
void PostgresConnection::setUpSession() {
    exec(QByteArray("SET client_encoding = 'UTF8'; SET DateStyle = ISO, MDY; "
                    "SET bytea_output = 'hex'; SET extra_float_digits = 3; SET array_nulls = on; "
                    "SET lock_timeout = " +
                    lockTimeout())
             .constData(),
         u"Setting up the connection"_s);
    // Long values (a run's journal above all, hundreds of kilobytes a batch) are compressed
    // with lz4, in a third of the time of the server's own default. A server built without it
    // refuses the setting and keeps its default.
    const Result compression(PQexec(m_handle, "SET default_toast_compression = 'lz4'"));
    const Result result(PQexec(m_handle,
                               "SELECT pg_is_in_recovery() OR "
                               "current_setting('default_transaction_read_only') = 'on'"));
    m_readOnly = succeeded(result.get()) && PQntuples(result.get()) == 1 &&
                 PQgetvalue(result.get(), 0, 0)[0] == 't';
    listen();
}

void PostgresConnection::listen() {
    exec(QByteArray("LISTEN ").append(PostgresNotices::Channel).constData(),
         u"Listening for changes"_s);
    // Without an event loop (a batch command) nobody would be told anyway.
    if (!QAbstractEventDispatcher::instance())
        return;
    if (!m_listener)
        m_listener = std::make_unique<QObject>();
    dropNotifier();
    m_notifier =
        new QSocketNotifier(qintptr(PQsocket(m_handle)), QSocketNotifier::Read, m_listener.get());
    QObject::connect(m_notifier, &QSocketNotifier::activated, m_listener.get(), [this] {
        // A connection the server dropped is made again in the background, or by the next
        // statement if that comes first.
        if (!PQconsumeInput(m_handle) || PQstatus(m_handle) != CONNECTION_OK) {
            connectionGone(lossReason());
            return;
        }
        collectNotices();
    });
    // Notices taken in before the connection was made again are still to be delivered.
    if (!m_received.isEmpty())
        QMetaObject::invokeMethod(
            m_listener.get(), [this] { deliverNotices(); }, Qt::QueuedConnection);
}

void PostgresConnection::dropNotifier() {
    dropSocketNotifier(m_notifier);
}

void PostgresConnection::collectNotices() {
    const bool waiting = !m_received.isEmpty();
    while (PGnotify* notify = PQnotifies(m_handle)) {
        m_received << QByteArray(notify->extra);
        PQfreemem(notify);
    }
    if (!waiting && !m_received.isEmpty() && m_listener)
        QMetaObject::invokeMethod(
            m_listener.get(), [this] { deliverNotices(); }, Qt::QueuedConnection);
}

void PostgresConnection::deliverNotices() {
    const QList<QByteArray> received = std::exchange(m_received, {});
    const QString identity = place();
    const QString ours = programToken() + u'/';
    for (const QByteArray& payload : received) {
        PostgresNotices::Notice notice;
        if (!PostgresNotices::read(payload, notice) || notice.sender.startsWith(ours) ||
            !PostgresNotices::firstSighting(notice))
            continue;
        // Delivered from the event loop, which must never see an error: a view that could not
        // take the change in has kept its own state and tells the user with its next move.
        try {
            emit CatalogueChanges::instance().rowsChanged(identity, notice.table, notice.rows);
        } catch (const std::exception& error) {
            qWarning("A change made elsewhere could not be shown: %s", error.what());
        }
    }
}

void PostgresConnection::sendNotices() {
    const QHash<QString, QList<qint64>> unsent = std::exchange(m_unsent, {});
    for (auto it = unsent.cbegin(); it != unsent.cend(); ++it)
        for (const QByteArray& payload :
             PostgresNotices::payloads(m_sender, m_serial, it.key(), it.value()))
            run("SELECT pg_notify($1, $2)",
                {Parameter{0, PostgresNotices::Channel, false, false},
                 Parameter{0, payload, false, false}},
                u"Telling other computers of the changes"_s);
}

void PostgresConnection::reconnectIfLost() {
    if (PQstatus(m_handle) == CONNECTION_OK)
        return;
    // The server ended the transaction with the connection: its work fails whole, and only
    // the statement after it connects again.
    if (m_inTransaction)
        lost(lossReason());
    stopReconnecting();
    // The connection is made again on a socket of its own.
    dropNotifier();
    PQreset(m_handle);
    if (PQstatus(m_handle) != CONNECTION_OK) {
        // Tried again in the background, as if the listening socket had found it lost.
        const QString reason = lossReason();
        connectionGone(reason);
        throw CatalogueFailure(ErrorNumber::CannotOpenDatabase,
                               u"The catalogue server "_s + place() +
                                   u" could not be reached again: "_s + reason);
    }
    connectionMade();
}

void PostgresConnection::lost(const QString& said) {
    // libpq's own words for a lost connection run over several lines.
    const QString serverMessage = said.simplified();
    // The server ended whatever transaction was open with the connection.
    m_inTransaction = false;
    m_savepointStale = false;
    m_savepointMissing = false;
    m_unsent.clear();
    m_errorText = serverMessage;
    connectionGone(serverMessage);
    throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                           u"The connection to the catalogue server "_s + place() +
                               u" was lost; the work not yet saved was not kept ("_s +
                               serverMessage + u")."_s);
}

void PostgresConnection::raise(pg_result* result, const QString& what) {
    const char* code = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QByteArray state(code ? code : "");
    const QString message = serverMessage(result, m_handle);
    m_errorText = message;
    if (PQstatus(m_handle) != CONNECTION_OK || isConnectionLoss(state))
        lost(message);
    // The server's words for a read-only catalogue name the statement refused, which is no
    // help to the user; the plain words say it all.
    if (state == "25006")
        throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                               u"The catalogue on the server is read-only; it could not be "
                               u"written."_s);
    if (const QString plain = plainWordsFor(state); !plain.isEmpty())
        throw CatalogueFailure(ErrorNumber::DatabaseRefused, plain + u" ("_s + message + u')');
    throw StatementRefused(what, message);
}

void PostgresConnection::refuseWhileAnswering() const {
    if (m_answering)
        throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                               u"The catalogue on the server was asked for more while it was "
                               u"still answering"_s);
}

void PostgresConnection::exec(const char* sql, const QString& what) {
    refuseWhileAnswering();
    const Result result(PQexec(m_handle, sql));
    if (!succeeded(result.get()))
        raise(result.get(), what);
}

PostgresConnection::Result PostgresConnection::run(const QByteArray& sql,
                                                   const std::vector<Parameter>& parameters,
                                                   const QString& what, const Named* named,
                                                   bool binaryResults) {
    refuseWhileAnswering();
    const quint64 session = m_session;
    reconnectIfLost();
    // A connection made again keeps no statement of the one before: it is made anew.
    Named again;
    if (named && session != m_session) {
        again = Named{named->name, true};
        named = &again;
    }
    if (!m_inTransaction)
        dropStatementsLetGo();
    const bool guarded = m_inTransaction;
    const SendArrays arrays(parameters);
    const Call call = arrays.call(sql, named, binaryResults);
    Result result;
    if (guarded && (m_savepointStale || m_savepointMissing)) {
        result = runAfterNewSavepoint(!m_savepointMissing, call);
        m_savepointStale = false;
        m_savepointMissing = false;
    } else {
        result = runNow(call);
    }
    if (succeeded(result.get())) {
        // A statement that only read leaves the savepoint where it was.
        if (guarded && qstrncmp(PQcmdStatus(result.get()), "SELECT", 6) != 0)
            m_savepointStale = true;
        collectNotices();
        return result;
    }
    if (guarded) {
        backToSavepoint();
        m_savepointStale = false;
    }
    raise(result.get(), what);
}

PostgresConnection::Result PostgresConnection::runNow(const Call& call) {
    if (!call.named)
        return Result(PQexecParams(m_handle, call.sql.constData(), call.count, call.types,
                                   call.values, call.lengths, call.formats, call.resultFormat));
    const char* name = call.named->name.constData();
    if (call.named->parse) {
        Result parsed(PQprepare(m_handle, name, call.sql.constData(), call.count, call.types));
        if (!succeeded(parsed.get()))
            return parsed;
    }
    return Result(PQexecPrepared(m_handle, name, call.count, call.values, call.lengths,
                                 call.formats, call.resultFormat));
}

bool PostgresConnection::sendStatement(const Call& call) {
    if (!call.named)
        return PQsendQueryParams(m_handle, call.sql.constData(), call.count, call.types,
                                 call.values, call.lengths, call.formats, call.resultFormat);
    const char* name = call.named->name.constData();
    return (!call.named->parse ||
            PQsendPrepare(m_handle, name, call.sql.constData(), call.count, call.types)) &&
           PQsendQueryPrepared(m_handle, name, call.count, call.values, call.lengths, call.formats,
                               call.resultFormat);
}

void PostgresConnection::dropStatementsLetGo() {
    if (m_letGo->isEmpty())
        return;
    const LetGoList letGo = std::exchange(*m_letGo, {});
    for (const auto& [name, session] : letGo)
        if (session == m_session && PQstatus(m_handle) == CONNECTION_OK)
            const Result dropped(PQexec(m_handle, "DEALLOCATE " + name));
    noticeLoss();
}

// A write inside a transaction leaves the savepoint behind it; moving it on in a round trip of
// its own cost as much again as the next statement, so the two go together in a pipeline.
PostgresConnection::Result PostgresConnection::runAfterNewSavepoint(bool release,
                                                                    const Call& call) {
    if (!PQenterPipelineMode(m_handle)) {
        exec(release ? "RELEASE SAVEPOINT tovin_statement; SAVEPOINT tovin_statement"
                     : "SAVEPOINT tovin_statement",
             u"Marking the transaction"_s);
        return runNow(call);
    }
    const int moves = release ? 2 : 1;
    const int queries = moves + (call.named && call.named->parse ? 2 : 1);
    const bool sent = (!release || PQsendQueryParams(m_handle, "RELEASE SAVEPOINT tovin_statement",
                                                     0, nullptr, nullptr, nullptr, nullptr, 0)) &&
                      PQsendQueryParams(m_handle, "SAVEPOINT tovin_statement", 0, nullptr, nullptr,
                                        nullptr, nullptr, 0) &&
                      sendStatement(call) && PQpipelineSync(m_handle);
    Result failedMove;
    Result statement;
    // Each query's results end with a null, and the sync ends the pipeline. A connection lost
    // on the way gives nulls from then on. Of the statement's own queries (making it, running
    // it) the first that failed tells, else the last.
    int query = 0;
    while (sent) {
        Result one(PQgetResult(m_handle));
        if (!one) {
            if (++query > queries || PQstatus(m_handle) != CONNECTION_OK)
                break;
            continue;
        }
        const ExecStatusType status = PQresultStatus(one.get());
        if (status == PGRES_PIPELINE_SYNC)
            break;
        if (query >= moves) {
            if (!statement || succeeded(statement.get()))
                statement = std::move(one);
        } else if (!failedMove && status != PGRES_COMMAND_OK) {
            failedMove = std::move(one);
        }
    }
    PQexitPipelineMode(m_handle);
    if (!sent || failedMove) {
        backToSavepoint();
        raise(failedMove.get(), u"Marking the transaction"_s);
    }
    return statement;
}

std::unique_ptr<StorageStatement> PostgresConnection::prepare(const QString& sql) {
    return std::make_unique<PostgresStatement>(*this, sql);
}

PostgresConnection::Result PostgresConnection::startTransaction(const QByteArray& sql) {
    Result result(PQexec(m_handle, sql.constData()));
    if (!succeeded(result.get())) {
        // A lock not had in time leaves the transaction begun but refused: ended here, the
        // connection can begin again once the other writer is done.
        if (PQstatus(m_handle) == CONNECTION_OK)
            const Result undone(PQexec(m_handle, "ROLLBACK"));
        raise(result.get(), u"Starting a transaction"_s);
    }
    return result;
}

void PostgresConnection::begin(Intent intent) {
    refuseWhileAnswering();
    reconnectIfLost();
    // A reading transaction sees one state of the catalogue throughout, as the file's does.
    // Writers take turns, one transaction at a time, as they do on a file: a screen's check
    // that its row is unchanged and its write then see the same row, and two imports of the
    // same products cannot both find a product missing and both add it.
    // A writer reads at the level where each statement sees what was committed before it,
    // whatever the database's default: after waiting for its turn it must see the work of the
    // writer before it, not a view from before its wait.
    // The mark tells the journal's trigger that a write belongs to a transaction this program
    // began, which the statement's own timestamps cannot tell when it comes with parameters.
    const QByteArray mark = "; SET LOCAL tovin.transaction = 'on'";
    if (intent == Intent::Read) {
        startTransaction("BEGIN ISOLATION LEVEL REPEATABLE READ" + mark + "; SAVEPOINT " +
                         Savepoint);
        m_savepointMissing = false;
    } else {
        // A turn not had at once is told before it is waited for. The savepoint comes after
        // the turn, so a statement rolled back to it keeps the turn.
        const Result tried = startTransaction("BEGIN ISOLATION LEVEL READ COMMITTED" + mark +
                                              "; SELECT pg_try_advisory_xact_lock(" +
                                              QByteArray::number(WriteTurnKey) + ")");
        if (PQgetvalue(tried.get(), 0, 0)[0] != 't')
            waitForWriteTurn();
        m_savepointMissing = true;
    }
    m_inTransaction = true;
    m_savepointStale = false;
    m_unsent.clear();
}

void PostgresConnection::commit() {
    refuseWhileAnswering();
    if (!m_inTransaction)
        return;
    try {
        sendNotices();
    } catch (...) {
        rollback();
        throw;
    }
    const Result result(PQexec(m_handle, "COMMIT"));
    m_inTransaction = false;
    m_savepointStale = false;
    m_savepointMissing = false;
    if (!succeeded(result.get())) {
        const Result undone(PQexec(m_handle, "ROLLBACK"));
        raise(result.get(), u"Saving the changes"_s);
    }
    writesDone();
}

void PostgresConnection::rollback() {
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    m_savepointStale = false;
    m_savepointMissing = false;
    m_unsent.clear();
    const Result result(PQexec(m_handle, "ROLLBACK"));
    noticeLoss();
}

void PostgresConnection::setLockWait(int milliseconds) {
    m_lockWaitMs = qMax(0, milliseconds);
    if (PQstatus(m_handle) == CONNECTION_OK)
        exec(QByteArray("SET lock_timeout = " + lockTimeout()).constData(),
             u"Setting the lock wait"_s);
}

// The server takes 0 for no limit at all: a wait of none is the shortest it knows.
QByteArray PostgresConnection::lockTimeout() const {
    return QByteArray::number(qMax(1, m_lockWaitMs));
}

void PostgresConnection::copyTo(const QString&) {
    throw RunTimeError(ErrorNumber::DatabaseRefused,
                       u"A catalogue on a server cannot be copied to a file this way."_s);
}

bool PostgresConnection::hasRowKey(const QString& table) {
    if (m_rowKeys.value(table))
        return true;
    const Result result =
        run("SELECT count(*) FROM pg_attribute WHERE attrelid = to_regclass(quote_ident($1)) "
            "AND attname = 'rowid' AND NOT attisdropped",
            {Parameter{0, table.toUtf8(), false, false}}, u"Reading a table's columns"_s);
    const bool has = PQgetvalue(result.get(), 0, 0)[0] == '1';
    // Only a table that has one is remembered: one without may be made again with it.
    if (has)
        m_rowKeys.insert(table, true);
    return has;
}

// The server learns the tables' new contents by itself, but only a while later: until then it
// plans reads as for the old tables and reads rows it could take from an index alone. VACUUM
// ANALYZE tells it at once. The statistics are taken from a sample of 3 000 rows rather than
// 30 000: sorting the sampled texts under the case-blind collation cost ten times the VACUUM
// (0.3-0.45 s on 100 000 products, against 0.1 s), and the sample is ample for this catalogue's
// plans; the server's own ANALYZE takes the full sample once the rows have changed again.
void PostgresConnection::settleAfterManyWrites(const QStringList& tables) {
    refuseWhileAnswering();
    if (m_inTransaction || tables.isEmpty() || PQstatus(m_handle) != CONNECTION_OK)
        return;
    QStringList quoted;
    for (const QString& table : tables)
        quoted << u'"' + table.toLower().replace(u'"', u"\"\""_s) + u'"';
    const Result sampled(PQexec(m_handle, "SET default_statistics_target = 10"));
    const Result settled(
        PQexec(m_handle, (u"VACUUM (ANALYZE) "_s + quoted.join(u", "_s)).toUtf8().constData()));
    const Result reset(PQexec(m_handle, "RESET default_statistics_target"));
    noticeLoss();
}

void PostgresConnection::useCatalogueNames(const CatalogueNames& names) {
    static std::once_flag once;
    std::call_once(once, [&] {
        KnownNames& known = knownNames();
        for (const QString& statement : names.createStatements)
            known.spellings.insert(PostgresSql::translate(statement).spellings);
        known.isBookkeepingTable = names.isBookkeepingTable;
    });
}

QString PostgresConnection::spelling(const QString& lowered) {
    return knownNames().spellings.value(lowered, lowered);
}

void PostgresConnection::wrote(const QByteArray& table, qint64 key) {
    if (m_rowWritten)
        m_rowWritten(table.constData(), key);
    const QString name = QString::fromUtf8(table);
    const auto isBookkeeping = knownNames().isBookkeepingTable;
    if (!isBookkeeping || !isBookkeeping(name))
        m_unsent[name] << key;
}

QString PostgresConnection::columnCollation(const QString& table, const QString& column) const {
    auto* self = const_cast<PostgresConnection*>(this);
    const Result result = self->run(
        "SELECT c.collname FROM pg_attribute a JOIN pg_collation c ON c.oid = a.attcollation "
        "WHERE a.attrelid = to_regclass(quote_ident($1)) AND a.attname = $2",
        {Parameter{0, table.toLower().toUtf8(), false, false},
         Parameter{0, column.toLower().toUtf8(), false, false}},
        u"Reading a column's collation"_s);
    return PQntuples(result.get()) ? QString::fromUtf8(PQgetvalue(result.get(), 0, 0)) : QString();
}

// A text column of the catalogue compares without letter case already (its collation says so),
// and the equality selects the rows through the column's index; the caller decides on each.
// That order also takes the Kelvin sign for a k, but not the long s for an s, as the program's
// own comparison does: rows holding a long s are read as well (an index of their own keeps
// that quick for the indexed columns).
std::optional<StorageConnection::TextLookup>
PostgresConnection::caseInsensitiveLookup(const QString& table, const QString& column,
                                          const QString& ascii) const {
    if (columnCollation(table, column).compare(u"nocase"_s, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString quoted = u'"' + QString(column).replace(u'"', u"\"\""_s) + u'"';
    return TextLookup{quoted + u" = ? OR "_s + PostgresDialect::holdsLongS(quoted), {ascii}};
}

QStringList PostgresConnection::tableNames() {
    const Result result =
        run("SELECT relname FROM pg_class WHERE relnamespace = current_schema()::regnamespace "
            "AND relkind IN ('r', 'p') ORDER BY oid",
            {}, u"Listing the tables"_s);
    QStringList names;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        names << spelling(QString::fromUtf8(PQgetvalue(result.get(), row, 0)));
    return names;
}

// The kind of a column is read from its type's name: the catalogue's own types (currency,
// longtext, yesno) say it, and a key column of whole numbers is a counter.
QList<StoredColumn> PostgresConnection::tableColumns(const QString& table) {
    const Result result =
        run("SELECT a.attname, t.typname, EXISTS (SELECT 1 FROM pg_index i WHERE i.indrelid = "
            "a.attrelid AND i.indisprimary AND a.attnum = ANY (i.indkey)) FROM pg_attribute a "
            "JOIN pg_type t ON t.oid = a.atttypid WHERE a.attrelid = to_regclass(quote_ident($1)) "
            "AND a.attnum > 0 AND NOT a.attisdropped AND a.attname <> 'rowid' ORDER BY a.attnum",
            {Parameter{0, table.toLower().toUtf8(), false, false}}, u"Listing a table's columns"_s);
    QList<StoredColumn> columns;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        const QString type = QString::fromUtf8(PQgetvalue(result.get(), row, 1));
        const bool key = PQgetvalue(result.get(), row, 2)[0] == 't';
        columns << StoredColumn{spelling(QString::fromUtf8(PQgetvalue(result.get(), row, 0))),
                                key && type.startsWith(u"int"_s) ? u"INTEGER"_s : type, key};
    }
    return columns;
}

} // namespace tovin
