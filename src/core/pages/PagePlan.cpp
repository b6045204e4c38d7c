#include "core/pages/PagePlan.h"

#include <QMap>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The products of each page number by their index, each page in stock-number order.
QMap<int, QList<qsizetype>> productsByPage(const QList<PageProduct>& products) {
    QMap<int, QList<qsizetype>> pages;
    for (qsizetype i = 0; i < products.size(); ++i) {
        int number = 0;
        if (PagePlan::pageNumberOf(products[i], &number))
            pages[number] << i;
    }
    for (auto& list : pages)
        std::stable_sort(list.begin(), list.end(), [&](qsizetype a, qsizetype b) {
            return products[a].StockNo < products[b].StockNo;
        });
    return pages;
}

QString fileLabel(int page, int continuation) {
    return continuation == 0 ? QString::number(page)
                             : QString::number(page) + u'-' + QString::number(continuation);
}

// The files of one page number that has products, chained to each other and to the nearest
// page numbers with products on either side (0: none).
QList<PagePlan::File> filesOfPage(int p, const QList<qsizetype>& onPage, int previousPage,
                                  int nextPage, const PagePlan::Settings& s) {
    const auto fileFor = [&](const QString& label) { return s.name + label + u".htm"_s; };
    const qsizetype perFile = s.perFile > 0 ? s.perFile : onPage.size();
    const int fileCount = s.perFile > 0 ? int((onPage.size() + perFile - 1) / perFile) : 1;
    QList<PagePlan::File> files;
    for (int k = 0; k < fileCount; ++k) {
        PagePlan::File file;
        file.pageNumber = p;
        file.continuation = k;
        file.label = fileLabel(p, k);
        file.fileName = fileFor(file.label);
        file.mainFile = fileFor(QString::number(p));
        const qsizetype first = qsizetype(k) * perFile;
        file.products = onPage.mid(first, perFile);
        for (qsizetype n = first + 1; s.details && n <= first + file.products.size(); ++n)
            file.detailFiles << s.name + u"Dtl"_s + QString::number(p) + u'-' + QString::number(n) +
                                    u".htm"_s;
        // Page 0 is never linked: the pages begin at 1.
        if (k > 0)
            file.previous = fileFor(fileLabel(p, k - 1));
        else if (previousPage > 0)
            file.previous = fileFor(QString::number(previousPage));
        if (k + 1 < fileCount)
            file.next = fileFor(fileLabel(p, k + 1));
        else if (nextPage > 0)
            file.next = fileFor(QString::number(nextPage));
        files << file;
    }
    return files;
}

} // namespace

bool PagePlan::pageNumberOf(const PageProduct& product, int* number) {
    bool ok = false;
    *number = product.PageNo.trimmed().toInt(&ok);
    return ok && *number >= 0;
}

PagePlan PagePlan::make(const QList<PageProduct>& products, const Settings& settings) {
    const QMap<int, QList<qsizetype>> byPage = productsByPage(products);
    const int highest = byPage.isEmpty() ? 0 : byPage.lastKey();
    PagePlan plan;
    for (int p = settings.from; p <= settings.to; ++p) {
        Page page;
        page.number = p;
        const auto found = byPage.constFind(p);
        if (found != byPage.cend()) {
            const auto lower = byPage.lowerBound(p);
            const int previousPage = lower == byPage.cbegin() ? 0 : std::prev(lower).key();
            const auto higher = byPage.upperBound(p);
            const int nextPage = higher == byPage.cend() ? 0 : higher.key();
            // The search walks one number at a time: down to the page before (or to 1), up to
            // the page after (or to the highest page number).
            page.numbersTried = (p > 1 ? (previousPage > 0 ? p - previousPage : p - 1) : 0) +
                                (nextPage > 0 ? nextPage - p : highest - p);
            page.files = filesOfPage(p, *found, previousPage, nextPage, settings);
        }
        plan.m_pages << page;
    }
    return plan;
}

QStringList PagePlan::fileNames() const {
    QStringList names;
    for (const Page& page : m_pages) {
        for (const File& file : page.files)
            names << file.fileName;
        for (const File& file : page.files)
            names << file.detailFiles;
    }
    return names;
}

} // namespace tovin
