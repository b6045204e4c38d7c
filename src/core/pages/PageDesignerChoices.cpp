#include "core/pages/PageDesignerChoices.h"

#include "core/pages/PageMarkup.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

PageDesignerChoices PageDesignerChoices::opening(PageOptions& options, const QString& height) {
    const bool widthShown = PageOptionRules::applyDesignerDefaults(options, height);
    PageDesignerChoices choices;
    choices.title = PageOptionRules::typedTitle(options.PageTitle);
    choices.numbered = PageMarkup::hasPageNumberMarker(options.PageTitle);
    const QString align = options.PageAlign.toLower();
    choices.align = align == u"left"_s ? Left : align == u"right"_s ? Right : Center;
    choices.itemsPerRow = QString::number(options.ItemsPerRow);
    // A picture sized by its height alone shows no width, so that typing a width is a change.
    choices.width = widthShown ? QString::number(options.ImageWidth) : QString();
    choices.height = height;
    choices.textPlace = options.TextPosition == u"bottom"_s ? Bottom : Top;
    choices.overwritePages = options.OverwritePages;
    choices.detailPages = options.DetailPages;
    choices.border = options.ImageBorder;
    // No limit to the items of a page is an empty box rather than a 0 the user must clear.
    choices.itemsPerPage =
        options.ItemsPerPage > 0 ? QString::number(options.ItemsPerPage) : QString();
    return choices;
}

void PageDesignerChoices::applyTo(PageOptions& options, Changed changed) const {
    switch (changed) {
    case Changed::TitleTyped:
    case Changed::TitleNumbered:
        options.PageTitle =
            PageOptionRules::titleWithNumber(title, numbered, changed == Changed::TitleTyped);
        break;
    case Changed::ItemsPerRow:
        options.ItemsPerRow = boxNumber(itemsPerRow);
        break;
    case Changed::PictureSize:
        options.PictureSize = PageOptionRules::pictureSize(width, height);
        break;
    case Changed::ItemsPerPage:
        options.ItemsPerPage = boxNumber(itemsPerPage);
        break;
    case Changed::ImageBorder:
        options.ImageBorder = border;
        break;
    case Changed::Align:
        options.PageAlign =
            std::array<QString, 3>{u"Left"_s, u"Center"_s, u"Right"_s}[std::clamp(align, 0, 2)];
        break;
    case Changed::TextPosition:
        options.TextPosition = textPlace == Bottom ? u"bottom"_s : u"top"_s;
        break;
    case Changed::OverwritePages:
        options.OverwritePages = overwritePages;
        break;
    case Changed::DetailPages:
        options.DetailPages = detailPages;
        break;
    }
}

std::int16_t PageDesignerChoices::boxNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!TextRules::IsNumeric(trimmed))
        return 0;
    const double value = TextRules::Val(trimmed);
    return std::int16_t(std::clamp(value, 0.0, double(TextRules::IntegerMax)));
}

int PageDesignerChoices::slotItem(const PageOptions& options, int slot) {
    if (slot < 0 || slot >= PageOptions::SlotCount)
        return PageOptions::EmptySlot;
    const int code = options.ItemOrder[size_t(slot)];
    const bool filled = code >= 0 && code < PageOptions::SlotCount && options.ItemShown[code];
    return filled ? code : int(PageOptions::EmptySlot);
}

bool PageDesignerChoices::itemTicked(const PageOptions& options, int code) {
    if (code < 0 || code >= PageOptions::SlotCount || !options.ItemShown[size_t(code)])
        return false;
    return std::find(options.ItemOrder.begin(), options.ItemOrder.end(), code) !=
           options.ItemOrder.end();
}

bool PageDesignerChoices::dropOnSlot(PageOptions& options, int slot, int code) {
    if (slot < 0 || slot >= PageOptions::SlotCount ||
        slotItem(options, slot) != PageOptions::EmptySlot)
        return false;
    PageOptionRules::removeFromOrder(options, code);
    PageOptionRules::addToOrder(options, code, slot);
    return true;
}

void PageDesignerChoices::dragOutOfSlot(PageOptions& options, int slot) {
    PageOptionRules::removeFromOrder(options, options.ItemOrder[size_t(std::clamp(slot, 0, 8))]);
}

} // namespace tovin
