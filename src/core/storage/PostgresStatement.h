#pragma once

#include "core/storage/PostgresConnection.h"
#include "core/storage/PostgresSql.h"
#include "core/storage/StorageStatement.h"

#include <vector>

namespace tovin {

// A statement on a PostgreSQL connection. The text is rewritten once (see PostgresSql); each
// run sends it with its values and reads the whole answer, which the program keeps small by
// paging. A write to a catalogue table is made to return the keys of the rows it wrote, which
// are announced as the file's engine announces them.
class PostgresStatement final : public StorageStatement {
public:
    PostgresStatement(PostgresConnection& connection, const QString& sql);
    ~PostgresStatement() override;

    using StorageStatement::bind;
    using StorageStatement::value;
    void bindNull(int position) override;
    void bind(int position, qint64 value) override;
    void bindDouble(int position, double value) override;
    void bindText(int position, const QString& value) override;
    void bindBlob(int position, const QByteArray& value) override;
    int parameterPosition(const QString& name) const override;

    void execute() override;
    bool next() override;
    void reset() override;

    int columnCount() const override;
    QString columnName(int column) const override;
    bool isNull(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QString text(int column) const override;
    QVariant stored(int column) const override;
    // A value as stored() reads it, left where the answer holds it: whole numbers and reals
    // read, texts and binary values as the server sent them (a binary value still in its text
    // form), valid until the next row. A reader of many rows spares making a QVariant of each.
    struct InPlace {
        // A Blob is as the server writes it out as text; a BlobAsItIs, its bytes as they are.
        enum class Type { Null, Integer, Real, Text, Blob, BlobAsItIs } type = Type::Null;
        qint64 integer = 0;
        double real = 0;
        QByteArrayView bytes;
    };
    InPlace inPlace(int column) const;
    QVariant value(int column, ColumnKind kind) const override;
    void appendRemainingIntegers(int column, std::vector<qint64>& to) override;
    void readBlobsAsTheyAre() override { m_blobsAsTheyAre = true; }

    // For a group of runs that goes to the server together: this run as it is sent, with the
    // values bound now; what came back for it, read as execute() reads it; and, for a run
    // that did not come back, the kept statement it was to make forgotten.
    PostgresConnection::Grouped grouped();
    void takeResult(PostgresConnection::Result result,
                    const std::optional<PostgresConnection::Named>& kept);
    void notMade(const std::optional<PostgresConnection::Named>& kept);
    const QString& sql() const { return m_sql; }
    // Raises the refusal of a bound value the server cannot be sent whole.
    void refuseUnsendable() const;

private:
    PostgresConnection::Parameter& parameter(int position);
    bool hasValue(int column) const;
    // The kept statement this run goes as, if any, made anew when its types changed or its
    // tables have grown many times over (outgrownPlan).
    std::optional<PostgresConnection::Named> keptForThisRun();
    void letGoOfKept();
    bool outgrownPlan() const;

    PostgresConnection& m_connection;
    QString m_sql;
    PostgresSql::Translated m_translated;
    // The keys of the rows a write changes come back as its only column, which is not shown.
    bool m_keysOnly = false;
    bool m_inserts = false;
    bool m_reads = false; // a SELECT, which leaves the transaction's savepoint where it was
    bool m_blobsAsTheyAre = false; // the answer comes in the server's binary form
    QByteArray m_table;            // the written table as the catalogue spells it
    std::vector<PostgresConnection::Parameter> m_parameters;
    PostgresConnection::Result m_result;
    // A statement run more than once is kept parsed and planned by the server, for the types
    // of the values it is sent with.
    int m_runs = 0;
    QByteArray m_kept;
    quint64 m_keptSession = 0;
    std::vector<unsigned int> m_keptTypes;
    quint64 m_keptAfterRows = 0; // the connection's rows written when it was made
    std::weak_ptr<PostgresConnection::LetGoList> m_letGo;
    int m_row = -1;
    int m_rows = 0;
    bool m_executed = false;
};

} // namespace tovin
