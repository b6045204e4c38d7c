#include "core/pages/DesignerPage.h"

#include "core/pages/CellMarkup.h"
#include "core/pages/PageMarkup.h"
#include "core/pages/PageOptions.h"

#include <QRegularExpression>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using PageMarkup::q;

// Page links are written without quotes; a page name with a blank in it would end the address
// at the blank, so such an address is quoted.
QString pageHref(const QString& file) {
    static const QRegularExpression plain(u"^[A-Za-z0-9._-]*$"_s);
    return plain.match(file).hasMatch() ? file : q(file);
}

} // namespace

int DesignerPage::pageCount(int items, int itemsPerPage) {
    if (itemsPerPage < 1)
        return 1;
    const int pages = items / itemsPerPage + (items % itemsPerPage > 0 ? 1 : 0);
    return std::max(pages, 1);
}

DesignerPage::Page DesignerPage::build(const QList<PageProduct>& products,
                                       const QVector<std::int16_t>& ticks, const PageOptions& o,
                                       const State& state) {
    auto ticked = [&](qsizetype index) { return index < ticks.size() && ticks[index] > 0; };
    // The places (0-based) of the products the pages hold.
    QList<qsizetype> items;
    if (state.OnlySelectedItems) {
        for (qsizetype i = 0; i < products.size(); ++i)
            if (ticked(i))
                items << i;
    }
    Page page;
    page.total = state.OnlySelectedItems ? int(items.size()) : int(products.size());
    if (state.OnlySelectedItems && items.isEmpty()) {
        page.noneSelected = true;
        return page;
    }
    const bool paged = o.ItemsPerPage >= 1;
    page.totalPages = pageCount(page.total, o.ItemsPerPage);
    page.currentPage = std::clamp(state.CurrentPage, 1, page.totalPages);
    const int current = page.currentPage;
    page.firstItem = paged ? (current - 1) * o.ItemsPerPage : 0;
    page.lastItem = paged ? std::min(current * o.ItemsPerPage, page.total) : page.total;

    if (PageMarkup::hasPageNumberMarker(o.PageTitle))
        page.heading = PageMarkup::titleForPage(
            o.PageTitle, page.totalPages == 1 ? QString() : QString::number(current));
    else
        page.heading = o.PageTitle;

    QStringList& lines = page.lines;
    lines = PageMarkup::headLines(page.heading, o, state.BodyTag);
    auto pageFile = [&](int number) {
        return pageHref(state.PageBaseName + QString::number(number) + u".htm"_s);
    };
    const QString first =
        PageMarkup::navigationButton(pageFile(1), u"ButtonFirst.gif"_s, u"First Page"_s);
    const QString last = PageMarkup::navigationButton(pageFile(page.totalPages),
                                                      u"ButtonLast.gif"_s, u"Last Page"_s);
    if (paged && current == 1)
        lines << first
              << PageMarkup::navigationButton(u"''"_s, u"buttonprev.gif"_s, u"Previous Page"_s);
    if (current > 1)
        lines << first
              << PageMarkup::navigationButton(pageFile(current - 1), u"buttonprev.gif"_s,
                                              u"Previous Page"_s);
    if (current < page.totalPages)
        lines << PageMarkup::navigationButton(pageFile(current + 1), u"buttonnext.gif"_s,
                                              u"Next Page"_s)
              << last;
    if (paged && current == page.totalPages)
        lines << PageMarkup::navigationButton(pageFile(current), u"buttonnext.gif"_s,
                                              u"Next Page"_s)
              << last;
    lines << PageMarkup::tableOpen() << u"<tr>"_s;

    CellMarkup cells;
    cells.style = CellMarkup::Style::PicturePage;
    // The pages live in the pages folder; pictures are named from the program folder.
    cells.picturePrefix = u"../"_s;
    PageMarkup::RowGrid grid(o.ItemsPerRow);
    for (int position = page.firstItem + 1; position <= page.lastItem; ++position) {
        const qsizetype index =
            state.OnlySelectedItems ? items.value(position - 1, -1) : position - 1;
        if (index < 0 || index >= products.size())
            break;
        const PageProduct& product = products[index];
        lines << PageMarkup::cellOpen(o.TextPosition);
        if (state.SelectItemsMode) {
            const QString place = QString::number(index + 1);
            lines << u"<form method=POST action=''><p align=left>"_s;
            lines << u"<input type=checkbox name=CH_"_s + QString::number(position) + u" value="_s +
                         q(u"ON"_s) + u" onClick=window.navigate('"_s + place +
                         (ticked(index) ? u"') checked>"_s : u"')>"_s) + product.StockNo +
                         u"</p>"_s;
            lines << u"</form></font>"_s;
        }
        lines << cells.elements(product, o);
        lines << u"<p></td>"_s;
        grid.cellDone(lines);
    }
    lines << PageMarkup::closingLines();
    return page;
}

QString DesignerPage::pageCounts(const Page& page) {
    return u"Total Pictures: "_s + QString::number(page.total) + u"\nTotal Pages: "_s +
           QString::number(page.totalPages) + u"\nCurrent Page: "_s +
           QString::number(page.currentPage);
}

QString DesignerPage::tickCounts(int selected, int unselected) {
    return u"Selected: "_s + QString::number(selected) + u"\nUn-Selected: "_s +
           QString::number(unselected) + u"\nTotal Items: "_s +
           QString::number(selected + unselected);
}

int DesignerPage::tickAddress(const QString& address) {
    const qsizetype slash = std::max(address.lastIndexOf(u'\\'), address.lastIndexOf(u'/'));
    if (slash < 0)
        return 0;
    const QString last = address.mid(slash + 1);
    if (last.contains(u'.'))
        return 0;
    bool ok = false;
    const int place = last.toInt(&ok);
    return ok && place > 0 ? place : 0;
}

QString DesignerPage::savedFileName(const QString& baseName, int page) {
    if (!PageMarkup::isSafePageName(baseName))
        return {};
    return baseName + QString::number(page) + u".htm"_s;
}

} // namespace tovin
