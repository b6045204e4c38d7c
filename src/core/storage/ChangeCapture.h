#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <span>

namespace tovin {

// How an engine lets the run journal see the rows a transaction changes. An engine either tells
// each row just before it writes it (a file: SqliteChangeCapture), or notes the changes in its
// session for the journal to read back just before the commit (a server: PostgresChangeCapture).
// The journal's listener is kept by the capture, which lives exactly as long as its connection:
// a later connection at the same address never finds it.
class ChangeCapture {
public:
    enum class Operation { Insert, Update, Delete };

    // One value of a row as the engine holds it, with nothing converted: a whole number of a
    // column of real affinity comes as a real, as reading the column would give it. Texts (in
    // UTF-8) and blobs are views of the engine's own bytes, valid during the call only.
    struct Value {
        enum class Type : char { Null, Integer, Real, Text, Blob };
        Type type = Type::Null;
        qint64 integer = 0;
        double real = 0;
        QByteArrayView bytes;
    };
    using Values = std::span<const Value>;

    // One row about to be written.
    struct RowChange {
        int table = -1; // the number the table is watched under
        Operation operation = Operation::Insert;
        qint64 key = 0;       // the row's key: its new one when added, else the one it had
        Values before;        // every column before an update or a delete
        Values after;         // every column after an insert or an update
        bool readable = true; // false when the engine could not give the row's values
    };

    // What the run journal hears from an engine that tells each row.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void rowChanging(const RowChange& row) = 0;
        // The open transaction was rolled back, with every change told since it began.
        virtual void rolledBack() = 0;
        // Whether the transaction may commit now: not while changes told are still unwritten.
        virtual bool mayCommit() const = 0;
    };

    virtual ~ChangeCapture() = default;
    ChangeCapture(const ChangeCapture&) = delete;
    ChangeCapture& operator=(const ChangeCapture&) = delete;

    // True when rows are told one by one as they are written; false when the engine notes them
    // in its session, for the journal to read back before each commit.
    virtual bool tellsEachRow() const = 0;
    // Captures the changes of this table of the main database under `number` (a table watched
    // already keeps its number).
    virtual void watch(const QString& table, int number) = 0;
    // Captures the changes of the run with that number from now on; 0 ends the capture.
    virtual void setRun(qint64 run) = 0;
    // Whether the session still captures for the run with that number (a server forgets its
    // session's setting with a lost connection).
    virtual bool capturesRun(qint64 run) = 0;
    // Runs `write` with nothing it changes captured, for a write whose rows the journal notes
    // itself; the capture resumes afterwards, also when `write` throws. Outside a run, or
    // outside a transaction, `write` just runs.
    virtual void writeUncaptured(const std::function<void()>& write) = 0;

    // The journal's listener, kept for as long as the connection lives (null until one is set).
    void listen(std::unique_ptr<Listener> listener) { m_listener = std::move(listener); }
    Listener* listener() const { return m_listener.get(); }

protected:
    ChangeCapture() = default;

private:
    std::unique_ptr<Listener> m_listener;
};

} // namespace tovin
