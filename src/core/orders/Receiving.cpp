#include "core/orders/Receiving.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/JournalRun.h"
#include "core/orders/CatalogueOrdering.h"
#include "core/orders/OrderMath.h"
#include "core/orders/StoredRows.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin::Receiving {

namespace {

const QString Orders = u"Orders"_s;
const QString Products = u"Products"_s;
const QString Stock = u"Inventory"_s;

QString text(const QVariant& value) {
    return TextRules::toText(value);
}

double number(const QVariant& value) {
    return TextRules::Val(text(value));
}

// The net cost of one item as the orders screen shows it: the line's net cost in money text,
// divided by the number ordered, again in money text. Null when it can't be worked out.
QVariant netCostEach(const StoredRows::Row& line) {
    const auto lineCost =
        OrderMath::netLineCost(text(line.value(u"Shipping"_s)), text(line.value(u"Fees"_s)),
                               text(line.value(u"NumberOrdered"_s)), text(line.value(u"Cost"_s)),
                               text(line.value(u"Discount"_s)));
    if (!lineCost)
        return {};
    const auto each = OrderMath::netCostEach(OrderMath::moneyText(*lineCost),
                                             text(line.value(u"NumberOrdered"_s)));
    if (!each)
        return {};
    // The cost each is kept as the money text shows it, to the cent.
    return QVariant::fromValue(OrderMath::amountIn(OrderMath::moneyText(*each)).value_or(Money()));
}

// Whether the line's goods were taken into stock. A catalogue still in a layout without the
// list of received lines (it could not be written when it was opened) goes by Date Received.
bool wasReceived(CatalogueDatabase& db, const StoredRows::Row& line) {
    if (!db.hasTable(CatalogueSchema::ReceivedLinesTable))
        return !text(line.value(u"Date Received"_s)).trimmed().isEmpty();
    return !db.scalar(u"SELECT OrderRow FROM ReceivedLines WHERE OrderRow = ?"_s, {line.rowId})
                .isNull();
}

// More may arrive than the product counts on order (a line ordered before the count was kept,
// or the count typed lower); what is left on order is then none, never fewer than none.
double onOrderAfter(double onOrder, double received) {
    return std::max(0.0, onOrder - received);
}

void markReceived(CatalogueDatabase& db, const StoredRows::Row& line) {
    if (db.hasTable(CatalogueSchema::ReceivedLinesTable))
        db.run(
            db.dialect().insertUnlessPresent(CatalogueSchema::ReceivedLinesTable, {u"OrderRow"_s}),
            {line.rowId});
}

void receive(CatalogueDatabase& db, const StoredRows::Row& line, const QDate& received,
             LineResult& result) {
    const double quantity = number(line.value(u"NumberOrdered"_s));
    const auto product = StoredRows::firstWhere(
        db, Products, {u"Inventory"_s, u"OnOrder"_s, u"Notes"_s, u"Retail"_s}, u"StockNo"_s,
        result.stockNo);
    result.productMissing = !product;
    if (product) {
        StoredRows::update(
            db, Products, product->rowId,
            {{u"Inventory"_s, number(product->value(u"Inventory"_s)) + quantity},
             {u"OnOrder"_s, onOrderAfter(number(product->value(u"OnOrder"_s)), quantity)},
             {u"Notes"_s,
              product->value(u"Notes"_s).toString() + CatalogueOrdering::receivedNote(received)}});
    }
    const auto stockRow =
        StoredRows::firstWhere(db, Stock, {u"Number"_s}, u"Product Id"_s, result.stockNo);
    if (stockRow) {
        StoredRows::update(db, Stock, stockRow->rowId,
                           {{u"Number"_s, number(stockRow->value(u"Number"_s)) + quantity}});
    } else {
        result.stockRowCreated = true;
        StoredRows::insert(db, Stock,
                           {{u"Product Id"_s, result.stockNo},
                            {u"Number"_s, quantity},
                            {u"Description"_s, line.value(u"Description"_s)},
                            {u"Wholesale"_s, line.value(u"WtPrice"_s)},
                            {u"Retail"_s, product ? product->value(u"Retail"_s) : QVariant()},
                            {u"Date In"_s, received},
                            {u"Cost"_s, netCostEach(line)}});
    }
    StoredRows::update(db, Orders, line.rowId, {{u"Date Received"_s, received}});
    markReceived(db, line);
}

const QStringList LineColumns{
    u"Order ID"_s, u"ProductOrderID"_s, u"Description"_s, u"NumberOrdered"_s, u"WtPrice"_s,
    u"Cost"_s,     u"Discount"_s,       u"Shipping"_s,    u"Fees"_s,          u"Date Received"_s};

LineResult receiveRow(CatalogueDatabase& db, const StoredRows::Row& line, const QDate& received) {
    LineResult result;
    result.stockNo = text(line.value(u"ProductOrderID"_s));
    if (wasReceived(db, line)) {
        result.outcome = LineResult::Outcome::AlreadyReceived;
        return result;
    }
    try {
        if (!received.isValid())
            throw RunTimeError(ErrorNumber::TypeMismatch, u"The date received is not a date."_s);
        ScopedTransaction transaction(db);
        receive(db, line, received, result);
        transaction.commit();
        result.outcome = LineResult::Outcome::Received;
    } catch (const RunTimeError& error) {
        result.outcome = LineResult::Outcome::Failed;
        result.productMissing = false;
        result.stockRowCreated = false;
        result.error = error.description();
    }
    return result;
}

} // namespace

LineResult receiveLine(CatalogueDatabase& db, qint64 orderRowId, const QDate& received) {
    const auto line = StoredRows::rowById(db, Orders, LineColumns, orderRowId);
    if (!line) {
        LineResult result;
        result.error = u"The order line is no longer in the catalogue."_s;
        return result;
    }
    return receiveRow(db, *line, received);
}

OrderResult receiveOrder(CatalogueDatabase& db, const QString& orderId, const QDate& received) {
    QList<StoredRows::Row> lines =
        StoredRows::rowsWhere(db, Orders, LineColumns, u"Order ID"_s, orderId);
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
        return text(a.value(u"ProductOrderID"_s)) < text(b.value(u"ProductOrderID"_s));
    });
    OrderResult result;
    result.lines = int(lines.size());
    // Each line is taken in on its own; the journal keeps them together as one run.
    JournalRun journal(db, JournalRun::Receive, orderId);
    for (const StoredRows::Row& line : std::as_const(lines)) {
        const LineResult done = receiveRow(db, line, received);
        switch (done.outcome) {
        case LineResult::Outcome::Received:
            ++result.received;
            if (done.productMissing)
                result.missingProducts << done.stockNo;
            break;
        case LineResult::Outcome::AlreadyReceived:
            ++result.skipped;
            break;
        case LineResult::Outcome::Failed:
            result.failures << done.stockNo + u": "_s + done.error;
            break;
        }
    }
    journal.setTotals(summary(orderId, result));
    return result;
}

namespace {

QString lines(int n) {
    return n == 1 ? u"1 line"_s : QString::number(n) + u" lines"_s;
}

QString missingText(const QStringList& stockNumbers) {
    return u"No product in the catalogue has the stock number "_s + stockNumbers.join(u", "_s) +
           u": the stock was received, but no product's Inventory or On Order was changed."_s;
}

} // namespace

QString summary(const QString& orderId, const OrderResult& result) {
    QStringList parts;
    if (result.lines == 0)
        return u"Order "_s + orderId + u" has no lines to receive."_s;
    parts << u"Received "_s + lines(result.received) + u" of order "_s + orderId + u'.';
    if (result.skipped > 0)
        parts << u"Skipped "_s + lines(result.skipped) + u" already received before."_s;
    if (!result.missingProducts.isEmpty())
        parts << missingText(result.missingProducts);
    if (!result.failures.isEmpty())
        parts << u"Not received, nothing of these lines was changed:\n"_s +
                     result.failures.join(u'\n');
    return parts.join(u"\n\n"_s);
}

QString summary(const LineResult& result) {
    switch (result.outcome) {
    case LineResult::Outcome::Received:
        return result.productMissing ? missingText({result.stockNo}) : QString();
    case LineResult::Outcome::AlreadyReceived:
        return u"The line of "_s + result.stockNo +
               u" was received before; it was not received again."_s;
    case LineResult::Outcome::Failed:
        break;
    }
    return u"The line of "_s + result.stockNo +
           u" was not received, nothing of it was changed: "_s + result.error;
}

} // namespace tovin::Receiving
