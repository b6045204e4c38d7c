// The SQLite connection's narrowing of a case-blind text equality to an index range, and its
// larger page cache for long scattered reads.
#include "core/storage/SqliteConnection.h"
#include "core/storage/StorageDialect.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Bounds, in the file's binary order of UTF-8 text, around every text equal to `ascii` when
// letter case is ignored: all capitals below, and above, each letter at its largest variant,
// which is the small letter, or the Kelvin sign for k and the long s for s (they fold to them).
std::pair<QString, QString> caseBounds(const QString& ascii) {
    QString low = ascii;
    QString high = ascii;
    for (qsizetype i = 0; i < ascii.size(); ++i) {
        const char16_t c = ascii.at(i).unicode();
        if (c >= u'a' && c <= u'z')
            low[i] = QChar(c - u'a' + u'A');
        const char16_t small = (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
        high[i] = small == u'k' ? QChar(0x212A) : small == u's' ? QChar(0x017F) : QChar(small);
    }
    return {low, high};
}

bool isAscii(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

// A column of the file may hold any type whatever its declaration: the rows lie between the
// value's case bounds, and rows holding numbers (below every text) or blobs (above) are read as
// well.
std::optional<StorageConnection::TextLookup>
SqliteConnection::caseInsensitiveLookup(const QString& table, const QString& column,
                                        const QString& ascii) const {
    if (!isAscii(ascii))
        return std::nullopt;
    if (m_utf8 < 0) {
        const std::unique_ptr<StorageStatement> encoding =
            const_cast<SqliteConnection*>(this)->prepare(u"PRAGMA encoding"_s);
        m_utf8 = encoding->next() && encoding->text(0) == u"UTF-8"_s;
    }
    if (!m_utf8)
        return std::nullopt;
    const auto [low, high] = caseBounds(ascii);
    // The bounds hold in binary order and in the order that ignores the case of ASCII letters,
    // so the column's own order serves (and its index with it) when it is one of those; any
    // other order is overruled.
    const QString collation = columnCollation(table, column);
    const bool ownOrder = collation.compare(u"BINARY"_s, Qt::CaseInsensitive) == 0 ||
                          collation.compare(u"NOCASE"_s, Qt::CaseInsensitive) == 0;
    const QString quoted = StorageDialect::quoteName(column);
    const QString ordered = ownOrder ? quoted : quoted + u" COLLATE BINARY"_s;
    return TextLookup{ordered + u" < '' OR "_s + ordered + u" BETWEEN ?1 AND ?2 OR "_s + ordered +
                          u" >= x''"_s,
                      {low, high}};
}

std::shared_ptr<void> SqliteConnection::largeReadCache() {
    const std::unique_ptr<StorageStatement> cacheSize = prepare(u"PRAGMA cache_size"_s);
    const qint64 previous = cacheSize->next() ? cacheSize->integer(0) : -2000;
    cacheSize->reset();
    prepare(u"PRAGMA cache_size = -65536"_s)->next();
    // The connection's own setting comes back when the reading is done.
    return std::shared_ptr<void>(static_cast<void*>(this), [this, previous](void*) {
        try {
            prepare(u"PRAGMA cache_size = "_s + QString::number(previous))->next();
        } catch (...) {
            // A cache size is not worth a failed read; the next connection starts afresh.
        }
    });
}

} // namespace tovin
