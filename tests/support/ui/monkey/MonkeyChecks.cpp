#include "support/ui/monkey/MonkeyChecks.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/orders/OrderSession.h"
#include "core/shell/CatalogueInUse.h"
#include "core/storage/CatalogueChanges.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/RecordScreen.h"
#include "ui/shell/ChildWindows.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::monkey {

namespace {

const QStringList CountedColumns{u"Inventory"_s, u"OnOrder"_s, u"NoSold"_s};
// Screens where typing or deleting may rightly change stock or a product's Inventory.
const QStringList StockScreens{u"Products"_s, u"frmInventory"_s, u"EditProd"_s, u"BuildDB"_s};

// The child screen (registered name) a widget belongs to, "" for the main window's own parts.
QString screenOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (const QString name = ChildWindows::nameOf(w); !name.isEmpty())
            return name;
    return QString();
}

RecordScreen* recordScreenOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* screen = qobject_cast<RecordScreen*>(w))
            return screen;
    return nullptr;
}

QList<RecordScreen*> openRecordScreens() {
    QList<RecordScreen*> screens;
    for (const QString& name : ChildWindows::openScreens())
        if (auto* screen = qobject_cast<RecordScreen*>(ChildWindows::find(name)))
            screens << screen;
    return screens;
}

// The count in "Record: 3  of  12", "NO CURRENT RECORDS" or, on the Products screen, "No
// Matches Found" (the order screens say it over rows, of a quick search); -1 for any other.
int shownCount(const QString& status, const QString& screen) {
    static const QRegularExpression record(u"^Record: \\d+  of  (\\d+)$"_s);
    if (const auto match = record.match(status); match.hasMatch())
        return match.captured(1).toInt();
    if (status == u"NO CURRENT RECORDS"_s ||
        (status == u"No Matches Found"_s && screen == u"Products"_s))
        return 0;
    return -1;
}

} // namespace

Checks::Checks(const CatalogueInUse& catalogue, const OrderSession* order)
    : m_inUse(catalogue), m_order(order) {
    connect(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged, this,
            [this](const QString&, const QString& table, const QList<qint64>& rows) {
                noteRowsWritten(table, rows);
            });
}

// Told before the screens' own record sets hear of the write. A row a screen holds that was
// changed may rightly have left its search, and a row the screen adds stays in it whatever its
// values: after either the screen's count is no longer compared until it is read again. Rows
// it does not hold, and held rows that left the file, it must follow.
void Checks::noteRowsWritten(const QString& table, const QList<qint64>& rows) {
    for (RecordScreen* screen : openRecordScreens()) {
        RecordSet* set = screen->primaryRecordSet();
        if (!set || !set->isOpen() || set->tableName().compare(table, Qt::CaseInsensitive) != 0)
            continue;
        bool changed = set->isAdding();
        QList<qint64> held;
        for (const qint64 row : rows)
            if (set->positionOfBookmark(row) >= 0)
                held << row;
        if (!changed && !held.isEmpty()) {
            try {
                CatalogueDatabase own(set->connection()->path());
                QStringList marks;
                for (const qint64 row : held)
                    marks << QString::number(row);
                changed = own.scalar(u"SELECT count(*) FROM "_s +
                                     CatalogueDatabase::quoteName(set->tableName()) +
                                     u" WHERE rowid IN ("_s + marks.join(u',') + u')')
                              .toInt() > 0;
            } catch (...) {
                changed = true;
            }
        }
        if (changed)
            m_clean.remove(screen);
    }
}

void Checks::noteInput(const Target& target, const Input& input) {
    const QString path = target.path;
    if (path == u"menu:mnuFileOpen"_s || path == u"bar:Open"_s)
        m_stockExcused = true; // another catalogue
    if (!target.widget)
        return;
    const QString screen = screenOf(target.widget);
    const bool typing =
        input.action == u"type"_s || (input.action == u"key"_s && input.value == u"Del"_s);
    const bool deleting = target.widget->objectName().startsWith(u"cmdDelete"_s);
    if (StockScreens.contains(screen) && (typing || deleting))
        m_stockExcused = true;
    if (screen == u"EditProd"_s || screen == u"BuildDB"_s) {
        m_typedColumns.unite(QSet<QString>(CountedColumns.cbegin(), CountedColumns.cend()));
        m_stockExcused = true;
    }
    if (auto* screen = recordScreenOf(target.widget);
        screen && target.widget->objectName() == u"cmdRefresh"_s)
        m_clean.insert(screen, screen);
    auto* box = qobject_cast<BoundTextBox*>(target.widget.data());
    if (!box || !typing || !CountedColumns.contains(box->dataField()))
        return;
    RecordScreen* owner = recordScreenOf(box);
    RecordSet* set = owner ? owner->primaryRecordSet() : nullptr;
    if (set && set->isOpen() && set->hasCurrentRow() && !set->isAdding())
        m_typedRows[box->dataField()].insert(set->bookmark());
    else
        m_typedColumns.insert(box->dataField()); // a new row: its number is not known yet
}

void Checks::noteDeleteConfirmed() {
    // Stock rows or products went, however the question was reached.
    m_stockExcused = true;
}

void Checks::noteCatalogueRestored() {
    // The copy is another catalogue, as one opened is: what it holds was not this run's doing.
    m_catalogue.clear();
}

void Checks::startOver(CatalogueDatabase& db) {
    m_catalogue = m_inUse.path;
    m_typedRows.clear();
    m_typedColumns.clear();
    // Values below nought the catalogue held from the start are not the screens' doing.
    for (const QString& column : CountedColumns) {
        StorageStatement& query =
            db.run(u"SELECT rowid FROM Products WHERE "_s + column + u" < 0"_s);
        while (query.next())
            m_typedRows[column].insert(query.value(0).toLongLong());
    }
    m_settled = stockDifferences(db);
    m_stockExcused = false;
    // Screens already open keep the catalogue they read, and what is known of their records.
}

QStringList Checks::afterStep() {
    QStringList failures;
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::none_of(windows.begin(), windows.end(),
                     [](QWidget* window) { return qobject_cast<QMainWindow*>(window); }))
        return {u"the main window is gone"_s};
    std::unique_ptr<CatalogueDatabase> db;
    try {
        db = std::make_unique<CatalogueDatabase>(m_inUse.path);
    } catch (...) {
        return {u"the catalogue "_s + m_inUse.path + u" cannot be opened"_s};
    }
    if (m_catalogue != m_inUse.path)
        startOver(*db);
    const QString quick = db->scalar(u"PRAGMA quick_check"_s).toString();
    if (quick != u"ok"_s)
        failures << u"quick_check of the catalogue: "_s + quick;
    checkNegatives(*db, failures);
    checkStock(*db, failures);
    checkCounts(*db, failures);
    return failures;
}

void Checks::checkNegatives(CatalogueDatabase& db, QStringList& failures) {
    for (const QString& column : CountedColumns) {
        if (m_typedColumns.contains(column))
            continue;
        StorageStatement& query = db.run(u"SELECT rowid, StockNo, "_s + column +
                                         u" FROM Products WHERE "_s + column + u" < 0"_s);
        while (query.next())
            if (!m_typedRows.value(column).contains(query.value(0).toLongLong()))
                failures << u"product %1 has %2 %3, and nothing was typed into that box"_s.arg(
                    query.value(1).toString(), column, query.value(2).toString());
    }
}

QHash<QString, double> Checks::stockDifferences(CatalogueDatabase& db) {
    QHash<QString, double> out;
    StorageStatement& products =
        db.run(u"SELECT StockNo, total(Inventory) FROM Products GROUP BY StockNo"_s);
    while (products.next())
        out[products.value(0).toString()] += products.value(1).toDouble();
    // Stock received for a stock number no product has is kept, and the program says so: there
    // is no product for it to agree with.
    StorageStatement& stock = db.run(u"SELECT \"Product Id\", total(Number) FROM Inventory "_s
                                     u"WHERE \"Product Id\" IN (SELECT StockNo FROM Products) "_s
                                     u"GROUP BY \"Product Id\""_s);
    while (stock.next())
        out[stock.value(0).toString()] -= stock.value(1).toDouble();
    return out;
}

void Checks::checkStock(CatalogueDatabase& db, QStringList& failures) {
    // A sale is complete once the sales screen saved it (with the product's counts) or dropped
    // it (its items back on the stock row); until then stock row and product differ by the
    // quantity sold.
    if (m_order && m_order->SaleFromInventory)
        return;
    const QHash<QString, double> now = stockDifferences(db);
    if (!m_stockExcused) {
        QSet<QString> keys(now.keyBegin(), now.keyEnd());
        for (auto it = m_settled.cbegin(); it != m_settled.cend(); ++it)
            keys.insert(it.key());
        QStringList sorted(keys.cbegin(), keys.cend());
        sorted.sort();
        for (const QString& stockNo : sorted)
            // A product that joined since (added by hand or by an import, maybe beside stock
            // kept for its stock number) starts with counts of its own: there was nothing for
            // it to agree with before.
            if (m_settled.contains(stockNo) &&
                qAbs(now.value(stockNo) - m_settled.value(stockNo)) > 1e-9)
                failures << u"stock rows and product %1 no longer agree: Inventory minus stock "
                            u"was %2, is %3"_s.arg(stockNo)
                                .arg(m_settled.value(stockNo))
                                .arg(now.value(stockNo));
    }
    m_settled = now;
    // A typed value waits in its screen until the row is written, maybe steps later.
    bool pending = false;
    for (RecordScreen* screen : openRecordScreens())
        if (StockScreens.contains(screen->screenName()) && screen->primaryRecordSet())
            pending = pending || screen->inEditMode() || screen->primaryRecordSet()->isDirty();
    m_stockExcused = pending;
}

void Checks::checkCounts(CatalogueDatabase& db, QStringList& failures) {
    std::map<QString, std::unique_ptr<CatalogueDatabase>> others;
    for (RecordScreen* screen : openRecordScreens()) {
        RecordSet* set = screen->primaryRecordSet();
        if (!set || !set->isOpen())
            continue;
        // A screen seen for the first time has just read its rows.
        if (!m_seen.value(screen)) {
            m_seen.insert(screen, screen);
            m_clean.insert(screen, screen);
        }
        if (screen->inEditMode())
            continue;
        const int shown =
            shownCount(screen->findChild<QLabel*>(u"lblStatus"_s)->text(), screen->screenName());
        if (shown < 0)
            continue;
        if (shown != set->recordCount()) {
            failures << u"%1 shows %2 records, its record set holds %3"_s.arg(screen->screenName())
                            .arg(shown)
                            .arg(set->recordCount());
            continue;
        }
        // Typing into a row on show, even outside edit mode, holds the rows that joined or
        // left back until that row is written or dropped.
        if (!m_clean.value(screen) || set->isDirty())
            continue;
        // The same search, read afresh through a connection of its own to the screen's file
        // (a screen keeps the catalogue it opened when another one is opened).
        RecordSet fresh;
        int expected = -1;
        try {
            std::unique_ptr<CatalogueDatabase>& own = others[set->connection()->path()];
            if (!own && set->connection()->path() != db.path())
                own = std::make_unique<CatalogueDatabase>(set->connection()->path());
            fresh.open(set->source(), own ? *own : db);
            if (!set->filter().isEmpty())
                fresh.setFilter(set->filter());
            expected = fresh.recordCount();
        } catch (...) {
            continue;
        }
        if (expected != shown)
            failures << u"%1 shows %2 records, its search selects %3 (%4 filtered by %5)"_s
                            .arg(screen->screenName())
                            .arg(shown)
                            .arg(expected)
                            .arg(set->source(), set->filter());
    }
    // Screens that closed leave no entries behind.
    for (auto it = m_clean.begin(); it != m_clean.end();)
        it = it.value() ? std::next(it) : m_clean.erase(it);
    for (auto it = m_seen.begin(); it != m_seen.end();)
        it = it.value() ? std::next(it) : m_seen.erase(it);
}

} // namespace tovin::test::monkey
