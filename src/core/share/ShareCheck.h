#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace tovin {

class CatalogueDatabase;

// What is compared between a catalogue and its copy, table by table: the rows it holds and the
// sum of each money column. Rows lost or doubled on the way show in the count, and a value
// written wrongly (rounded, cut, shifted to another row's column) almost always in a sum.
namespace ShareCheck {

struct Tally {
    QString table;
    qint64 rows = 0;
    QList<QPair<QString, qint64>> moneySums; // column and sum in ten-thousandths
};

Tally tally(CatalogueDatabase& db, const QString& table);

// The first way the copy differs from the original, in words naming the table; nothing when
// they agree.
std::optional<QString> difference(const Tally& original, const Tally& copy);

} // namespace ShareCheck

} // namespace tovin
