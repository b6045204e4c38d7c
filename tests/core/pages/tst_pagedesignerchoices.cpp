#include "core/pages/PageDesignerChoices.h"

#include <QMap>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

using Changed = PageDesignerChoices::Changed;

namespace {

// The options a change of the designer's choices may touch, and two it never does, as text.
QMap<QString, QString> fields(const PageOptions& o) {
    const auto yes = [](bool b) { return b ? u"yes"_s : u"no"_s; };
    return {{u"PageTitle"_s, o.PageTitle},
            {u"PageAlign"_s, o.PageAlign},
            {u"ItemsPerRow"_s, QString::number(o.ItemsPerRow)},
            {u"PictureSize"_s, o.PictureSize},
            {u"ItemsPerPage"_s, QString::number(o.ItemsPerPage)},
            {u"ImageBorder"_s, o.ImageBorder},
            {u"TextPosition"_s, o.TextPosition},
            {u"OverwritePages"_s, yes(o.OverwritePages)},
            {u"DetailPages"_s, yes(o.DetailPages)},
            {u"ImageWidth"_s, QString::number(o.ImageWidth)},
            {u"FontName"_s, o.FontName}};
}

// The order list as text: each slot's item code, "-" for an empty slot.
QString orderText(const PageOptions& o) {
    QStringList shown;
    for (int slot = 0; slot < PageOptions::SlotCount; ++slot) {
        const int code = PageDesignerChoices::slotItem(o, slot);
        shown << (code == PageOptions::EmptySlot ? u"-"_s : QString::number(code));
    }
    return shown.join(u' ');
}

} // namespace

class PageDesignerChoicesTest : public QObject {
    Q_OBJECT
private slots:
    // One choice changed: its option takes the value the choice gives, every other keeps its
    // own (the options start from values no choice here gives).
    void aChoiceSetsItsOptionOnly_data() {
        QTest::addColumn<int>("changed");
        QTest::addColumn<QString>("text");   // typed into the choice's box
        QTest::addColumn<QString>("second"); // the height box, for the picture size
        QTest::addColumn<int>("index");      // the radio button or tick (0/1)
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        const auto row = [](const char* name, Changed changed, const QString& text,
                            const QString& second, int index, const QString& field,
                            const QString& value) {
            QTest::newRow(name) << int(changed) << text << second << index << field << value;
        };
        row("title typed, numbered", Changed::TitleTyped, u"Spring"_s, {}, 1, u"PageTitle"_s,
            u"Spring tq2002-18"_s);
        row("number ticked", Changed::TitleNumbered, u"Spring"_s, {}, 1, u"PageTitle"_s,
            u"Spring tq2002"_s);
        row("number unticked", Changed::TitleNumbered, u"Spring"_s, {}, 0, u"PageTitle"_s,
            u"Spring"_s);
        row("items per row", Changed::ItemsPerRow, u" 6 "_s, {}, 0, u"ItemsPerRow"_s, u"6"_s);
        row("items per row, a word", Changed::ItemsPerRow, u"six"_s, {}, 0, u"ItemsPerRow"_s,
            u"0"_s);
        row("items per row, negative", Changed::ItemsPerRow, u"-3"_s, {}, 0, u"ItemsPerRow"_s,
            u"0"_s);
        row("items per row, too many", Changed::ItemsPerRow, u"99999"_s, {}, 0, u"ItemsPerRow"_s,
            u"32767"_s);
        row("items per row, a fraction", Changed::ItemsPerRow, u"2.7"_s, {}, 0, u"ItemsPerRow"_s,
            u"2"_s);
        row("items per page", Changed::ItemsPerPage, u"12"_s, {}, 0, u"ItemsPerPage"_s, u"12"_s);
        row("items per page emptied", Changed::ItemsPerPage, QString(), {}, 0, u"ItemsPerPage"_s,
            u"0"_s);
        row("width and height", Changed::PictureSize, u"120"_s, u"90"_s, 0, u"PictureSize"_s,
            u"width=120 height=90"_s);
        row("height alone", Changed::PictureSize, QString(), u"90"_s, 0, u"PictureSize"_s,
            u"height=90"_s);
        row("neither", Changed::PictureSize, QString(), QString(), 0, u"PictureSize"_s, QString());
        row("border as typed", Changed::ImageBorder, u"2px"_s, {}, 0, u"ImageBorder"_s, u"2px"_s);
        row("left", Changed::Align, {}, {}, 0, u"PageAlign"_s, u"Left"_s);
        row("centre", Changed::Align, {}, {}, 1, u"PageAlign"_s, u"Center"_s);
        row("right", Changed::Align, {}, {}, 2, u"PageAlign"_s, u"Right"_s);
        row("rows at the top", Changed::TextPosition, {}, {}, 0, u"TextPosition"_s, u"top"_s);
        row("rows at the bottom", Changed::TextPosition, {}, {}, 1, u"TextPosition"_s, u"bottom"_s);
        row("overwrite", Changed::OverwritePages, {}, {}, 1, u"OverwritePages"_s, u"yes"_s);
        row("detail pages", Changed::DetailPages, {}, {}, 1, u"DetailPages"_s, u"yes"_s);
    }
    void aChoiceSetsItsOptionOnly() {
        QFETCH(int, changed);
        QFETCH(QString, text);
        QFETCH(QString, second);
        QFETCH(int, index);
        QFETCH(QString, field);
        QFETCH(QString, value);
        PageOptions options;
        options.PageTitle = u"Kept"_s;
        options.PageAlign = u"kept"_s;
        options.ItemsPerRow = 9;
        options.PictureSize = u"kept"_s;
        options.ItemsPerPage = 99;
        options.ImageBorder = u"kept"_s;
        options.TextPosition = u"kept"_s;
        options.OverwritePages = index == 0;
        options.DetailPages = index == 0;
        options.FontName = u"Serif"_s;
        // Every box holds the text and every tick and button the index, as the user left them.
        PageDesignerChoices choices;
        choices.title = choices.itemsPerRow = choices.width = choices.itemsPerPage =
            choices.border = text;
        choices.height = second;
        choices.numbered = choices.overwritePages = choices.detailPages = index != 0;
        choices.align = choices.textPlace = index;
        QMap<QString, QString> expected = fields(options);
        expected[field] = value;
        choices.applyTo(options, Changed(changed));
        QCOMPARE(fields(options), expected);
    }

    // What the designer shows when it opens, from options as the Products screen or an earlier
    // opening of the designer left them.
    void openingShowsTheOptions_data() {
        QTest::addColumn<QString>("align");
        QTest::addColumn<QString>("pictureSize");
        QTest::addColumn<int>("itemsPerPage");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("shownAlign");
        QTest::addColumn<QString>("shownWidth");
        QTest::addColumn<QString>("shownPerPage");
        QTest::addColumn<QString>("sizeAfter");
        QTest::addColumn<bool>("numbered");
        QTest::newRow("as the Products screen leaves them")
            << u"center"_s << u"width"_s << 0 << QString() << 1 << u"150"_s << QString()
            << u"width=150 height=80"_s << true;
        QTest::newRow("chosen before")
            << u"Right"_s << u"width=150 height=90"_s << 12 << u"Sale"_s << 2 << QString()
            << u"12"_s << u"width=150 height=90"_s << false;
        QTest::newRow("left, in any case") << u"LEFT"_s << u"height=60"_s << 3 << u"Sale tq2002"_s
                                           << 0 << QString() << u"3"_s << u"height=60"_s << true;
    }
    void openingShowsTheOptions() {
        QFETCH(QString, align);
        QFETCH(QString, pictureSize);
        QFETCH(int, itemsPerPage);
        QFETCH(QString, title);
        QFETCH(int, shownAlign);
        QFETCH(QString, shownWidth);
        QFETCH(QString, shownPerPage);
        QFETCH(QString, sizeAfter);
        QFETCH(bool, numbered);
        PageOptions options;
        options.PageAlign = align;
        options.PictureSize = pictureSize;
        options.ItemsPerPage = std::int16_t(itemsPerPage);
        options.PageTitle = title;
        options.ImageWidth = 150;
        options.TextPosition = u"bottom"_s;
        options.ImageBorder = u"1"_s;
        const PageDesignerChoices shown = PageDesignerChoices::opening(options, u"80"_s);
        QCOMPARE(shown.align, shownAlign);
        QCOMPARE(shown.width, shownWidth);
        QCOMPARE(shown.height, u"80"_s);
        QCOMPARE(shown.itemsPerPage, shownPerPage);
        QCOMPARE(shown.numbered, numbered);
        QCOMPARE(shown.title, title.isEmpty() ? u"Picture Page #"_s : u"Sale"_s);
        QCOMPARE(shown.textPlace, int(PageDesignerChoices::Bottom));
        QCOMPARE(shown.border, u"1"_s);
        QCOMPARE(shown.itemsPerRow, u"4"_s);
        QCOMPARE(options.PictureSize, sizeAfter);
    }

    // Dropping an item on a slot of the order list, and dragging a slot's item out of it.
    void orderListDrops_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("order");
        // The list starts as: item number, picture, item name, an empty slot, a hidden item.
        QTest::newRow("on the empty slot") << 3 << 4 << true << u"1 0 2 4 - - - - -"_s;
        QTest::newRow("a placed item moves") << 3 << 0 << true << u"1 - 2 0 - - - - -"_s;
        QTest::newRow("on a filled slot") << 2 << 4 << false << u"1 0 2 - - - - - -"_s;
        QTest::newRow("past the last slot") << 9 << 4 << false << u"1 0 2 - - - - - -"_s;
    }
    void orderListDrops() {
        QFETCH(int, slot);
        QFETCH(int, code);
        QFETCH(bool, moved);
        QFETCH(QString, order);
        PageOptions options;
        PageOptionRules::clearOrder(options);
        for (int item : {1, 0, 2})
            PageOptionRules::addToOrder(options, item);
        options.ItemOrder[4] = PageOptions::Cost; // left behind, not shown
        QCOMPARE(PageDesignerChoices::itemTicked(options, PageOptions::Cost), false);
        QCOMPARE(PageDesignerChoices::dropOnSlot(options, slot, code), moved);
        QCOMPARE(orderText(options), order);
        QCOMPARE(PageDesignerChoices::itemTicked(options, code), moved);
        PageDesignerChoices::dragOutOfSlot(options, 2);
        QCOMPARE(PageDesignerChoices::itemTicked(options, PageOptions::ItemName), false);
        QCOMPARE(PageDesignerChoices::slotItem(options, 2), int(PageOptions::EmptySlot));
    }
};

QTEST_GUILESS_MAIN(PageDesignerChoicesTest)
#include "tst_pagedesignerchoices.moc"
