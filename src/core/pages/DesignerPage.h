#pragma once

#include "core/pages/PageProduct.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

namespace tovin {

struct PageOptions;

// The page designer's numbered picture pages: every product of the selection (or only the
// ticked ones), ItemsPerPage to a page, each page linked to the first, previous, next and last
// page of the series. The designer previews the current page as "sample.htm" in the pages
// folder and saves it as PageBaseName + page number + ".htm".
//
// A product is ticked when its tick entry (by its 0-based place in the selection) is
// above 0. In select mode each cell starts with a tick box whose click navigates to the
// product's 1-based place in the selection, which tickAddress() reads back.
class DesignerPage {
public:
    struct State {
        QString PageBaseName;
        int CurrentPage = 1;
        bool SelectItemsMode = false;
        bool OnlySelectedItems = false;
        QString BodyTag;
    };

    struct Page {
        // Only ticked products wanted and none is ticked: nothing is written.
        bool noneSelected = false;
        int total = 0; // products the pages hold
        int totalPages = 1;
        int currentPage = 1; // within 1..totalPages
        int firstItem = 0;   // the page holds positions firstItem + 1 .. lastItem
        int lastItem = 0;
        QString heading;
        QStringList lines;
    };

    static Page build(const QList<PageProduct>& products, const QVector<std::int16_t>& ticks,
                      const PageOptions& options, const State& state);

    // "Total Pictures: ..." with the page counts, and "Selected: ..." with the tick counts.
    static QString pageCounts(const Page& page);
    static QString tickCounts(int selected, int unselected);

    // The number of pages for a number of items: one page when ItemsPerPage is below 1.
    static int pageCount(int items, int itemsPerPage);

    // A tick-box click: an address without a "." whose text after the last "\" or "/" is the
    // product's 1-based place. Returns 0 for any other address.
    static int tickAddress(const QString& address);

    // The file a saved page is written to; empty when the base name could lead out of the
    // pages folder.
    static QString savedFileName(const QString& baseName, int page);
};

} // namespace tovin
