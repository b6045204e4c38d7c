#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace tovin {

class CatalogueDatabase;

// Receiving ordered goods into stock. Each order line is received in one transaction: the
// product's Inventory rises and its OnOrder falls by the line's NumberOrdered (to no fewer than
// none) and its notes gain a dated "Received Item" line, the stock row of table Inventory grows by
// the same number (or is made, from the line and the product), and the line's Date Received is set.
// A line that fails leaves all three as they were. A line received before is left alone, so stock
// is never counted twice; a Date Received the user typed and saved does not make a line received.
namespace Receiving {

struct LineResult {
    enum class Outcome { Received, AlreadyReceived, Failed };
    Outcome outcome = Outcome::Failed;
    QString stockNo;
    bool productMissing = false;  // no product has the line's stock number
    bool stockRowCreated = false; // the product had no stock row yet
    QString error;                // why a line failed
};

// Receives one order line, by its row number in table Orders.
LineResult receiveLine(CatalogueDatabase& db, qint64 orderRowId, const QDate& received);

struct OrderResult {
    int lines = 0;
    int received = 0;
    int skipped = 0;             // lines received before
    QStringList missingProducts; // stock numbers of received lines without a product
    QStringList failures;        // "stock number: reason" of lines that failed
};

// Receives every line of an order, in stock-number order.
OrderResult receiveOrder(CatalogueDatabase& db, const QString& orderId, const QDate& received);

// What the user is told after receiving: how many lines were received and skipped, products
// that are not in the catalogue, and lines that failed.
QString summary(const QString& orderId, const OrderResult& result);
// The same for one line received item by item.
QString summary(const LineResult& result);

} // namespace Receiving

} // namespace tovin
