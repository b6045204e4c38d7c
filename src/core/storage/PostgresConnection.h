#pragma once

#include "core/storage/PostgresDialect.h"
#include "core/storage/StorageConnection.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;

namespace tovin {

class PostgresReconnector;

// A connection to a catalogue on a PostgreSQL server through libpq. It behaves for its caller
// as a connection to a file does: a statement that fails inside a transaction leaves the
// transaction as it was before that statement (each runs behind a savepoint), and a connection
// the server lost is made again for the next statement. In a program that waits for events the
// connection also listens for other computers' changes; when it finds itself lost there, it
// says so (CatalogueChanges::connectionLost), makes itself again in the background, listens
// again and says it is back.
class PostgresConnection final : public StorageConnection {
public:
    // Connects to `uri` (any libpq URI), with the waits of PostgresAddress unless the URI sets
    // its own; raises a CatalogueFailure in plain words, quoting nothing of a password, when
    // the address cannot be read or the server cannot be reached or refuses the connection.
    static std::unique_ptr<PostgresConnection> open(const QString& uri);
    ~PostgresConnection() override;

    std::unique_ptr<StorageStatement> prepare(const QString& sql) override;
    void begin(Intent intent = Intent::Write) override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return m_inTransaction; }
    bool isReadOnly() const override { return m_readOnly; }
    qint64 lastInsertedKey() const override { return m_lastInsertedKey; }
    qint64 rowsChanged() const override { return m_rowsChanged; }
    const StorageDialect& dialect() const override { return m_dialect; }
    QString columnCollation(const QString& table, const QString& column) const override;
    std::optional<TextLookup> caseInsensitiveLookup(const QString& table, const QString& column,
                                                    const QString& ascii) const override;
    QStringList tableNames() override;
    QList<StoredColumn> tableColumns(const QString& table) override;
    QString errorText() const override { return m_errorText; }
    void setRowWritten(RowWritten told) override { m_rowWritten = std::move(told); }
    void setLockWait(int milliseconds) override;
    // The wait for the write turn (begin) is told; a statement waiting for a row is not, as the
    // server says nothing then: that wait is only bounded.
    void setLockNotice(std::function<void()> notice) override { m_lockNotice = std::move(notice); }
    // The server keeps what it committed; there is nothing to write out.
    void checkpoint() override {}
    void settleAfterManyWrites(const QStringList& tables) override;
    void copyTo(const QString& path) override;

    // For PostgresStatement: one parameter as sent to the server.
    struct Parameter {
        unsigned int type = 0; // 0: text the server reads as the type the statement needs
        QByteArray data;
        bool null = true;
        bool binary = false;
        // A text holding the character NUL, which the server's texts cannot hold: libpq would
        // send it cut short at that character.
        bool unsendable = false;
    };
    struct ResultDeleter {
        void operator()(pg_result* result) const;
    };
    using Result = std::unique_ptr<pg_result, ResultDeleter>;
    // A statement the server keeps parsed and planned, under a name of this connection.
    struct Named {
        QByteArray name;
        bool parse = false; // made with this run; else made by an earlier one
    };
    // Whether the server did what it was asked (a command, or a query with its rows).
    static bool succeeded(const pg_result* result);
    // For PostgresStatement: one run of a group, as it goes to the server.
    struct Grouped {
        const QByteArray* sql = nullptr;
        std::vector<Parameter> parameters;
        std::optional<Named> named;
        bool reads = false; // a SELECT
    };
    using StorageConnection::runTogether;
    void runTogether(std::vector<GroupedRun>& runs, const Meanwhile& meanwhile) override;
    // Runs one statement; raises the server's refusal (`what` names the statement). Given a
    // name, it runs as that kept statement, made first when `parse` says so. With
    // `binaryResults` the columns come in the server's binary form rather than as text.
    Result run(const QByteArray& sql, const std::vector<Parameter>& parameters, const QString& what,
               const Named* named = nullptr, bool binaryResults = false);
    // A new name for a kept statement, and the connection's session it is valid in (a
    // connection made again has none of the earlier ones).
    QByteArray newStatementName() { return "tovin_" + QByteArray::number(++m_statementNames); }
    quint64 session() const { return m_session; }
    // Where a statement puts the name of a kept statement it no longer needs, with its
    // session; the connection drops them once no transaction is open. A statement may outlive
    // its connection, so it holds the list weakly.
    using LetGoList = QList<QPair<QByteArray, quint64>>;
    std::weak_ptr<LetGoList> letGoList() const { return m_letGo; }
    // Whether a table (named in lower case) has the row key column that RETURNING can give.
    bool hasRowKey(const QString& table);
    // What the connections need to know of the catalogue they serve: the statements that make
    // its tables, whose spellings give back the names the server keeps in small letters, and
    // which tables are the program's bookkeeping, whose writes no other program is told of.
    // Given once, before the first connection opens; a later call changes nothing.
    struct CatalogueNames {
        QStringList createStatements;
        bool (*isBookkeepingTable)(const QString& name) = nullptr;
    };
    static void useCatalogueNames(const CatalogueNames& names);
    // A name the server gave back (in lower case) as the catalogue spells it.
    static QString spelling(const QString& lowered);
    void wrote(const QByteArray& table, qint64 key);
    // Tells the other connections to the catalogue which rows were written since the last
    // notice: inside the open transaction (the server delivers it on the commit), or at once.
    void sendNotices();
    void setLastInsertedKey(qint64 key) { m_lastInsertedKey = key; }
    void setRowsChanged(qint64 rows) {
        m_rowsChanged = rows;
        m_rowsWritten += quint64(qMax<qint64>(rows, 0));
    }
    // Every row the connection's writes changed, added or deleted so far.
    quint64 rowsWritten() const { return m_rowsWritten; }

protected:
    std::unique_ptr<ChangeCapture> makeChangeCapture() override;

private:
    PostgresConnection(pg_conn* handle, QString uri);
    static pg_conn* connectQuietly(const char* const* keywords, const char* const* values,
                                   bool& timedOut);
    void setUpSession();
    // Before a statement: a connection lost outside a transaction is made again at once; one
    // lost inside a transaction fails the transaction's work.
    void reconnectIfLost();
    // The listening socket found the connection lost: told once, then made again in the
    // background.
    void connectionGone(const QString& reason);
    // After a statement whose failure is of no consequence (a rollback, dropping a kept
    // statement): a connection it found lost is still told and made again, else the listener
    // would watch a closed socket and the views would hear nothing more.
    void noticeLoss();
    // The connection was made again (by a statement or in the background): set up and
    // listening again, and told when its loss was told.
    void connectionMade();
    void stopReconnecting();
    // A connection destroyed while lost no longer counts among its catalogue's lost ones.
    void forgetLoss();
    // libpq's words for why the connection is gone, with nothing of a password in them.
    QString lossReason() const;
    // Whether the connection may be made again in the background now: not while the
    // transaction it was lost in has still to fail.
    bool mayReconnect() const;
    // Runs statements without parameters (several at once allowed); raises on failure.
    void exec(const char* sql, const QString& what);
    // Starts or goes on starting a transaction; one refused ends it.
    Result startTransaction(const QByteArray& sql);
    // The advisory lock a writer holds for its transaction: the catalogue's write turn.
    static constexpr long long WriteTurnKey = 7468696;
    // Inside a transaction begun for writing (PostgresWriteTurn.cpp): waits for the write turn
    // another writer holds, up to the limit; raises (the transaction ended) when it is not had.
    void waitForWriteTurn();
    // Asks the server to stop the statement it is running.
    void cancelStatement();
    // lock_timeout for the limit of the waits (the server reads 0 as none).
    QByteArray lockTimeout() const;
    // One statement as libpq sends it.
    struct Call {
        const QByteArray& sql;
        int count;
        const unsigned int* types;
        const char* const* values;
        const int* lengths;
        const int* formats;
        const Named* named;
        int resultFormat = 0; // 1: the columns come in the server's binary form
    };
    // The arrays libpq takes a statement's values in, for as long as it is being sent.
    struct SendArrays {
        explicit SendArrays(const std::vector<Parameter>& parameters);
        Call call(const QByteArray& sql, const Named* named, bool binaryResults = false) const;
        std::vector<unsigned int> types;
        std::vector<const char*> values;
        std::vector<int> lengths;
        std::vector<int> formats;
    };
    // The statement with the savepoint moved on before it, in one round trip; the statement's
    // result, or the failed move's.
    Result runAfterNewSavepoint(bool release, const Call& call);
    // The statement alone, in round trips of its own.
    Result runNow(const Call& call);
    bool sendStatement(const Call& call);
    // A pipeline sent to the server and what has come back of it so far.
    struct Pipeline {
        // How many queries one run sends: the savepoint's moves before it, then its own
        // (making the kept statement, running it).
        struct Sent {
            int moves = 0;
            int own = 1;
        };
        std::vector<Sent> sent;
        size_t early = 0; // the first runs, whose answers are read before the others
        size_t earlyAnswers = 0;
        bool sending = true;
        std::vector<Result> answers;
        size_t next = 0; // the first answer not yet taken
        size_t answeredEarly = 0;
        int nullsInARow = 0;
        std::exception_ptr failed; // of the work done with the early answers
    };
    // Sends the calls in one pipeline, each behind the savepoint as run() puts it; false when
    // the connection cannot take a pipeline now.
    bool sendPipelined(const std::vector<Grouped>& calls, size_t early, Pipeline& pipeline);
    // Reads the answers. Once the first `early` calls have all succeeded their results go to
    // `answered`, while the server is still making the others, and are left empty in the
    // results.
    void readPipelined(Pipeline& pipeline,
                       const std::function<void(std::vector<Result>&)>& answered);
    // What came back for each call, up to and including the first that failed, which is
    // rolled back.
    std::vector<Result> endPipelined(Pipeline& pipeline);
    // Raises while the program works meanwhile (see Meanwhile): the connection is still taking
    // in a group's answers.
    void refuseWhileAnswering() const;
    class GroupAnswering;
    void dropStatementsLetGo();
    void backToSavepoint();
    [[noreturn]] void raise(pg_result* result, const QString& what);
    [[noreturn]] void lost(const QString& serverMessage);
    QString place() const;
    void listen();
    // The socket the listener watched is closed or about to be (the connection was found lost,
    // or is being made again, on a socket of its own): it is watched no more.
    void dropNotifier();
    // Takes what other connections told from the server; delivers it when the program next
    // waits for events, never in the middle of a statement.
    void collectNotices();
    void deliverNotices();

    pg_conn* m_handle;
    QString m_uri;
    PostgresDialect m_dialect;
    RowWritten m_rowWritten;
    QString m_errorText;
    QHash<QString, bool> m_rowKeys;
    qint64 m_lastInsertedKey = 0;
    qint64 m_rowsChanged = 0;
    quint64 m_rowsWritten = 0;
    int m_lockWaitMs;
    bool m_inTransaction = false;
    // A statement changed something since the savepoint was set, so it must be set anew.
    bool m_savepointStale = false;
    bool m_answering = false; // the program works meanwhile, the group's answers still coming
    // A write transaction takes its savepoint with its first statement, after the write turn.
    bool m_savepointMissing = false;
    std::function<void()> m_lockNotice;
    bool m_readOnly = false;
    // The rows written since the last notice, by table, and this connection's name in notices.
    QHash<QString, QList<qint64>> m_unsent;
    QString m_sender;
    qint64 m_serial = 0;
    // Watches the connection for notices of other programs while the program waits for events.
    // It lives as long as the connection, so that what it has queued stays valid; its notifier
    // is made again on each new socket.
    std::unique_ptr<QObject> m_listener;
    QPointer<QSocketNotifier> m_notifier;
    std::unique_ptr<PostgresReconnector> m_reconnector;
    bool m_lostTold = false; // its loss was told and its return is still to be told
    QList<QByteArray> m_received;
    quint64 m_session = 0;
    quint64 m_statementNames = 0;
    std::shared_ptr<LetGoList> m_letGo = std::make_shared<LetGoList>();
};

} // namespace tovin
