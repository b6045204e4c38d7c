#include "core/pages/PageOptions.h"

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void applyProductsScreenDefaults(PageOptions& o) {
    o.FontColor = u"#111111"_s;
    o.FontSize = 5;
    o.PageAlign = u"center"_s;
    o.ItemsPerRow = 4;
    o.ImageWidth = 100;
    o.PictureSize = u"width"_s;
    o.CostLevel = 1;
    o.LastOrderSlot = -1;
    o.ItemOrder = {1, 0, 2, 3, 4, PageOptions::EmptySlot, 6, 7, 8};
    for (int code = 0; code < PageOptions::SlotCount; ++code)
        o.ItemShown[code] = code != PageOptions::DetailsLink;
}

} // namespace tovin

namespace tovin::PageOptionRules {

namespace {
const QString Marker = u" tq2002"_s;
}

QString titleWithNumber(const QString& typed, bool numbered, bool whileTyping) {
    if (!numbered)
        return typed;
    return typed + (whileTyping ? u" tq2002-18"_s : Marker);
}

QString typedTitle(const QString& pageTitle) {
    const qsizetype marker = pageTitle.indexOf(u"tq2002"_s);
    if (marker < 0)
        return pageTitle;
    QString typed = pageTitle.left(marker);
    // The blank before the marker belongs to the marker.
    if (typed.endsWith(u' '))
        typed.chop(1);
    return typed;
}

QString pictureSize(const QString& width, const QString& height) {
    const QString w = width.trimmed();
    const QString h = height.trimmed();
    if (!w.isEmpty() && !h.isEmpty())
        return u"width="_s + w + u" height="_s + h;
    if (!w.isEmpty())
        return u"width="_s + w;
    if (!h.isEmpty())
        return u"height="_s + h;
    return {};
}

bool applyDesignerDefaults(PageOptions& o, const QString& heightBox) {
    if (o.PageTitle.isEmpty())
        o.PageTitle = u"Picture Page # tq2002"_s;
    if (o.FontSize < 1)
        o.FontSize = 5;
    if (o.ItemsPerRow == 0)
        o.ItemsPerRow = 4;
    if (o.ImageWidth == 0)
        o.ImageWidth = 100;
    if (o.PictureSize.isEmpty())
        o.PictureSize = u"width"_s;
    if (o.TextPosition.isEmpty())
        o.TextPosition = u"top"_s;
    // "width" alone is what the Products screen leaves: the size is then the picture width.
    if (o.PictureSize != u"width"_s)
        return false;
    o.PictureSize = pictureSize(QString::number(o.ImageWidth), heightBox);
    return true;
}

std::int16_t fontSizeForPoints(double points) {
    const long p = std::lround(points);
    if (p <= 8)
        return 1;
    if (p <= 10)
        return 2;
    if (p <= 12)
        return 3;
    if (p <= 14)
        return 4;
    if (p <= 18)
        return 5;
    if (p <= 24)
        return 6;
    return 7;
}

double pointsForFontSize(std::int16_t size) {
    return (size < 1 ? 5 : size) * 4.0;
}

QString colorText(int red, int green, int blue) {
    auto part = [](int value) {
        return QString::number(std::clamp(value, 0, 255), 16).rightJustified(2, u'0').toUpper();
    };
    return u'#' + part(red) + part(green) + part(blue);
}

void colorParts(const QString& text, int* red, int* green, int* blue) {
    *red = *green = *blue = 0;
    if (text.size() != 7 || !text.startsWith(u'#'))
        return;
    bool ok = false;
    const uint rgb = text.mid(1).toUInt(&ok, 16);
    if (!ok)
        return;
    *red = int((rgb >> 16) & 0xFF);
    *green = int((rgb >> 8) & 0xFF);
    *blue = int(rgb & 0xFF);
}

void applyFont(PageOptions& o, const QString& face, double points, bool bold, bool italic,
               bool strikeout, bool underline, int red, int green, int blue) {
    o.FontName = face;
    o.FontColor = colorText(red, green, blue);
    o.BoldTag = bold ? u"<b>"_s : QString();
    o.ItalicTag = italic ? u"<i>"_s : QString();
    o.StrikeTag = strikeout ? u"<strike>"_s : QString();
    o.UnderlineTag = underline ? u"<u>"_s : QString();
    o.CloseTags = (bold ? u"</b>"_s : QString()) + (italic ? u"</i>"_s : QString()) +
                  (underline ? u"</u>"_s : QString()) + (strikeout ? u"</strike>"_s : QString());
    o.FontSize = fontSizeForPoints(points);
}

namespace {
// The slot before the first empty slot; -1 when slot 0 is empty.
std::int16_t lastFilledSlot(const PageOptions& o) {
    for (int slot = 0; slot < PageOptions::SlotCount; ++slot)
        if (o.ItemOrder[slot] == PageOptions::EmptySlot)
            return std::int16_t(slot - 1);
    return PageOptions::SlotCount - 1;
}
} // namespace

int addToOrder(PageOptions& o, int code, int slot) {
    if (code < 0 || code >= PageOptions::SlotCount)
        return -1;
    for (int s = 0; s < PageOptions::SlotCount; ++s)
        if (o.ItemOrder[s] == code && o.ItemShown[code])
            return s; // already placed
    if (slot < 0 || slot >= PageOptions::SlotCount || o.ItemOrder[slot] != PageOptions::EmptySlot) {
        slot = -1;
        for (int s = o.LastOrderSlot + 1; s < PageOptions::SlotCount && slot < 0; ++s)
            if (o.ItemOrder[s] == PageOptions::EmptySlot)
                slot = s;
        for (int s = 0; s < PageOptions::SlotCount && slot < 0; ++s)
            if (o.ItemOrder[s] == PageOptions::EmptySlot)
                slot = s;
        if (slot < 0)
            return -1;
    }
    o.ItemOrder[slot] = std::int16_t(code);
    o.ItemShown[code] = true;
    o.LastOrderSlot = std::max<std::int16_t>(o.LastOrderSlot, std::int16_t(slot));
    return slot;
}

int removeFromOrder(PageOptions& o, int code) {
    if (code < 0 || code >= PageOptions::SlotCount)
        return -1;
    int freed = -1;
    for (int s = 0; s < PageOptions::SlotCount; ++s)
        if (o.ItemOrder[s] == code) {
            o.ItemOrder[s] = PageOptions::EmptySlot;
            freed = s;
        }
    o.ItemShown[code] = false;
    o.LastOrderSlot = lastFilledSlot(o);
    return freed;
}

void clearOrder(PageOptions& o) {
    o.ItemOrder.fill(PageOptions::EmptySlot);
    o.ItemShown.fill(false);
    o.LastOrderSlot = -1;
}

void defaultOrder(PageOptions& o) {
    clearOrder(o);
    addToOrder(o, PageOptions::ItemNumber);
    addToOrder(o, PageOptions::Picture);
    for (int code = PageOptions::ItemName; code < PageOptions::SlotCount; ++code)
        addToOrder(o, code);
}

} // namespace tovin::PageOptionRules
