#include "core/storage/PostgresStatement.h"

#include "core/storage/CatalogueFailure.h"
#include "core/storage/ColumnValues.h"
#include "core/text/Money.h"

#include <QDateTime>
#include <QTime>
#include <QtEndian>
#include <array>
#include <bit>
#include <charconv>
#include <libpq-fe.h>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The server's numbers for the types a value is read or sent as.
constexpr Oid BoolType = 16;
constexpr Oid ByteaType = 17;
constexpr Oid Int8Type = 20;
constexpr Oid Int2Type = 21;
constexpr Oid Int4Type = 23;
constexpr Oid OidType = 26;
constexpr Oid Float4Type = 700;
constexpr Oid Float8Type = 701;
constexpr Oid NumericType = 1700;

QByteArray bigEndian(quint64 bits) {
    QByteArray bytes(8, Qt::Uninitialized);
    qToBigEndian(bits, bytes.data());
    return bytes;
}

// The server writes a double in the fewest digits that read back to it, and "Infinity",
// "-Infinity" and "NaN", which the reading takes in any letter case. A large import reads one
// back for every such column of every row it added, so the text is read where it lies.
double floatFromText(const char* text, qsizetype length) {
    double value = 0;
    const std::from_chars_result read = std::from_chars(text, text + length, value);
    if (read.ec != std::errc() || read.ptr != text + length)
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The server gave a number that cannot be read: "_s +
                               QString::fromUtf8(text, length));
    return value;
}

// A column of whole numbers; nothing for another type. Keys are read by the hundred thousand
// when a list opens, so the server's text is read in place.
std::optional<qint64> wholeNumberAt(const pg_result* result, int row, int column) {
    const Oid type = PQftype(result, column);
    if (type != Int8Type && type != Int4Type && type != Int2Type)
        return std::nullopt;
    const char* value = PQgetvalue(result, row, column);
    const int length = PQgetlength(result, row, column);
    qint64 number = 0;
    const auto [end, error] = std::from_chars(value, value + length, number);
    return error == std::errc() ? std::optional<qint64>(number) : std::nullopt;
}

// A blob as the server writes it out, "\\x" and two hex digits a byte (the session asks for that
// form), read straight from the answer: a run's journal comes this way, many megabytes of it.
QByteArray blobFromHex(QByteArrayView text) {
    if (!text.startsWith("\\x"))
        return text.toByteArray();
    // Anything but pairs of hex digits is read as Qt reads it, passing over what is not hex.
    const auto lenient = [&] { return QByteArray::fromHex(text.sliced(2).toByteArray()); };
    if (text.size() % 2 != 0)
        return lenient();
    static const auto digits = [] {
        std::array<qint8, 256> table;
        table.fill(-1);
        for (int i = 0; i < 10; ++i)
            table['0' + i] = qint8(i);
        for (int i = 0; i < 6; ++i)
            table['a' + i] = table['A' + i] = qint8(10 + i);
        return table;
    }();
    const qsizetype size = (text.size() - 2) / 2;
    QByteArray bytes(size, Qt::Uninitialized);
    const auto* in = reinterpret_cast<const quint8*>(text.data()) + 2;
    char* out = bytes.data();
    for (qsizetype i = 0; i < size; ++i) {
        const qint8 high = digits[in[2 * i]];
        const qint8 low = digits[in[2 * i + 1]];
        if ((high | low) < 0)
            return lenient();
        out[i] = char((high << 4) | low);
    }
    return bytes;
}

} // namespace

PostgresStatement::PostgresStatement(PostgresConnection& connection, const QString& sql)
    : m_connection(connection), m_sql(sql), m_translated(PostgresSql::translate(sql)) {
    m_parameters.resize(size_t(m_translated.parameterCount));
    const QString& table = m_translated.writtenTable;
    if (!table.isEmpty() && !m_translated.returns && connection.hasRowKey(table)) {
        QByteArray& text = m_translated.text;
        while (!text.isEmpty() && (text.endsWith(';') || QChar::isSpace(uchar(text.back()))))
            text.chop(1);
        text += " RETURNING rowid";
        m_keysOnly = true;
    }
    const QString text = QString::fromUtf8(m_translated.text).trimmed();
    m_inserts = text.startsWith(u"insert"_s, Qt::CaseInsensitive);
    m_reads = text.startsWith(u"select"_s, Qt::CaseInsensitive);
    m_table = PostgresConnection::spelling(table).toUtf8();
    m_letGo = connection.letGoList();
}

PostgresStatement::~PostgresStatement() {
    letGoOfKept();
}

void PostgresStatement::letGoOfKept() {
    if (m_kept.isEmpty())
        return;
    if (const std::shared_ptr<PostgresConnection::LetGoList> letGo = m_letGo.lock())
        letGo->append({m_kept, m_keptSession});
    m_kept.clear();
}

// The server plans a kept statement for the tables as they were when it was made, and keeps
// that plan. Made on a new catalogue's empty table, an import's lookup would read the whole
// table for every item as the import fills it. A statement is made anew once the connection
// has written more rows since than before it, so a table that grew many times over is planned
// again at its new size: a few times in a large import.
bool PostgresStatement::outgrownPlan() const {
    constexpr quint64 FewRows = 1000;
    const quint64 since = m_connection.rowsWritten() - m_keptAfterRows;
    return since > std::max(FewRows, m_keptAfterRows);
}

// Parsing and planning cost the server about as much as running a short statement; one run
// again and again (an import's lookup and insert) is parsed and planned once.
std::optional<PostgresConnection::Named> PostgresStatement::keptForThisRun() {
    if (++m_runs < 2)
        return std::nullopt;
    std::vector<unsigned int> types;
    for (const PostgresConnection::Parameter& p : m_parameters)
        types.push_back(p.type);
    if (!m_kept.isEmpty() && m_keptSession == m_connection.session() && types == m_keptTypes &&
        !outgrownPlan())
        return PostgresConnection::Named{m_kept, false};
    letGoOfKept();
    m_kept = m_connection.newStatementName();
    m_keptSession = m_connection.session();
    m_keptTypes = std::move(types);
    m_keptAfterRows = m_connection.rowsWritten();
    return PostgresConnection::Named{m_kept, true};
}

PostgresConnection::Parameter& PostgresStatement::parameter(int position) {
    if (position < 1 || position > int(m_parameters.size()))
        throw StatementRefused(m_sql, u"column index out of range"_s);
    return m_parameters[size_t(position - 1)];
}

void PostgresStatement::bindNull(int position) {
    parameter(position) = PostgresConnection::Parameter{};
}

void PostgresStatement::bind(int position, qint64 value) {
    parameter(position) = {Int8Type, bigEndian(quint64(value)), false, true};
}

void PostgresStatement::bindDouble(int position, double value) {
    parameter(position) = {Float8Type, bigEndian(std::bit_cast<quint64>(value)), false, true};
}

// A text goes without a type, so the server reads it as whatever the column or comparison
// needs (a date, a number), as the file's engine converts by the column's affinity.
void PostgresStatement::bindText(int position, const QString& value) {
    QByteArray text = value.toUtf8();
    if (text.isNull())
        text = QByteArray("");
    const bool unsendable = text.contains('\0');
    parameter(position) = {0, std::move(text), false, false, unsendable};
}

// The text would reach the server as the part before the NUL: another product's stock number,
// a shorter name. It is refused instead, as a value its column cannot take.
void PostgresStatement::refuseUnsendable() const {
    for (const PostgresConnection::Parameter& p : m_parameters)
        if (p.unsendable)
            throw StatementRefused(m_sql, u"a text holds the character NUL (code 0), which a "
                                          u"catalogue on a server cannot keep"_s);
}

void PostgresStatement::bindBlob(int position, const QByteArray& value) {
    parameter(position) = {ByteaType, value.isNull() ? QByteArray("") : value, false, true};
}

int PostgresStatement::parameterPosition(const QString& name) const {
    return m_translated.names.value(name);
}

void PostgresStatement::execute() {
    refuseUnsendable();
    m_result.reset();
    m_row = -1;
    m_rows = 0;
    m_executed = false;
    const std::optional<PostgresConnection::Named> kept = keptForThisRun();
    PostgresConnection::Result result;
    try {
        result = m_connection.run(m_translated.text, m_parameters, m_sql, kept ? &*kept : nullptr,
                                  m_blobsAsTheyAre);
    } catch (...) {
        notMade(kept);
        throw;
    }
    takeResult(std::move(result), kept);
}

PostgresConnection::Grouped PostgresStatement::grouped() {
    return {&m_translated.text, m_parameters, keptForThisRun(), m_reads};
}

// Whether the server made it is not known: it is made anew next time.
void PostgresStatement::notMade(const std::optional<PostgresConnection::Named>& kept) {
    if (kept && kept->parse)
        letGoOfKept();
}

void PostgresStatement::takeResult(PostgresConnection::Result taken,
                                   const std::optional<PostgresConnection::Named>& kept) {
    m_result = std::move(taken);
    m_row = -1;
    m_rows = 0;
    // Made in the connection's present session (made again after a lost connection).
    if (kept)
        m_keptSession = m_connection.session();
    m_executed = true;
    pg_result* result = m_result.get();
    // An answer in binary form is read only where it holds blobs, which are their bytes as
    // they are; a number or a text would be read wrongly.
    for (int column = 0; column < PQnfields(result); ++column)
        if (PQfformat(result, column) == 1 && PQftype(result, column) != ByteaType)
            throw RunTimeError(
                ErrorNumber::DatabaseRefused,
                u"Column %1 of \"%2\" was asked for as a blob, but it is none."_s.arg(column + 1)
                    .arg(m_sql));
    const QByteArray status(PQcmdStatus(result));
    const bool writes =
        status.startsWith("INSERT") || status.startsWith("UPDATE") || status.startsWith("DELETE");
    if (writes)
        m_connection.setRowsChanged(QByteArray(PQcmdTuples(result)).toLongLong());
    if (m_keysOnly) {
        const int rows = PQntuples(result);
        qint64 key = 0;
        for (int row = 0; row < rows; ++row) {
            key = wholeNumberAt(result, row, 0).value_or(0);
            m_connection.wrote(m_table, key);
        }
        if (m_inserts && rows > 0)
            m_connection.setLastInsertedKey(key);
    } else {
        m_rows = PQntuples(result);
    }
    // A write outside a transaction is kept once its statement is done.
    if (!status.startsWith("SELECT") && !m_connection.inTransaction()) {
        if (m_keysOnly)
            m_connection.sendNotices();
        m_connection.writesDone();
    }
}

bool PostgresStatement::next() {
    if (!m_executed)
        execute();
    if (m_row + 1 >= m_rows) {
        m_row = m_rows;
        return false;
    }
    ++m_row;
    return true;
}

void PostgresStatement::reset() {
    m_result.reset();
    m_row = -1;
    m_rows = 0;
    m_executed = false;
    for (PostgresConnection::Parameter& p : m_parameters)
        p = PostgresConnection::Parameter{};
}

int PostgresStatement::columnCount() const {
    if (m_result && !m_keysOnly)
        return PQnfields(m_result.get());
    return 0;
}

QString PostgresStatement::columnName(int column) const {
    if (!m_result)
        return QString();
    const QString lowered = QString::fromUtf8(PQfname(m_result.get(), column));
    return m_translated.spellings.value(lowered, PostgresConnection::spelling(lowered));
}

bool PostgresStatement::hasValue(int column) const {
    return m_result && m_row >= 0 && m_row < m_rows && column >= 0 &&
           column < PQnfields(m_result.get()) && !PQgetisnull(m_result.get(), m_row, column);
}

bool PostgresStatement::isNull(int column) const {
    return !hasValue(column);
}

// The rows are all here already: read in place, without a step per row.
void PostgresStatement::appendRemainingIntegers(int column, std::vector<qint64>& to) {
    if (!m_executed)
        execute();
    to.reserve(to.size() + size_t(std::max(0, m_rows - m_row - 1)));
    for (++m_row; m_row < m_rows; ++m_row)
        to.push_back(integer(column));
    m_row = m_rows;
}

qint64 PostgresStatement::integer(int column) const {
    if (hasValue(column))
        if (const std::optional<qint64> number = wholeNumberAt(m_result.get(), m_row, column))
            return *number;
    const QVariant v = stored(column);
    return v.typeId() == QMetaType::Double ? qint64(v.toDouble()) : v.toLongLong();
}

double PostgresStatement::real(int column) const {
    return stored(column).toDouble();
}

QString PostgresStatement::text(int column) const {
    const QVariant v = stored(column);
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

PostgresStatement::InPlace PostgresStatement::inPlace(int column) const {
    using Type = InPlace::Type;
    InPlace value;
    if (!hasValue(column))
        return value;
    pg_result* result = m_result.get();
    const char* text = PQgetvalue(result, m_row, column);
    value.bytes = QByteArrayView(text, PQgetlength(result, m_row, column));
    if (PQfformat(result, column) == 1) {
        value.type = Type::BlobAsItIs;
        return value;
    }
    switch (PQftype(result, column)) {
    case Int2Type:
    case Int4Type:
    case Int8Type:
    case OidType:
        value.type = Type::Integer;
        std::from_chars(value.bytes.begin(), value.bytes.end(), value.integer);
        break;
    case BoolType:
        value.type = Type::Integer;
        value.integer = text[0] == 't' ? 1 : 0;
        break;
    case Float4Type:
    case Float8Type:
        value.type = Type::Real;
        value.real = floatFromText(text, value.bytes.size());
        break;
    case NumericType: {
        // A sum of whole numbers comes back as a numeric: whole, it is read as the file
        // gives a sum of whole numbers.
        bool whole = false;
        value.integer = QByteArray(text).toLongLong(&whole);
        value.type = whole ? Type::Integer : Type::Real;
        if (!whole)
            value.real = floatFromText(text, value.bytes.size());
        break;
    }
    case ByteaType:
        value.type = Type::Blob;
        break;
    default:
        value.type = Type::Text;
    }
    return value;
}

QVariant PostgresStatement::stored(int column) const {
    using Type = InPlace::Type;
    const InPlace value = inPlace(column);
    switch (value.type) {
    case Type::Null:
        return QVariant();
    case Type::Integer:
        return QVariant(qlonglong(value.integer));
    case Type::Real:
        return QVariant(value.real);
    case Type::Blob:
        return QVariant(blobFromHex(value.bytes));
    case Type::BlobAsItIs:
        return QVariant(value.bytes.toByteArray());
    case Type::Text:
        break;
    }
    return QVariant(QString::fromUtf8(value.bytes));
}

QVariant PostgresStatement::value(int column, ColumnKind kind) const {
    if (!hasValue(column))
        return QVariant();
    const QVariant v = stored(column);
    switch (kind) {
    case ColumnKind::Counter:
        return QVariant(qlonglong(integer(column)));
    case ColumnKind::Number:
        return QVariant(v.toDouble());
    case ColumnKind::Money:
        if (v.typeId() == QMetaType::LongLong)
            return ColumnValues::moneyValue(v.toLongLong());
        return ColumnValues::fromStorage(kind, QVariant(v.toDouble()));
    case ColumnKind::YesNo:
        return QVariant(integer(column) != 0);
    case ColumnKind::Date:
        return ColumnValues::fromStorage(kind, QVariant(text(column)));
    case ColumnKind::Text:
    case ColumnKind::Memo:
        return QVariant(text(column));
    }
    return QVariant();
}

} // namespace tovin
