#include "support/ui/torture/TortureFiles.h"

#include "core/catalogue/CatalogueDatabase.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

QString stockNumber(int family, int item) {
    return u"T%1-%2"_s.arg(family, 4, 10, QChar(u'0')).arg(item, 5, 10, QChar(u'0'));
}

int pageOf(int family) {
    return 1000 + family;
}

ItemState itemFromFile(int family, int item, int version) {
    // Whole cents from 1.00 to 900.99, different for neighbouring items and versions.
    const qint64 cents =
        100 + (qint64(family) * 37 + qint64(item) * 13 + qint64(version) * 101) % 90000;
    return {true, u"Item %1-%2 v%3"_s.arg(family).arg(item).arg(version), cents * 100};
}

void writeSupplierFile(const QString& path, int family, int count, int version) {
    QByteArray text;
    for (int item = 0; item < count; ++item) {
        const ItemState state = itemFromFile(family, item, version);
        text += u"%1,%2,%3.%4,%5\r\n"_s.arg(stockNumber(family, item), state.name)
                    .arg(state.retail / 10000)
                    .arg(state.retail / 100 % 100, 2, 10, QChar(u'0'))
                    .arg(pageOf(family))
                    .toUtf8();
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

FamilyState readFamily(CatalogueDatabase& db, int family, int size, QStringList* duplicates) {
    FamilyState state(size);
    const QString prefix = u"T%1-"_s.arg(family, 4, 10, QChar(u'0'));
    // By stock number rather than page: a product keeps its family whatever else is changed.
    StorageStatement& query =
        db.run(u"SELECT StockNo, ProdName, Retail FROM Products WHERE StockNo >= ? AND "_s
               u"StockNo < ?"_s,
               {prefix, prefix.chopped(1) + u'.'});
    while (query.next()) {
        const QString stockNo = query.value(0).toString();
        bool ok = false;
        const int item = stockNo.mid(prefix.size()).toInt(&ok);
        if (!ok || item < 0 || item >= size || stockNo != stockNumber(family, item))
            continue;
        ItemState& slot = state[item];
        if (slot.present && duplicates)
            *duplicates << stockNo;
        slot = {true, query.value(1).toString(), query.value(2).toLongLong()};
    }
    return state;
}

QString describe(const FamilyState& state) {
    const auto present = std::count_if(state.cbegin(), state.cend(),
                                       [](const ItemState& item) { return item.present; });
    return u"%1 present, %2 absent"_s.arg(present).arg(state.size() - present);
}

QString firstDifference(const FamilyState& expected, const FamilyState& actual, int family) {
    const auto show = [](const ItemState& item) {
        return item.present ? u"\"%1\" %2"_s.arg(item.name).arg(double(item.retail) / 10000)
                            : u"absent"_s;
    };
    for (qsizetype i = 0; i < qMin(expected.size(), actual.size()); ++i)
        if (expected.at(i) != actual.at(i))
            return u"%1: expected %2, found %3"_s.arg(stockNumber(family, int(i)),
                                                      show(expected.at(i)), show(actual.at(i)));
    return QString();
}

} // namespace tovin::test::torture
