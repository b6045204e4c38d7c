#pragma once

#include "core/base/RunTimeError.h"
#include "core/import/ImportProgress.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tovin {

class CatalogueDatabase;

// Writes chosen columns of the selected products to a delimited text file, one line per product
// in stock-number order: the chosen columns in column order joined by the divider, numbers in
// plain decimal, yes/no columns as True or False, CR LF after every line. A heading line of
// the column captions comes first only when asked for, so other programs reading the plain
// format get what they always did.
//
// A value holding the divider, a double quote or a line break is written between double quotes
// with its quotes doubled, so spreadsheets and the program's own import read it back whole.
class DelimitedExport {
public:
    enum class Encoding { Utf8, Windows1252 };

    // An export in the single-byte code page refused because some products hold characters it
    // lacks (written as they were, they would come out as substitute bytes).
    struct Unencodable : RunTimeError {
        Unencodable(int count, const QStringList& named);
        int products;
        QStringList firstItems; // their stock numbers, the first few
    };

    // The captions of the column boxes, index = column position (1 to 30; 0 is empty).
    static QString columnCaption(int column);
    // The divider options 0 to 3 ("Other", index 4, is typed by the user).
    static QString optionCaption(int option);
    static QString optionDivider(int option);
    static constexpr int OtherOption = 4;

    static QString instruction();
    static QString nameTitle();
    static QString namePrompt();
    static QString nameDefault();
    static QString extensionRefused();
    static QString otherTitle();
    static QString otherPrompt();
    // A typed file name is refused when it holds a period (no extensions).
    static bool nameHasExtension(const QString& name);
    // The export file for a typed name: the program folder, the name and ".txt".
    static QString filePath(const QString& appFolder, const QString& name);
    static QString progress(int count);

    // The column choice as kept in the settings between exports ("2,3,12"), and back; parts
    // that are no column number are passed over.
    static QString columnsText(const QList<int>& columns);
    static QList<int> columnsFromText(const QString& text);

    // Columns 1 to 30 to write (any order, repeats ignored); an empty list writes empty lines.
    void setColumns(const QList<int>& columns);
    const QList<int>& columns() const { return m_columns; }
    // Why the program's own import could not read a file written with `divider` back (a
    // double quote, a line break, or more than two characters), or nothing when it can; an
    // empty divider is a comma. run() refuses such a divider before the file is touched.
    static std::optional<QString> dividerRefusal(const QString& divider);
    // An empty divider is a comma.
    void setDivider(const QString& divider) { m_divider = divider; }
    QString divider() const;
    void setEncoding(Encoding encoding) { m_encoding = encoding; }
    // A first line naming the chosen columns, for spreadsheets.
    void setHeading(bool heading) { m_heading = heading; }
    bool heading() const { return m_heading; }
    // The heading line (without its line break): the captions of the chosen columns, quoted
    // like values when they hold the divider.
    QString headingLine() const;
    // The current search (a condition on Products); empty exports every product.
    void setSearchWhere(const QString& searchWhere) { m_searchWhere = searchWhere; }

    // One line (without its line break) for the values of one row, index = column position.
    QString line(const QStringList& values) const;
    // A value as written: quoted when it holds the divider, a quote or a line break.
    QString field(const QString& value) const;

    // Writes the file (replacing one that is there, unless it is the catalogue or no plain
    // file); the progress callback is told after each row and may stop the export. A file that
    // cannot be written, or a search that cannot be used, raises a RunTimeError and writes
    // nothing; so does a product the code page cannot hold (Unencodable). The counts' `edited`
    // holds the rows written.
    ImportOutcome run(CatalogueDatabase& db, const QString& path,
                      const ProgressCallback& progress = {}) const;

private:
    QList<int> m_columns;
    QString m_divider;
    QString m_searchWhere;
    Encoding m_encoding = Encoding::Utf8;
    bool m_heading = false;
};

} // namespace tovin
