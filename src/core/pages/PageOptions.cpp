#include "core/pages/PageOptions.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

PageOptions& pageOptions() {
    static PageOptions options;
    return options;
}

void applyProductsScreenDefaults() {
    PageOptions& o = pageOptions();
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
