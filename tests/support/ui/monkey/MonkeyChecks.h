#pragma once

#include "support/ui/monkey/MonkeyInput.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

namespace tovin {
class CatalogueDatabase;
struct CatalogueInUse;
struct OrderSession;
class RecordScreen;
} // namespace tovin

// What must hold after every step of the monkey, read from what the screens show and from the
// catalogue through a connection of its own.
namespace tovin::test::monkey {

class Checks : public QObject {
    Q_OBJECT
public:
    // `order`: the screens' order session, whose open sale from stock excuses the stock rows.
    // `catalogue` is the one the window has open; the checks follow it when the window moves.
    Checks(const CatalogueInUse& catalogue, const OrderSession* order);

    // Before a step: what the input may rightly change.
    void noteInput(const Target& target, const Input& input);
    // A question about deleting was answered Yes during the step.
    void noteDeleteConfirmed();
    // The catalogue's file now holds a copy restored from a backup, under the same name.
    void noteCatalogueRestored();
    // After a step: the broken rules, empty when everything holds.
    QStringList afterStep();

private:
    void startOver(CatalogueDatabase& db);
    void checkNegatives(CatalogueDatabase& db, QStringList& failures);
    void checkStock(CatalogueDatabase& db, QStringList& failures);
    void checkCounts(CatalogueDatabase& db, QStringList& failures);
    QHash<QString, double> stockDifferences(CatalogueDatabase& db);
    void noteRowsWritten(const QString& table, const QList<qint64>& rows);

    const CatalogueInUse& m_inUse;
    const OrderSession* m_order = nullptr;
    QString m_catalogue;
    // Rows (or, for "*", every row) into whose Inventory, OnOrder or NoSold box a value was
    // typed: those may go below nought.
    QHash<QString, QSet<qint64>> m_typedRows;
    QSet<QString> m_typedColumns;
    // The products' Inventory minus their stock rows per stock number, when no sale was under
    // way; a stock number no product has is not listed.
    QHash<QString, double> m_settled;
    bool m_stockExcused = false;
    // Record screens none of whose rows was changed since they read them: rows that joined or
    // left the file are no excuse, a screen takes those in.
    QHash<RecordScreen*, QPointer<RecordScreen>> m_clean;
    QHash<RecordScreen*, QPointer<RecordScreen>> m_seen;
};

} // namespace tovin::test::monkey
