#pragma once

#include <QList>
#include <QString>

namespace tovin {
class CatalogueDatabase;
}

// The generated supplier files of a torture run. Products come in families: family K holds the
// items "T000K-00000", "T000K-00001", ... on page 1000 + K, and each version of the family's
// file gives every item a name and a price of its own, so a product's values tell which file
// (or which bulk edit) wrote it last.
namespace tovin::test::torture {

struct ItemState {
    bool present = false;
    QString name;
    qint64 retail = 0; // ten-thousandths of a dollar, as stored

    bool operator==(const ItemState&) const = default;
};
// Indexed by item number.
using FamilyState = QList<ItemState>;

QString stockNumber(int family, int item);
int pageOf(int family);
ItemState itemFromFile(int family, int item, int version);

// The first `count` items of a family at `version`: "stock,name,price,page" lines.
void writeSupplierFile(const QString& path, int family, int count, int version);

// The family's items as the catalogue holds them (`size` items; a product of the family whose
// number is out of range is ignored). `duplicates` gets the stock numbers held twice.
FamilyState readFamily(CatalogueDatabase& db, int family, int size, QStringList* duplicates);

// How a state reads in a failure message: "12 present, 3 absent".
QString describe(const FamilyState& state);
// The first item that differs, for a failure message ("" when equal).
QString firstDifference(const FamilyState& expected, const FamilyState& actual, int family);

} // namespace tovin::test::torture
