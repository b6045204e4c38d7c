// Filter, find and where texts typed by users or built from supplier data: parsing and testing
// any text must end in a match, no match or a run-time error, never a crash.
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/query/Condition.h"

#include <QString>
#include <QVariant>

using namespace tovin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const TableDefinition& products = CatalogueSchema::table(QStringLiteral("Products"));
    const auto resolve = [&](const QString& name) {
        const int index = products.columnIndex(name);
        return index < 0 ? ConditionColumn{}
                         : ConditionColumn{index, products.columns.at(index).kind};
    };
    try {
        const Condition condition = Condition::parse(text, resolve);
        condition.matches([&](int index) -> QVariant {
            switch (products.columns.at(index).kind) {
            case ColumnKind::Text:
            case ColumnKind::Memo:
                return index % 3 ? QVariant(QStringLiteral("AB-12 o'Brien")) : QVariant();
            case ColumnKind::YesNo:
                return QVariant(index % 2 == 0);
            default:
                return QVariant(double(index) * 1.25);
            }
        });
    } catch (const RunTimeError&) {
    }
    return 0;
}
