#include "core/pages/PageOptions.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class PageOptionsTest : public QObject {
    Q_OBJECT
private slots:
    // The page maker changes the options during a run; loading the Products screen again puts
    // back its own defaults and leaves what the user typed elsewhere.
    void productsScreenDefaultsAfterChanges() {
        PageOptions& o = pageOptions();
        o.FontColor = u"#FF0000"_s;
        o.FontSize = o.ItemsPerRow = 0;
        o.PictureSize = u"width=120 height=90"_s;
        o.LastOrderSlot = 3;
        o.ItemOrder.fill(PageOptions::EmptySlot);
        o.ItemShown.fill(false);
        o.PageTitle = u"Spring Sale tq2002"_s;
        o.ItemsPerPage = 12;
        o.OverwritePages = true;
        applyProductsScreenDefaults();
        QCOMPARE(o.FontColor, u"#111111"_s);
        QCOMPARE(o.FontSize, std::int16_t(5));
        QCOMPARE(o.ItemsPerRow, std::int16_t(4));
        QCOMPARE(o.PictureSize, u"width"_s);
        QCOMPARE(o.LastOrderSlot, std::int16_t(-1));
        QVERIFY(o.ItemOrder == PageOptions().ItemOrder);
        for (int code = 0; code < PageOptions::SlotCount; ++code)
            QCOMPARE(o.ItemShown[code], code != PageOptions::DetailsLink);
        QCOMPARE(o.PageTitle, u"Spring Sale tq2002"_s);
        QCOMPARE(o.ItemsPerPage, std::int16_t(12));
        QVERIFY(o.OverwritePages);
    }
};

QTEST_GUILESS_MAIN(PageOptionsTest)
#include "tst_pageoptions.moc"
