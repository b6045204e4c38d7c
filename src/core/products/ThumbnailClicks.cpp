#include "core/products/ThumbnailClicks.h"

#include "core/products/ThumbTicks.h"
#include "core/query/Condition.h"
#include "core/text/NumberText.h"

#include <QRegularExpression>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
bool isWebAddress(const QString& address) {
    // A scheme of two letters or more ("C:\..." is a Windows path) other than file:.
    static const QRegularExpression scheme(u"^([A-Za-z][A-Za-z0-9+.-]+):"_s);
    const QRegularExpressionMatch match = scheme.match(address);
    return match.hasMatch() && match.captured(1).compare(u"file"_s, Qt::CaseInsensitive) != 0;
}

QString lastSegment(const QString& address) {
    const qsizetype cut = std::max(address.lastIndexOf(u'/'), address.lastIndexOf(u'\\'));
    return address.mid(cut + 1);
}
} // namespace

bool ThumbnailClicks::isTickBox(const QString& address) {
    if (address.toUpper().contains(u"INTRO.HTM"_s) || isWebAddress(address))
        return false;
    const QString segment = lastSegment(address);
    return !segment.contains(u'.') && segment.contains(u'_');
}

bool ThumbnailClicks::beforeNavigate(const QString& address, ThumbTicks& ticks) {
    if (!isTickBox(address))
        return false;
    const double k = TextRules::Val(address.mid(address.lastIndexOf(u'_') + 1));
    const double index = k - 1;
    QVector<std::int16_t>& checked = ticks.checked;
    if (index < 0 || index >= checked.size() || index != std::floor(index))
        return true;
    const auto entry = qsizetype(index);
    checked[entry] = checked[entry] == 0 ? 1 : 0;
    ticks.lastFlipped = std::int16_t(entry);
    return true;
}

std::optional<QString> ThumbnailClicks::pictureStockNo(const QString& address) {
    const QString upper = address.toUpper();
    if (!upper.contains(u".JPG"_s) && !upper.contains(u".GIF"_s) && !upper.contains(u".BMP"_s))
        return std::nullopt;
    qsizetype cut = address.lastIndexOf(u'\\');
    if (cut < 0)
        cut = address.lastIndexOf(u'/');
    QString name = address.mid(cut + 1);
    name.chop(4);
    return name;
}

QString ThumbnailClicks::stockNoCondition(const QString& stockNo) {
    return u"[StockNo]='"_s + quoteConditionValue(stockNo) + u"'"_s;
}

} // namespace tovin
