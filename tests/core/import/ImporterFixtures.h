#pragma once

// What the importer tests share: a simple mapping, quiet options, a run over lines of text, and
// the figures a run tells.

#include "core/import/Divider.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"
#include "core/storage/StorageStatement.h"
#include "support/core/TestCatalogue.h"

#include <QDate>
#include <QStringList>

namespace tovin::test {

using namespace Qt::Literals::StringLiterals;
namespace PC = CatalogueSchema::ProductsColumn;

// Stock number, name, Cost1, OnSpecial, Catagory.
inline const FieldMap SimpleMap{
    {0, PC::StockNo}, {1, PC::ProdName}, {2, PC::Cost1}, {3, PC::OnSpecial}, {4, PC::Catagory}};

inline ImportOptions quietOptions(QList<RunTimeError>* errors = nullptr) {
    ImportOptions options;
    options.today = QDate(2026, 5, 1);
    options.onError = [errors](const RunTimeError& error) {
        if (errors)
            errors->append(error);
    };
    return options;
}

inline ImportOutcome importLines(TestCatalogue& catalogue, const QByteArray& lines,
                                 ImportOptions options, const FieldMap& map = SimpleMap,
                                 const Divider& divider = Divider::comma(),
                                 const ProgressCallback& progress = {}) {
    return ProductImporter::importText(catalogue.db(), TextFile::decode(lines), 0, divider, map,
                                       std::move(options), progress);
}

inline QString totals(int checked, int added, int edited) {
    return u"Total Checked: %1   Total Added: %2   Total Edited: %3"_s.arg(checked).arg(added).arg(
        edited);
}

inline QByteArray numberedLines(int count, int first = 1) {
    QByteArray lines;
    for (int i = first; i < first + count; ++i)
        lines += "N" + QByteArray::number(i) + ",Item " + QByteArray::number(i) + ",1.25\n";
    return lines;
}

// Every Products row with every value, in key order.
inline QString productRows(CatalogueDatabase& db) {
    QStringList columns;
    for (const ColumnInfo& column : db.columns(u"Products"_s))
        columns << CatalogueDatabase::quoteName(column.name);
    const std::unique_ptr<StorageStatement> rows =
        db.prepare(u"SELECT "_s + columns.join(u", "_s) + u" FROM Products ORDER BY PID"_s);
    QString all;
    while (rows->next()) {
        for (int i = 0; i < rows->columnCount(); ++i)
            all += rows->stored(i).toString() + u'|';
        all += u'\n';
    }
    return all;
}

// What a run told: totals, messages, and every error in order.
inline QStringList toldBy(const ImportOutcome& outcome, const QList<RunTimeError>& errors) {
    QStringList told{outcome.totals, QString::number(outcome.errors),
                     QString::number(outcome.passedOver), QString::number(outcome.repeatedCount)};
    told += outcome.repeated;
    for (const RunTimeError& error : errors)
        told += error.description();
    return told;
}

} // namespace tovin::test
