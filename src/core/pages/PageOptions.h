#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace tovin {

// The layout options shared by the pages the program writes (catalogue pages by page number,
// the thumbnail page, the picture page maker). They live in memory for the whole run; the
// Products screen sets its defaults when it loads and the page maker's controls change them.
struct PageOptions {
    // Item codes of ItemOrder and ItemShown.
    enum ItemCode : std::int16_t {
        Picture = 0,
        ItemNumber = 1,
        ItemName = 2,
        Description = 3,
        RetailPrice = 4,
        DetailsLink = 5,
        Cost = 6,
        Savings = 7,
        PurchaseLink = 8,
    };
    static constexpr std::int16_t EmptySlot = 10;
    static constexpr int SlotCount = 9;

    // Empty: the page maker uses "Picture Page # tq2002".
    QString PageTitle;
    // "Left", "Center" or "Right" once chosen.
    QString PageAlign = QStringLiteral("center");
    QString FontName;
    // HTML size 1 to 7; below 1 is taken as 5.
    std::int16_t FontSize = 5;
    // "#" and six upper-case hexadecimal digits.
    QString FontColor = QStringLiteral("#111111");
    // "<b>", "<i>", "<strike>", "<u>" for the chosen styles, and their closing tags in the
    // order "</b>", "</i>", "</u>", "</strike>".
    QString BoldTag;
    QString ItalicTag;
    QString StrikeTag;
    QString UnderlineTag;
    QString CloseTags;
    // "top" or "bottom"; empty is taken as "top".
    QString TextPosition;
    // The size attributes written into each picture tag.
    QString PictureSize = QStringLiteral("width");
    std::int16_t ImageWidth = 100;
    QString ImageBorder;
    // 0 is taken as 4.
    std::int16_t ItemsPerRow = 4;
    // 0: all items on one page.
    std::int16_t ItemsPerPage = 0;
    // The cost column of the pages by page number: 0 Cost1 ... 4 Cost5.
    std::int16_t CostLevel = 1;
    // The item code shown in each display slot, and whether each item code is included.
    std::array<std::int16_t, SlotCount> ItemOrder{1, 0, 2, 3, 4, EmptySlot, 6, 7, 8};
    std::array<bool, SlotCount> ItemShown{true, true, true, true, true, false, true, true, true};
    // The last filled display slot; -1 when none is.
    std::int16_t LastOrderSlot = -1;
    bool OverwritePages = false;
    bool DetailPages = false;
};

// What the Products screen sets when it loads: font colour, font size, alignment, items per
// row, picture width and size, cost level, the display order and the items shown. The other
// options keep their values.
void applyProductsScreenDefaults(PageOptions& o);

} // namespace tovin

namespace tovin::PageOptionRules {

// How the page designer's choices become option values.

// The title with the page-number box: ticking it gives title + " tq2002", typing while it is
// ticked title + " tq2002-18"; unticked, the title alone.
QString titleWithNumber(const QString& typed, bool numbered, bool whileTyping);
// The part of a title shown in the title box, and whether the page-number box is ticked.
QString typedTitle(const QString& pageTitle);

// The picture size attributes from the width and height boxes ("width=120 height=90",
// "width=120", "height=90"); empty when both are.
QString pictureSize(const QString& width, const QString& height);

// What the designer makes of options still unset when it opens: the title "Picture Page #
// tq2002", font size 5 for one below 1, 4 items per row, pictures 100 wide and sized by their
// width, text at the top of the rows. Pictures sized by width get their size attributes from the
// width and the height box again; the result says whether the width box then shows the width
// (otherwise it is left empty).
bool applyDesignerDefaults(PageOptions& options, const QString& heightBox);

// The HTML font size (1 to 7) for a point size.
std::int16_t fontSizeForPoints(double points);
// The point size the font dialog opens with for an HTML font size.
double pointsForFontSize(std::int16_t size);
// "#" and the colour's red, green and blue as two upper-case hexadecimal digits each.
QString colorText(int red, int green, int blue);
// Reads such a text back; black for anything else.
void colorParts(const QString& text, int* red, int* green, int* blue);

// Applies a font choice: face, colour, size and the style tags with their closing tags.
void applyFont(PageOptions& options, const QString& face, double points, bool bold, bool italic,
               bool strikeout, bool underline, int red, int green, int blue);

// The order list. Puts an item into `slot` (or, when it is -1, the first empty slot after
// LastOrderSlot, else the first empty one); returns the slot used, -1 when all are full.
int addToOrder(PageOptions& options, int code, int slot = -1);
// Takes an item out of its slot; the other slots keep their places. Returns the slot freed.
int removeFromOrder(PageOptions& options, int code);
void clearOrder(PageOptions& options);
// Item number, picture, then items 2 to 8, all shown.
void defaultOrder(PageOptions& options);

} // namespace tovin::PageOptionRules
