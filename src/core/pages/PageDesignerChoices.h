#pragma once

#include "core/pages/PageOptions.h"

#include <QString>
#include <cstdint>

namespace tovin {

// The page designer's choices as its boxes, ticks and buttons hold them, and the page options
// they give. The designer reads its controls into one of these whenever the user changes one,
// and shows the choices that the options give when it opens; what a choice means for the pages
// is decided here, away from the controls.
class PageDesignerChoices {
public:
    // The choice the user just changed. Only the options that choice gives are set: options the
    // designer has no box for (the font, the order list) keep what they hold, and so do the
    // options of boxes the user has not touched since the designer opened.
    enum class Changed {
        TitleTyped,
        TitleNumbered,
        ItemsPerRow,
        PictureSize,
        ItemsPerPage,
        ImageBorder,
        Align,
        TextPosition,
        OverwritePages,
        DetailPages,
    };
    enum Align { Left = 0, Center = 1, Right = 2 };
    enum TextPlace { Top = 0, Bottom = 1 };

    QString title;
    bool numbered = false; // the page number at the end of the title
    QString itemsPerRow;
    QString width;
    QString height;
    QString itemsPerPage;
    QString border;
    int align = Center;
    int textPlace = Top;
    bool overwritePages = false;
    bool detailPages = false;

    // What the designer shows when it opens. The options still unset are first given the
    // designer's defaults (see PageOptionRules::applyDesignerDefaults), with the height box's
    // text, which the designer keeps as it is.
    static PageDesignerChoices opening(PageOptions& options, const QString& height);

    void applyTo(PageOptions& options, Changed changed) const;

    // The number a box holds for a count: anything but a number is 0, and the number is kept
    // within 0 and the largest count the options hold.
    static std::int16_t boxNumber(const QString& text);

    // The order list as the designer shows it: the item in a slot (EmptySlot when the slot is
    // empty or its item is not shown), and whether an item's box is ticked.
    static int slotItem(const PageOptions& options, int slot);
    static bool itemTicked(const PageOptions& options, int code);
    // An item dropped on a slot moves there when the slot is empty; false when it was not.
    static bool dropOnSlot(PageOptions& options, int slot, int code);
    // The item of a slot dragged back out of the order list leaves it.
    static void dragOutOfSlot(PageOptions& options, int slot);
};

} // namespace tovin
