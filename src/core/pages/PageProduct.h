#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <array>

namespace tovin {

class RecordSet;

// The columns of a product the catalogue pages show. Texts are taken as stored: suppliers'
// descriptions keep their own markup on the pages. Money columns stay values so that an empty
// one can be told from a zero.
struct PageProduct {
    QString StockNo;
    QString ProdName;
    QString ProdDesc;
    QString Picture;
    QString PageNo;
    QVariant Retail;
    std::array<QVariant, 5> Cost; // Cost1 to Cost5

    // Every row of an open record set, in its current order, read by column name (a missing
    // column leaves its value empty).
    static QList<PageProduct> readAll(const RecordSet& records);

    // The products of a selection in the order the Products screen shows them: the catalogue in
    // stock-number order, narrowed by the condition `where` and sorted by `sort` ("a,b Desc")
    // as that screen's record set does. Pages that number products (tick boxes) rely on it.
    static QList<PageProduct> readSelection(const QString& cataloguePath, const QString& where,
                                            const QString& sort);
};

} // namespace tovin
