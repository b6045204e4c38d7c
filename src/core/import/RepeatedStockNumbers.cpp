#include "core/import/RepeatedStockNumbers.h"

#include "core/import/ImportMessages.h"

namespace tovin {

QString RepeatedStockNumbers::key(const QString& stockNumber) {
    // The catalogue's text comparison folds only the letters A to Z; "É1" and "é1" stay two
    // products there, so they stay two here.
    QString folded = stockNumber;
    for (QChar& c : folded)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return folded;
}

void RepeatedStockNumbers::add(const QString& stockNumber, qsizetype line) {
    const QString k = key(stockNumber);
    const auto found = m_index.constFind(k);
    if (found == m_index.constEnd()) {
        m_index.insert(k, m_items.size());
        m_items.append({stockNumber, {line}});
        return;
    }
    Item& item = m_items[*found];
    if (item.lines.size() == 1)
        ++m_repeated;
    item.lines.append(line);
}

bool RepeatedStockNumbers::isRepeated(const QString& stockNumber) const {
    const auto found = m_index.constFind(key(stockNumber));
    return found != m_index.constEnd() && m_items.at(*found).lines.size() > 1;
}

bool RepeatedStockNumbers::hasLaterItem(const QString& stockNumber, qsizetype line) const {
    const auto found = m_index.constFind(key(stockNumber));
    return found != m_index.constEnd() && m_items.at(*found).lines.last() > line;
}

QStringList RepeatedStockNumbers::messages(qsizetype limit) const {
    QStringList out;
    for (const Item& item : m_items) {
        if (out.size() >= limit)
            break;
        if (item.lines.size() < 2)
            continue;
        QList<qsizetype> lines;
        for (qsizetype line : item.lines)
            lines.append(line + 1);
        out.append(
            ImportMessages::repeatedStockNumber(item.stockNumber, lines, m_place == Place::Rows));
    }
    return out;
}

} // namespace tovin
