#include "core/pages/PageOptions.h"

#include <QTest>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class PageOptionsTest : public QObject {
    Q_OBJECT
private slots:
    // The title box with the page-number box, and what the title box shows again.
    void titleRules_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("numbered");
        QTest::addColumn<bool>("whileTyping");
        QTest::addColumn<QString>("title");
        QTest::newRow("ticking the box")
            << u"Spring Sale"_s << true << false << u"Spring Sale tq2002"_s;
        QTest::newRow("typing while ticked")
            << u"Spring Sale"_s << true << true << u"Spring Sale tq2002-18"_s;
        QTest::newRow("unticked") << u"Spring Sale"_s << false << false << u"Spring Sale"_s;
    }
    void titleRules() {
        QFETCH(QString, typed);
        QFETCH(bool, numbered);
        QFETCH(bool, whileTyping);
        QFETCH(QString, title);
        const QString made = PageOptionRules::titleWithNumber(typed, numbered, whileTyping);
        QCOMPARE(made, title);
        QCOMPARE(PageOptionRules::typedTitle(made), typed);
    }

    // Options as the designer opens with them: title, font size, items per row, picture width,
    // size attributes, text position.
    void designerDefaults_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("heightBox");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("widthShown");
        QTest::newRow("nothing set") << QStringList{u""_s, u"0"_s, u"0"_s, u"0"_s, u""_s, u""_s}
                                     << QString() << QStringList{u"Picture Page # tq2002"_s,
                                                                 u"5"_s,
                                                                 u"4"_s,
                                                                 u"100"_s,
                                                                 u"width=100"_s,
                                                                 u"top"_s}
                                     << true;
        QTest::newRow("font size below one, smallest kept")
            << QStringList{u"Sale"_s, u"-3"_s, u"1"_s, u"80"_s, u"height=60"_s, u"bottom"_s}
            << QString()
            << QStringList{u"Sale"_s, u"5"_s, u"1"_s, u"80"_s, u"height=60"_s, u"bottom"_s}
            << false;
        QTest::newRow("choices kept")
            << QStringList{u"Sale tq2002"_s,         u"1"_s,     u"6"_s, u"120"_s,
                           u"width=120 height=90"_s, u"bottom"_s}
            << u"70"_s << QStringList{u"Sale tq2002"_s,         u"1"_s,     u"6"_s, u"120"_s,
                                      u"width=120 height=90"_s, u"bottom"_s}
            << false;
        QTest::newRow("sized by width takes the height box")
            << QStringList{u"Sale"_s, u"2"_s, u"3"_s, u"150"_s, u"width"_s, u"top"_s} << u"90"_s
            << QStringList{u"Sale"_s, u"2"_s, u"3"_s, u"150"_s, u"width=150 height=90"_s, u"top"_s}
            << true;
    }
    void designerDefaults() {
        QFETCH(QStringList, before);
        QFETCH(QString, heightBox);
        QFETCH(QStringList, after);
        QFETCH(bool, widthShown);
        PageOptions o;
        o.PageTitle = before[0];
        o.FontSize = std::int16_t(before[1].toInt());
        o.ItemsPerRow = std::int16_t(before[2].toInt());
        o.ImageWidth = std::int16_t(before[3].toInt());
        o.PictureSize = before[4];
        o.TextPosition = before[5];
        QCOMPARE(PageOptionRules::applyDesignerDefaults(o, heightBox), widthShown);
        const QStringList made{o.PageTitle,
                               QString::number(o.FontSize),
                               QString::number(o.ItemsPerRow),
                               QString::number(o.ImageWidth),
                               o.PictureSize,
                               o.TextPosition};
        QCOMPARE(made, after);
    }

    void pictureSizeRules_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("size");
        QTest::newRow("width only") << u"120"_s << QString() << u"width=120"_s;
        QTest::newRow("height added") << u"120"_s << u"90"_s << u"width=120 height=90"_s;
        QTest::newRow("height only") << QString() << u"90"_s << u"height=90"_s;
        QTest::newRow("both empty") << QString() << QString() << QString();
    }
    void pictureSizeRules() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, size);
        QCOMPARE(PageOptionRules::pictureSize(width, height), size);
    }

    void fontChoiceRules_data() {
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("rgb");
        QTest::addColumn<QString>("color");
        QTest::newRow("8 points, black") << 8.0 << 1 << QList<int>{0, 0, 0} << u"#000000"_s;
        QTest::newRow("8.6 rounds to 9") << 8.6 << 2 << QList<int>{255, 0, 0} << u"#FF0000"_s;
        QTest::newRow("10") << 10.0 << 2 << QList<int>{0, 0, 255} << u"#0000FF"_s;
        QTest::newRow("12") << 12.0 << 3 << QList<int>{10, 171, 205} << u"#0AABCD"_s;
        QTest::newRow("14") << 14.0 << 4 << QList<int>{0, 0, 0} << u"#000000"_s;
        QTest::newRow("16") << 16.0 << 5 << QList<int>{0, 0, 0} << u"#000000"_s;
        QTest::newRow("24") << 24.0 << 6 << QList<int>{0, 0, 0} << u"#000000"_s;
        QTest::newRow("36") << 36.0 << 7 << QList<int>{0, 0, 0} << u"#000000"_s;
    }
    void fontChoiceRules() {
        QFETCH(double, points);
        QFETCH(int, size);
        QFETCH(QList<int>, rgb);
        QFETCH(QString, color);
        PageOptions o;
        PageOptionRules::applyFont(o, u"Arial"_s, points, true, false, true, true, rgb[0], rgb[1],
                                   rgb[2]);
        QCOMPARE(int(o.FontSize), size);
        QCOMPARE(o.FontColor, color);
        QCOMPARE(o.BoldTag + o.ItalicTag + o.StrikeTag + o.UnderlineTag, u"<b><strike><u>"_s);
        QCOMPARE(o.CloseTags, u"</b></u></strike>"_s);
        int r = -1, g = -1, b = -1;
        PageOptionRules::colorParts(color, &r, &g, &b);
        QCOMPARE((QList<int>{r, g, b}), rgb);
    }

    // The order list: items go to the next free slot, a removed item leaves its slot empty and
    // the others in place, and the last filled slot is the one before the first empty slot.
    void orderList_data() {
        QTest::addColumn<QList<int>>("added");
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<int>("lastSlot");
        const int E = PageOptions::EmptySlot;
        QTest::newRow("three added")
            << QList<int>{1, 0, 6} << QList<int>{} << QList<int>{1, 0, 6, E, E, E, E, E, E} << 2;
        QTest::newRow("middle removed keeps the others")
            << QList<int>{1, 0, 6} << QList<int>{0} << QList<int>{1, E, 6, E, E, E, E, E, E} << 0;
        QTest::newRow("first removed")
            << QList<int>{1, 0} << QList<int>{1} << QList<int>{E, 0, E, E, E, E, E, E, E} << -1;
        QTest::newRow("a freed slot is filled after the last one")
            << QList<int>{1, 0, 6, 7} << QList<int>{0} << QList<int>{1, E, 6, 7, E, E, E, E, E}
            << 0;
    }
    void orderList() {
        QFETCH(QList<int>, added);
        QFETCH(QList<int>, removed);
        QFETCH(QList<int>, order);
        QFETCH(int, lastSlot);
        PageOptions o;
        PageOptionRules::clearOrder(o);
        for (int code : added)
            PageOptionRules::addToOrder(o, code);
        for (int code : removed)
            PageOptionRules::removeFromOrder(o, code);
        QCOMPARE(QList<int>(o.ItemOrder.begin(), o.ItemOrder.end()), order);
        QCOMPARE(int(o.LastOrderSlot), lastSlot);
        for (int code = 0; code < PageOptions::SlotCount; ++code)
            QCOMPARE(o.ItemShown[code], order.contains(code));
    }

    void dropOnASlotAndDefaultOrder() {
        PageOptions o;
        PageOptionRules::clearOrder(o);
        QCOMPARE(PageOptionRules::addToOrder(o, PageOptions::Savings, 4), 4);
        // A slot that holds an item takes no second one: the item goes to the next free slot.
        QCOMPARE(PageOptionRules::addToOrder(o, PageOptions::Cost, 4), 5);
        PageOptionRules::defaultOrder(o);
        QVERIFY((o.ItemOrder == std::array<std::int16_t, 9>{1, 0, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(int(o.LastOrderSlot), 8);
        QVERIFY(std::all_of(o.ItemShown.begin(), o.ItemShown.end(), [](bool b) { return b; }));
    }
};

QTEST_GUILESS_MAIN(PageOptionsTest)
#include "tst_pageoptions.moc"
