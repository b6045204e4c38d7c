#pragma once

#include "core/bulkedit/BulkEditSets.h"
#include "core/import/ImportProgress.h"
#include "core/storage/ColumnKind.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

namespace tovin {

class CatalogueDatabase;
class RunTimeError;

// Writes the values typed once into the same columns of every selected product (the current
// search, or every product). Columns are addressed by their position in Products (1 to 30);
// only the columns given here are written, and how each value is read depends on the column:
//
//  - yes/no columns (19, 21, 22, 30) take the flag given;
//  - Notes (29) gets the text appended after a line break (or becomes the text when empty);
//    with clearNotes the notes become the text instead (an empty text clears them);
//  - Picture (17) is a folder or internet address: each row gets folder + "/" + its StockNo +
//    the picture extension (the one chosen, else the last four characters of the first row's
//    picture that has one);
//  - numeric columns (7 to 12, 15, 16, 18, 23 to 26) store the number; a blank value stores no
//    value (null). For the cost and retail columns "10%" raises each row's own value by 10 per
//    cent and "-10%" lowers it; a row without a value keeps none;
//  - Price (13): "25%" makes it the row's Retail less 25 per cent (a row without Retail keeps
//    its price); otherwise a number as above;
//  - every other column stores the text.
// A blank value is passed over unless includeBlank is set, and a blank description is never
// written. StockNo (2) is never written.
//
// A run is one transaction: a percentage applied twice would raise a price twice, so a run that
// ends early (the program killed, the catalogue failing) writes nothing. A run the user cancels
// keeps the rows updated before the cancel.
class BulkEdit {
public:
    static constexpr int StockNoColumn = 2;
    static constexpr int PriceColumn = 13;
    static constexpr int PictureColumn = 17;
    static constexpr int NotesColumn = 29;

    static bool isYesNo(int column);
    static bool isNumeric(int column);
    // Columns whose "N%" value changes the row's own value by N per cent.
    static bool takesPercentChange(int column);
    static QString columnName(int column);
    // The column for a name (any letter case), -1 when there is none.
    static int columnOf(const QString& name);

    // The flag a typed yes/no word stands for (yes, no, true, false, y, n, 1 or 0 in any letter
    // case); none for any other text.
    static std::optional<bool> yesNoWord(const QString& text);

    // A text value for a box column. A yes/no column takes a yes/no word; any other text is
    // refused (see refusal()) rather than read as no.
    void set(int column, const QString& text);
    void setFlag(int column, bool value);
    void setIncludeBlank(bool include) { m_includeBlank = include; }
    void setClearNotes(bool clear) { m_clearNotes = clear; }
    // The extension (with its period) used for picture paths; empty takes it from the rows.
    void setPictureExtension(const QString& extension) { m_pictureExtension = extension; }
    bool isEmpty() const {
        return m_texts.isEmpty() && m_flags.isEmpty() && m_refusedFlags.isEmpty() && !m_clearNotes;
    }
    const QMap<int, QString>& texts() const { return m_texts; }

    // A typed value that a column cannot take (a word for a number); empty when all are usable.
    // Nothing is written while one is refused.
    QString refusal() const;

    // What a run will write, for the question asked before it: the columns written, in column
    // order, and those of them that become empty (a blank text, no number, no picture, cleared
    // notes) in every product it visits.
    struct Plan {
        QList<int> columns;
        QList<int> emptied;
    };
    Plan plan() const;
    // "Change 46 products? Columns: Supplier, Name (Supplier will be emptied)", the columns
    // named as the user knows them.
    static QString question(qsizetype products, const QStringList& columns,
                            const QStringList& emptied);

    // The supplier name as the Supplier table stores it (any letter case typed), or none.
    static std::optional<QString> storedSupplier(CatalogueDatabase& db, const QString& typed);
    static QString supplierMissing();

    static QString progress(qint64 row, qint64 count);

    // Updates the rows of the selection; the progress callback is told after each row and may
    // stop the run there. Raises a RunTimeError for a refused value (see refusal()) or a search
    // that cannot be used; a row the file refuses is reported and passed over. A failure of the
    // catalogue itself (a CatalogueFailure) ends the run with nothing written.
    ImportOutcome run(CatalogueDatabase& db, const QString& searchWhere,
                      const ProgressCallback& progress = {},
                      const std::function<void(const RunTimeError&)>& onError = {});

    // The stored value a run writes into a column alike in every product (a flag, a number, a
    // text); null for the columns worked out per product (notes, picture, percentages).
    QVariant fixedValue(int column, ColumnKind kind, const QString& name) const;

    // What one product holds that the written values depend on, as the catalogue stores it.
    struct ProductValues {
        QVariant stockNo;
        QVariant retail; // becomes the new Retail once the run has worked it out
        QVariant picture;
        QVariant notes;
        QVariant own; // the column's own value, for a percentage change
    };
    // The value a run writes into `column` of one product, given the column's fixed value;
    // none when the product keeps its value (a percentage of nothing). `extension` is the
    // picture extension, taken from the first product with a picture when none was chosen.
    std::optional<QVariant> productValue(int column, ColumnKind kind, const QVariant& fixed,
                                         ProductValues& product, QString& extension) const;

private:
    // The run on a server, the rows written a set at a time (see BulkEditSets).
    static ImportOutcome runInSets(CatalogueDatabase& db, const QString& searchWhere,
                                   const std::vector<qint64>& rows, BulkEditSets::Work work);
    ImportOutcome walkWithoutChanges(qint64 count, const ProgressCallback& progress) const;

    QMap<int, QString> m_texts;
    QMap<int, bool> m_flags;
    QMap<int, QString> m_refusedFlags; // texts typed for yes/no columns that are no yes/no word
    bool m_includeBlank = false;
    bool m_clearNotes = false;
    QString m_pictureExtension;
};

} // namespace tovin
