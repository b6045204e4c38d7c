#pragma once

#include "core/files/OutputFile.h"
#include "core/text/Money.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tovin {

struct PageOptions;

// The markup the catalogue page writers share: the title block, the navigation buttons, the
// product table and its rows, and the link from a picture to its large version.
namespace PageMarkup {

// A double quote between two texts: q(u"a") gives "a" with its quotes.
QString q(const QString& text);

// A GIF thumbnail links to the JPEG picture of the same name: the text up to the dot of the
// first lower-case ".gif", followed by "jpg". Any other path links to itself.
QString largePictureOf(const QString& picture);

// Whether a stored picture path is an address with a scheme ("http://...", "data:..."); a
// drive letter ("C:\\...") is a path.
bool isWebAddress(const QString& path);

// The page title with its "tq2002" marker: everything from the marker on becomes `number`
// (which may be empty). A title without the marker stays as it is.
bool hasPageNumberMarker(const QString& title);
QString titleForPage(const QString& title, const QString& number);

// "<html>" to "<p>" with `heading` as the title, then the title block: the aligned paragraph
// with the font face, size, colour and style tags around `heading`. The picture pages write
// their body line (a background, or an empty line) after "<body>".
QStringList headLines(const QString& heading, const PageOptions& options,
                      const std::optional<QString>& bodyLine = std::nullopt);

// A navigation button: a link around one of the button pictures, 75 by 20.
QString navigationButton(const QString& href, const QString& image, const QString& alt);

// The product table's opening tag, and the lines that close the table and the page.
QString tableOpen();
QStringList closingLines();

// The opening of one product cell, aligned at the top or bottom ("top" when empty).
QString cellOpen(const QString& textPosition);

// Counts the cells of the product table and ends a row when it is full.
class RowGrid {
public:
    explicit RowGrid(int perRow) : m_perRow(perRow < 1 ? 4 : perRow) {}
    // Call after each cell; appends "</tr>" and "<tr>" when the row is full and, with
    // `anotherFollows` false, only if another cell follows.
    void cellDone(QStringList& lines, bool anotherFollows = true);

private:
    int m_perRow;
    int m_inRow = 0;
};

// Money as the catalogue pages by page number show it ("#,###.#0"); empty for no value.
QString catalogueMoney(Money value);
// Money as the picture pages show it ("$#,###.00").
QString pictureMoney(Money value);

// Page names become file names in the pages folder: a name that could lead out of it (a path
// separator, "..") or that is empty is refused.
bool isSafePageName(const QString& name);

// Writes the lines as UTF-8, each ended by CR LF, replacing the file once all of it is written.
// Raises RunTimeError when the file cannot be written whole or the rules refuse it.
void writeLines(const QString& path, const QStringList& lines, const OutputRules& rules);
// The bytes writeLines() writes.
QByteArray fileBytes(const QStringList& lines);

} // namespace PageMarkup
} // namespace tovin
