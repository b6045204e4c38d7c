#include "core/import/FieldSplitter.h"

#include "core/import/ImportItem.h"
#include "core/import/LineSource.h"

namespace tovin {

namespace {

// A quoted field read up to its closing quote; `after` is the rest of the line the quote closed
// on.
struct QuotedField {
    QString value;
    QStringView after;
};

// Reads the quoted field that `rest` starts with (its first character is the opening quote),
// taking further lines from `source` while the quote stays open. Returns false when it does not
// close within the limits; the caller then rewinds `source`.
bool readQuoted(QStringView rest, LineSource& source, QuotedField& field) {
    QStringView current = rest.sliced(1);
    int lines = 1;
    field.value.clear();
    for (;;) {
        qsizetype quote = current.indexOf(u'"');
        while (quote >= 0) {
            if (quote + 1 < current.size() && current.at(quote + 1) == u'"') {
                field.value += current.first(quote + 1);
                current = current.sliced(quote + 2);
                quote = current.indexOf(u'"');
                continue;
            }
            field.value += current.first(quote);
            field.after = current.sliced(quote + 1);
            return true;
        }
        field.value += current;
        if (source.atEnd() || lines >= FieldSplitter::MaxQuotedLines ||
            field.value.size() > FieldSplitter::MaxQuotedChars)
            return false;
        field.value += source.lastLineEnd();
        current = source.readLine();
        ++lines;
    }
}

} // namespace

bool FieldSplitter::readItem(LineSource& source, ImportItem& item) const {
    item.clear();
    // The lines of earlier items are not read again.
    source.dropRead();
    if (source.atEnd())
        return false;
    if (m_divider.isSeparateLines())
        readSeparateLines(source, item);
    else
        splitLines(source, item);
    return true;
}

void FieldSplitter::readSeparateLines(LineSource& source, ImportItem& item) const {
    for (int i = 0; i < m_divider.linesPerItem() && !source.atEnd(); ++i)
        item.append(source.readLine().toString());
}

void FieldSplitter::splitLines(LineSource& source, ImportItem& item) const {
    const QString& divider = m_divider.text();
    const bool skipEmpty = m_divider.kind() == Divider::Kind::TwoSpaces;
    QStringView rest = source.readLine();
    bool quotesAllowed = m_divider.quotesFields();
    QuotedField quoted;
    for (;;) {
        if (quotesAllowed && rest.startsWith(u'"')) {
            const qsizetype lineAfterOpening = source.position();
            if (readQuoted(rest, source, quoted)) {
                rest = quoted.after;
                const qsizetype at = rest.indexOf(divider);
                if (at < 0) {
                    quoted.value += rest;
                    item.append(std::move(quoted.value));
                    return;
                }
                quoted.value += rest.first(at);
                item.append(std::move(quoted.value));
                rest = rest.sliced(at + 1);
                continue;
            }
            // No closing quote: split the opening line by the bare divider from here on.
            source.seek(lineAfterOpening);
            quotesAllowed = false;
        }
        const qsizetype at = rest.indexOf(divider);
        if (at < 0) {
            item.append(rest.toString());
            return;
        }
        if (at > 0 || !skipEmpty)
            item.append(rest.first(at).toString());
        rest = rest.sliced(at + 1);
    }
}

QStringList FieldSplitter::split(const QString& text) const {
    LineSource source(TextFile::decode(text.toUtf8()));
    ImportItem item;
    readItem(source, item);
    QStringList fields;
    for (int i = 0; i < item.fieldCount(); ++i)
        fields.append(item.field(i));
    return fields;
}

} // namespace tovin
