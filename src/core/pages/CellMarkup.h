#pragma once

#include "core/pages/PageProduct.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace tovin {

struct PageOptions;
namespace ProgramFolder {
class FileFinder;
}

// The elements of one product cell, in the order of the options' display slots, for both kinds
// of catalogue page: the pages by page number (their own money format, the chosen cost level,
// a details page per product, an order page address) and the picture pages of the page
// designer (face and colour on the texts, the border and size attributes typed in the designer,
// "$#,###.00" money and blank link addresses).
struct CellMarkup {
    enum class Style { ByPageNumber, PicturePage };

    Style style = Style::ByPageNumber;
    // The picture shown when the product's own picture file is missing (pages by page number),
    // named like a stored picture path.
    QString noPicture;
    // Where the order button leads (pages by page number).
    QString orderAddress;
    // The way from the page's folder back to the program folder ("../"); empty for a page in
    // the program folder itself.
    QString picturePrefix;
    // Where picture files are looked up during a run of many pages (each folder listed once);
    // without one, every lookup looks at the disk.
    std::shared_ptr<ProgramFolder::FileFinder> files;

    // A stored picture path as a page names it: a file of the program folder becomes the
    // picture prefix and its path inside that folder ("/" separators, the letter case on disk);
    // a file elsewhere keeps its full path ("/" separators) and a web address stays as stored.
    QString placedAddress(const QString& stored) const;

    // The picture path as written and the address its link leads to. By page number a missing
    // file gives `noPicture` for both; the picture pages link a GIF to its JPEG only when that
    // file exists. Both are placed with placedAddress().
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
