#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

namespace tovin {

struct PageOptions;

// The thumbnail page the Products screen writes straight into its web view: every product of
// the current selection as a picture with a tick box, five to a row. The writer hands out the
// markup piece by piece so that the screen can write each piece, let events run and stop when
// the user cancels.
//
// Tick box i (1-based) shows tick entry i - 1 and its click flips that same entry (the address
// "Vex_" + i, see ThumbnailClicks).
class ThumbnailPage {
public:
    static constexpr int CellsPerRow = 5;

    // The picture width: 100 for an empty size box, else the box read as a number (0 when it is
    // not one).
    static int sizeFromBox(const QString& text);

    // A stored picture path as the page names it: the file's full address. The page is written
    // into whatever document the view shows, a help page or a catalogue page in another folder
    // among them, so an address relative to that document would miss the picture.
    static QString pictureAddress(const QString& stored);

    static QStringList headLines(const PageOptions& options);
    static QStringList cellLines(int item, const QString& stockNo, const QString& picture, int size,
                                 bool ticked);
    // The cell of item `item` of `count`, followed by the row break when its row is full and
    // another item follows.
    static QStringList cellWithBreak(int item, int count, const QString& stockNo,
                                     const QString& picture, int size, bool ticked);
    static QStringList closingLines();

    // The whole page for a list of (stock number, picture) pairs, ticks by 0-based place.
    static QStringList pageLines(const QList<QPair<QString, QString>>& items, int size,
                                 const QVector<std::int16_t>& ticks, const PageOptions& options);
};

} // namespace tovin
