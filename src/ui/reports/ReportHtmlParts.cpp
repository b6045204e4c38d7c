#include "ui/reports/ReportHtmlParts.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// One tag of the page: where it starts and ends, its name in lower case, whether it closes an
// element. A comment is a tag with no name.
struct Tag {
    qsizetype start = -1;
    qsizetype end = -1;
    QString name;
    bool closing = false;
    QStringView attributes;
};

// The next tag at or after `from`, or none. Quoted attribute values may hold '>'.
std::optional<Tag> nextTag(const QString& html, qsizetype from) {
    const qsizetype start = html.indexOf(u'<', from);
    if (start < 0)
        return std::nullopt;
    Tag tag;
    tag.start = start;
    if (QStringView(html).mid(start).startsWith(u"<!--")) {
        const qsizetype close = html.indexOf(u"-->"_s, start + 4);
        tag.end = close < 0 ? html.size() : close + 3;
        return tag;
    }
    qsizetype i = start + 1;
    if (i < html.size() && html.at(i) == u'/') {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < html.size() && html.at(i).isLetterOrNumber())
        ++i;
    tag.name = html.mid(nameStart, i - nameStart).toLower();
    const qsizetype attributesStart = i;
    QChar quote;
    for (; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            break;
        }
    }
    tag.attributes = QStringView(html).mid(attributesStart, i - attributesStart);
    tag.end = std::min(i + 1, html.size());
    return tag;
}

bool isVoid(const QString& name) {
    static const QStringList names{u"br"_s,    u"hr"_s,  u"img"_s,  u"meta"_s, u"link"_s,
                                   u"input"_s, u"col"_s, u"area"_s, u"base"_s, u"wbr"_s};
    return names.contains(name);
}

// A table as found on the page, while it is read.
struct Table {
    qsizetype start = 0;
    qsizetype leadEnd = -1;
    qsizetype closeStart = 0;
    QList<std::pair<qsizetype, qsizetype>> rows;
    int headRows = 0;
    int index = 0;
    bool usable = true;
};

// Reads the inside of the table whose opening tag is `open`; returns where its closing tag
// ends, or -1 when it is never closed.
qsizetype readTable(const QString& html, const Tag& open, Table& table) {
    table.start = open.start;
    int depth = 1;
    bool inHead = false;
    bool headDone = false;
    qsizetype pos = open.end;
    while (const std::optional<Tag> tag = nextTag(html, pos)) {
        pos = tag->end;
        if (tag->name == u"table"_s) {
            depth += tag->closing ? -1 : 1;
            if (depth > 0)
                continue;
            if (!table.rows.isEmpty())
                table.rows.last().second = tag->start;
            table.closeStart = tag->start;
            if (table.leadEnd < 0)
                table.usable = false;
            return tag->end;
        }
        if (depth > 1 || tag->name.isEmpty())
            continue;
        if (tag->name == u"thead"_s) {
            if (headDone || !table.rows.isEmpty())
                table.usable = false;
            inHead = !tag->closing;
            headDone = headDone || tag->closing;
        } else if (tag->name == u"tr"_s && !tag->closing) {
            if (inHead) {
                ++table.headRows;
                continue;
            }
            if (table.rows.isEmpty())
                table.leadEnd = tag->start;
            else
                table.rows.last().second = tag->start;
            table.rows.append({tag->start, -1});
        } else if (tag->name == u"tbody"_s || tag->name == u"tfoot"_s ||
                   tag->name == u"caption"_s || tag->name == u"colgroup"_s ||
                   tag->name == u"col"_s) {
            table.usable = false;
        }
    }
    return -1;
}

// The text with the entities a filled page holds read; none when it holds others.
std::optional<QString> readEntities(QString text) {
    static const QList<std::pair<QString, QString>> entities{
        {u"&lt;"_s, u"<"_s},  {u"&gt;"_s, u">"_s},   {u"&quot;"_s, u"\""_s},
        {u"&#39;"_s, u"'"_s}, {u"&#x27;"_s, u"'"_s}, {u"&nbsp;"_s, QString(QChar(0xa0))},
        {u"&amp;"_s, u"&"_s}};
    qsizetype known = 0;
    for (const auto& [entity, character] : entities)
        known += text.count(entity);
    if (text.count(u'&') != known)
        return std::nullopt;
    for (const auto& [entity, character] : entities)
        text.replace(entity, character);
    return text;
}

} // namespace

std::optional<ReportHtmlParts> ReportHtmlParts::split(const QString& html) {
    // Elements open outside the tables: a table inside one is no part of the page itself.
    QStringList open;
    std::optional<Table> longest;
    int tables = 0;
    qsizetype pos = 0;
    while (const std::optional<Tag> tag = nextTag(html, pos)) {
        pos = tag->end;
        if (tag->name.isEmpty() || isVoid(tag->name) || tag->attributes.endsWith(u'/'))
            continue;
        if (tag->name == u"table"_s && !tag->closing) {
            Table table;
            table.index = tables++;
            table.usable = std::all_of(open.cbegin(), open.cend(), [](const QString& name) {
                return name == u"html"_s || name == u"body"_s;
            });
            const qsizetype end = readTable(html, *tag, table);
            if (end < 0)
                return std::nullopt;
            pos = end;
            // A cell over several rows ties rows together that a page of its own would part.
            if (QStringView(html)
                    .mid(table.start, end - table.start)
                    .contains(u"rowspan", Qt::CaseInsensitive))
                table.usable = false;
            if (table.usable && (!longest || table.rows.size() > longest->rows.size()))
                longest = table;
        } else if (!tag->closing) {
            open.append(tag->name);
        } else if (const qsizetype at = open.lastIndexOf(tag->name); at >= 0) {
            open.resize(at);
        }
    }
    if (!longest || longest->rows.isEmpty())
        return std::nullopt;
    ReportHtmlParts parts;
    parts.m_html = html;
    parts.m_tableStart = longest->start;
    parts.m_leadEnd = longest->leadEnd;
    parts.m_closeStart = longest->closeStart;
    parts.m_rows = longest->rows;
    parts.m_headRows = longest->headRows;
    parts.m_tablesBefore = longest->index;
    return parts;
}

QString ReportHtmlParts::chunk(qsizetype from, qsizetype to) const {
    QString text;
    if (from == 0)
        text += QStringView(m_html).left(m_tableStart);
    text += QStringView(m_html).mid(m_tableStart, m_leadEnd - m_tableStart);
    const qsizetype start = m_rows.at(from).first;
    text += QStringView(m_html).mid(start, m_rows.at(to - 1).second - start);
    if (to == m_rows.size())
        text += QStringView(m_html).mid(m_closeStart);
    else
        text += u"</table>"_s;
    return text;
}

QString ReportHtmlParts::tableWith(const QList<qsizetype>& rows) const {
    QString text = m_html.mid(m_tableStart, m_leadEnd - m_tableStart);
    for (const qsizetype row : rows) {
        const auto [start, end] = m_rows.at(row);
        text += QStringView(m_html).mid(start, end - start);
    }
    return text + u"</table>"_s;
}

QList<ReportHtmlParts::Cell> ReportHtmlParts::cells(qsizetype row) const {
    const auto [start, end] = m_rows.at(row);
    QList<Cell> cells;
    qsizetype contentStart = -1;
    const auto closeCell = [&](qsizetype at) {
        if (contentStart < 0 || cells.isEmpty())
            return;
        const QString text = m_html.mid(contentStart, at - contentStart).simplified();
        const std::optional<QString> read = readEntities(text);
        if (text.contains(u'<') || !read)
            cells.last().plain = false;
        cells.last().text = read.value_or(text);
        contentStart = -1;
    };
    qsizetype pos = start;
    while (const std::optional<Tag> tag = nextTag(m_html, pos)) {
        if (tag->start >= end)
            break;
        pos = tag->end;
        const bool isCell = tag->name == u"td"_s || tag->name == u"th"_s;
        if (isCell || tag->name == u"tr"_s) {
            closeCell(tag->start);
            if (isCell && !tag->closing) {
                Cell cell;
                cell.heading = tag->name == u"th"_s;
                // Any attribute but an alignment may change the cell's width or font.
                QString attributes = tag->attributes.toString().toLower();
                static const QRegularExpression alignment(
                    u"\\b(v?align)\\s*=\\s*(\"[^\"]*\"|'[^']*'|\\S+)"_s);
                attributes.remove(alignment);
                cell.plain = attributes.trimmed().isEmpty();
                cells.append(cell);
                contentStart = tag->end;
            }
        } else if (contentStart >= 0 && !cells.isEmpty()) {
            cells.last().plain = false;
        }
    }
    closeCell(end);
    return cells;
}

} // namespace tovin
