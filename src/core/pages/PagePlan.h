#pragma once

#include "core/pages/PageProduct.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tovin {

// Which files a run of catalogue pages by page number writes, which products go into each and
// how the files link to each other, decided from the products and the options alone: no file
// is looked at and no markup made, so the decisions can be checked on their own and the writer
// only renders what the plan says.
//
// Files are named after the page name N: N + p + ".htm" for page number p, N + p + "-" + k +
// ".htm" for its continuation files (k = 1, 2, ...) and N + "Dtl" + p + "-" + n + ".htm" for the
// detail page of its n-th product, n running through all files of p.
class PagePlan {
public:
    struct Settings {
        QString name; // the page name N
        int from = 1;
        int to = 1;
        int perFile = 0;      // products to a file; 0 or less: all products of a page in one
        bool details = false; // detail pages are written and linked from the cells
    };

    struct File {
        int pageNumber = 0;
        int continuation = 0; // 0 for the page's first file
        QString label;        // p, or p + "-" + k: what titles and progress call the file
        QString fileName;
        // Indexes into the planned products, in stock-number order.
        QList<qsizetype> products;
        // One per product while detail pages are written; empty otherwise.
        QStringList detailFiles;
        QString previous; // where the Previous button leads; empty: no button
        QString next;     // where the Next button leads; empty: no button
        QString mainFile; // the page number's first file, where its detail pages lead back
    };

    // One page number of the range. Without products it has no files: nothing is written for
    // it and a file already there under its name stays as it is.
    struct Page {
        int number = 0;
        // How many page numbers the search for the neighbouring pages with products walked
        // through; the progress shows one dot for each.
        int numbersTried = 0;
        QList<File> files;
    };

    static PagePlan make(const QList<PageProduct>& products, const Settings& settings);

    // The page number a product is filed under: its PageNo as a whole number of 0 or more.
    // Anything else puts it on no page (false).
    static bool pageNumberOf(const PageProduct& product, int* number);

    const QList<Page>& pages() const { return m_pages; }
    // Every file the run writes: page by page, its catalogue files, then its detail pages.
    QStringList fileNames() const;

private:
    QList<Page> m_pages;
};

} // namespace tovin
