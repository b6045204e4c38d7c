#pragma once

#include "core/pages/PageProduct.h"

#include <QString>
#include <QStringList>

namespace tovin {

struct PageOptions;

// The elements of one product cell, in the order of the options' display slots, for both kinds
// of catalogue page: the pages by page number (their own money format, the chosen cost level,
// a details page per product, an order page address) and the picture pages of the page
// designer (face and colour on the texts, the border and size attributes typed in the designer,
// "$#,###.00" money and blank link addresses).
struct CellMarkup {
    enum class Style { ByPageNumber, PicturePage };

    Style style = Style::ByPageNumber;
    // The picture shown when the product's own picture file is missing (pages by page number).
    QString noPicture;
    // Where the order button leads (pages by page number).
    QString orderAddress;
    // Written before a picture path that is relative to the program folder, so that a page in
    // the pages folder finds it ("../"); empty for a page in the program folder itself.
    QString picturePrefix;

    // The picture path as written and the address its link leads to. By page number a missing
    // file gives `noPicture` for both; the picture pages link a GIF to its JPEG only when that
    // file exists. Relative paths get the picture prefix.
    struct Picture {
        QString source;
        QString link;
    };
    Picture pictureOf(const PageProduct& product) const;

    // The element lines of the cell (without its opening and closing). `detailPage` is the file
    // name the details button leads to (pages by page number).
    QStringList elements(const PageProduct& product, const PageOptions& options,
                         const QString& detailPage = QString()) const;

    // Whether the cell shows the details button (and so has a detail page).
    static bool showsDetails(const PageOptions& options);
};

} // namespace tovin
