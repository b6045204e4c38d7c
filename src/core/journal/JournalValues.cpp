#include "core/journal/JournalValues.h"

#include "core/storage/CatalogueFailure.h"
#include "core/storage/ColumnValues.h"

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace tovin::JournalValues {

namespace {

enum Tag : char { Null = 0, Integer = 1, Real = 2, Text = 3, Blob = 4 };

void appendRaw(QByteArray& out, const void* data, qsizetype size) {
    out.append(static_cast<const char*>(data), size);
}

void appendBytes(QByteArray& out, Tag tag, const char* data, quint32 size) {
    out.append(char(tag));
    appendVarint(out, size);
    out.append(data, size);
}

using Captured = ChangeCapture::Value;

// The capture side works on the engine's own values, so nothing is converted on the way.
void appendCaptured(QByteArray& out, const Captured& value) {
    switch (value.type) {
    case Captured::Type::Integer:
        appendInteger(out, value.integer);
        return;
    case Captured::Type::Real:
        appendReal(out, value.real);
        return;
    case Captured::Type::Text:
        appendBytes(out, Text, value.bytes.data(), quint32(value.bytes.size()));
        return;
    case Captured::Type::Blob:
        appendBytes(out, Blob, value.bytes.data(), quint32(value.bytes.size()));
        return;
    case Captured::Type::Null:
        break;
    }
    out.append(char(Null));
}

// Equal in type and value: a double bit for bit, a text or blob byte for byte.
bool sameCaptured(const Captured& a, const Captured& b) {
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case Captured::Type::Null:
        return true;
    case Captured::Type::Integer:
        return a.integer == b.integer;
    case Captured::Type::Real:
        return std::memcmp(&a.real, &b.real, sizeof a.real) == 0;
    case Captured::Type::Text:
    case Captured::Type::Blob:
        break;
    }
    const qsizetype size = a.bytes.size();
    return size == b.bytes.size() &&
           (size == 0 || std::memcmp(a.bytes.data(), b.bytes.data(), size_t(size)) == 0);
}

} // namespace

// Whole numbers and lengths take seven bits a byte, the high bit saying another byte follows:
// most of what an import writes (0, small amounts, short texts) then takes one or two bytes,
// which keeps the journal of a large run small.
void appendVarint(QByteArray& out, quint64 v) {
    while (v >= 0x80) {
        out.append(char(v | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

void packCapturedRow(QByteArray& out, ChangeCapture::Values values) {
    for (const Captured& value : values)
        appendCaptured(out, value);
}

bool packCapturedChanges(QByteArray& before, QByteArray& after, ChangeCapture::Values old,
                         ChangeCapture::Values now) {
    bool any = false;
    const size_t count = std::min(old.size(), now.size());
    for (size_t column = 0; column < count; ++column) {
        if (sameCaptured(old[column], now[column]))
            continue;
        appendVarint(before, quint64(column));
        appendCaptured(before, old[column]);
        appendVarint(after, quint64(column));
        appendCaptured(after, now[column]);
        any = true;
    }
    return any;
}

void Reader::need(qsizetype bytes) const {
    if (bytes < 0 || m_at + bytes > m_data.size())
        throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
}

char Reader::byte() {
    need(1);
    return m_data.at(m_at++);
}

quint64 Reader::varint() {
    quint64 v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        const auto b = quint8(byte());
        v |= quint64(b & 0x7f) << shift;
        if (!(b & 0x80))
            return v;
    }
    throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
}

QByteArray Reader::bytes(quint64 size) {
    if (size > quint64(m_data.size()))
        throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
    need(qsizetype(size));
    const QByteArray part = m_data.mid(m_at, qsizetype(size));
    m_at += qsizetype(size);
    return part;
}

QVariant Reader::value() {
    const char tag = byte();
    switch (tag) {
    case Null:
        return QVariant();
    case Integer: {
        const quint64 z = varint();
        return QVariant(qlonglong((z >> 1) ^ (~(z & 1) + 1)));
    }
    case Real: {
        double d;
        const QByteArray raw = bytes(sizeof d);
        std::memcpy(&d, raw.constData(), sizeof d);
        return QVariant(d);
    }
    case Text:
        return QVariant(QString::fromUtf8(bytes(varint())));
    case Blob:
        return QVariant(bytes(varint()));
    }
    throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
}

// Negative numbers interleaved with positive ones, so that -1 is as short as 1.
void appendInteger(QByteArray& out, qint64 i) {
    out.append(char(Integer));
    appendVarint(out, (quint64(i) << 1) ^ quint64(i >> 63));
}

void appendNull(QByteArray& out) {
    out.append(char(Null));
}

void appendReal(QByteArray& out, double d) {
    out.append(char(Real));
    appendRaw(out, &d, sizeof d);
}

void appendText(QByteArray& out, QByteArrayView utf8) {
    appendBytes(out, Text, utf8.data(), quint32(utf8.size()));
}

void appendValue(QByteArray& out, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        appendNull(out);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        appendReal(out, value.toDouble());
        return;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        appendInteger(out, value.toLongLong());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        appendBytes(out, Blob, bytes.constData(), quint32(bytes.size()));
        return;
    }
    default:
        appendText(out, value.toString().toUtf8());
    }
}

QByteArray packRow(const Row& values) {
    QByteArray out;
    for (const QVariant& value : values)
        appendValue(out, value);
    return out;
}

void packColumn(QByteArray& out, int column, const QVariant& value) {
    appendVarint(out, quint64(column));
    appendValue(out, value);
}

Row unpackRow(const QByteArray& packed) {
    Row row;
    for (Reader reader(packed); !reader.atEnd();)
        row << reader.value();
    return row;
}

Columns unpackColumns(const QByteArray& packed) {
    Columns columns;
    for (Reader reader(packed); !reader.atEnd();) {
        const int position = int(reader.varint());
        columns.append({position, reader.value()});
    }
    return columns;
}

bool same(const QVariant& a, const QVariant& b) {
    return packRow({a}) == packRow({b});
}

QString display(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return u"(none)"_s;
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 17);
    if (value.typeId() == QMetaType::QByteArray)
        return u"(%1 bytes)"_s.arg(value.toByteArray().size());
    if (value.typeId() == QMetaType::QString)
        return u'"' + value.toString() + u'"';
    return value.toString();
}

QString display(const QVariant& value, ColumnKind kind) {
    if (kind == ColumnKind::Money && value.typeId() == QMetaType::LongLong)
        return ColumnValues::fromStorage(ColumnKind::Money, value).toString();
    return display(value);
}

} // namespace tovin::JournalValues
