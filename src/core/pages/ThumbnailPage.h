#pragma once

#include <QString>
#include <QStringList>

namespace tovin {

struct PageOptions;

// The thumbnail page the Products screen writes straight into its web view: every product of
// the current selection as a picture with a tick box, five to a row. The writer hands out the
// markup piece by piece so that the screen can write each piece, let events run and stop when
// the user cancels.
//
// Tick box i (1-based) shows ThumbChecked entry i - 1 and its click flips that same entry (the
// address "Vex_" + i, see ThumbnailClicks), the numbering the page designer reads.
class ThumbnailPage {
public:
    static constexpr int CellsPerRow = 5;

    // The picture width: 100 for an empty size box, else the box read as a number (0 when it is
    // not one).
    static int sizeFromBox(const QString& text);

    static QStringList headLines(const PageOptions& options);
    static QStringList cellLines(int item, const QString& stockNo, const QString& picture, int size,
                                 bool ticked);
    static QStringList rowBreak();
    static QStringList closingLines();
};

} // namespace tovin
