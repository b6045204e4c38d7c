#pragma once

#include <QString>
#include <cstdint>

namespace tovin {

class CatalogueDatabase;

// The product's side of a sale from stock: its Inventory falls and its NoSold rises by the
// quantity sold. The change is written by the transaction that writes the sale's own row, so
// the catalogue never holds a saved sale whose product still counts the items as in stock, nor
// the other way round, whenever the program stops.
//
// While an object lives, the first transaction committed on the connection carries the change
// (it is written just before that commit, and rolled back with it). The sales screen arms one
// around the Update of the sale's row: that row is the only write of its connection then, and
// the connection does no before-commit work of its own (it journals no batch run).
class StockSaleProduct {
public:
    enum class Outcome {
        NotWritten, // no transaction was committed on the connection yet
        Taken,      // the product's counts changed with the transaction
        NoProduct,  // no product has the stock number: the row is written all the same
    };

    StockSaleProduct(CatalogueDatabase& db, QString stockNo, std::int16_t quantity);
    ~StockSaleProduct();
    StockSaleProduct(const StockSaleProduct&) = delete;
    StockSaleProduct& operator=(const StockSaleProduct&) = delete;

    // What the transaction did to the product; meaningful once it committed.
    Outcome outcome() const { return m_outcome; }

    // The change in a transaction of its own, for a sale whose row is already in the file.
    static Outcome writeNow(CatalogueDatabase& db, const QString& stockNo, std::int16_t quantity);

    // Told when a saved sale's items could not be taken off a product.
    static QString noProductMessage(const QString& stockNo, std::int16_t quantity);

private:
    void writeWithCommit();

    CatalogueDatabase& m_db;
    QString m_stockNo;
    std::int16_t m_quantity;
    Outcome m_outcome = Outcome::NotWritten;
};

} // namespace tovin
