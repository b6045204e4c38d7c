#include "core/query/SelectText.h"

#include "core/base/RunTimeError.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

[[noreturn]] void malformed(const QString& text) {
    throw RunTimeError(ErrorNumber::WrongArguments, u"Syntax error in the query text: "_s + text);
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Position of a keyword (matched as whole words, any case) outside quotes and brackets, from
// `from`; -1 when absent.
qsizetype findKeyword(const QString& text, const QString& keyword, qsizetype from = 0) {
    bool inQuote = false;
    bool inBracket = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuote) {
            if (c == u'\'')
                inQuote = false;
            continue;
        }
        if (inBracket) {
            if (c == u']')
                inBracket = false;
            continue;
        }
        if (c == u'\'') {
            inQuote = true;
            continue;
        }
        if (c == u'[') {
            inBracket = true;
            continue;
        }
        if ((i == 0 || !isWordChar(text.at(i - 1))) &&
            text.mid(i, keyword.size()).compare(keyword, Qt::CaseInsensitive) == 0 &&
            (i + keyword.size() >= text.size() || !isWordChar(text.at(i + keyword.size()))))
            return i;
    }
    return -1;
}

// Splits at commas outside brackets.
QStringList splitList(const QString& text) {
    QStringList parts;
    QString current;
    bool inBracket = false;
    for (QChar c : text) {
        if (c == u'[')
            inBracket = true;
        else if (c == u']')
            inBracket = false;
        if (c == u',' && !inBracket) {
            parts << current.trimmed();
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts << current.trimmed();
    return parts;
}

QString columnName(const QString& text, const QString& whole) {
    QString t = text.trimmed();
    if (t.startsWith(u'[')) {
        if (!t.endsWith(u']') || t.size() < 3)
            malformed(whole);
        return t.mid(1, t.size() - 2);
    }
    if (t.isEmpty())
        malformed(whole);
    for (QChar c : t)
        if (!isWordChar(c) && c != u'.')
            malformed(whole);
    return t;
}

} // namespace

QList<SortKey> parseSortText(const QString& text) {
    QList<SortKey> keys;
    if (text.trimmed().isEmpty())
        return keys;
    for (const QString& part : splitList(text)) {
        QString p = part;
        SortKey key;
        if (p.endsWith(u" desc"_s, Qt::CaseInsensitive)) {
            key.descending = true;
            p.chop(5);
        } else if (p.endsWith(u" asc"_s, Qt::CaseInsensitive)) {
            p.chop(4);
        }
        key.column = columnName(p, text);
        keys << key;
    }
    return keys;
}

SelectText SelectText::parse(const QString& source) {
    const QString text = source.trimmed();
    SelectText select;
    if (findKeyword(text, u"select"_s) != 0) {
        select.table = columnName(text, source);
        return select;
    }
    const qsizetype from = findKeyword(text, u"from"_s);
    if (from < 0)
        malformed(source);
    const QString columns = text.mid(6, from - 6).trimmed();
    if (columns != u"*"_s) {
        for (const QString& c : splitList(columns))
            select.columns << columnName(c, source);
    }
    QString rest = text.mid(from + 4).trimmed();
    const qsizetype where = findKeyword(rest, u"where"_s);
    const qsizetype order = findKeyword(rest, u"order"_s);
    qsizetype tableEnd = rest.size();
    if (where >= 0)
        tableEnd = where;
    else if (order >= 0)
        tableEnd = order;
    select.table = columnName(rest.left(tableEnd), source);
    if (order >= 0) {
        const QString orderPart = rest.mid(order + 5).trimmed();
        if (findKeyword(orderPart, u"by"_s) != 0)
            malformed(source);
        select.orderBy = parseSortText(orderPart.mid(2));
        if (select.orderBy.isEmpty())
            malformed(source);
    }
    if (where >= 0) {
        const qsizetype whereEnd = order >= 0 && order > where ? order : rest.size();
        select.where = rest.mid(where + 5, whereEnd - where - 5).trimmed();
        if (select.where.isEmpty())
            malformed(source);
    }
    return select;
}

} // namespace tovin
