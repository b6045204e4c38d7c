#include "support/ui/torture/ExportComparison.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "support/core/CliRun.h"
#include "support/ui/torture/TortureCommand.h"

#include <QStringList>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

namespace {

// Page numbers are texts, compared as texts on both engines.
const QString OnFamilyPages = u"PageNo >= '1000'"_s;

QString moneyText(const QVariant& stored) {
    return stored.isNull() ? QString() : QString::number(stored.toLongLong());
}

} // namespace

QStringList nextCsvRecord(QStringView& text) {
    QStringList fields;
    QString field;
    bool quoted = false;
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << std::exchange(field, QString());
        } else if (c == u'\n') {
            break;
        } else if (c != u'\r') {
            field += c;
        }
    }
    fields << field;
    text = text.mid(qMin(i + 1, text.size()));
    return fields;
}

QString exportDifference(const QString& catalogue, const QString& out,
                         const QStringList& programOptions) {
    const Ran exported = runToEnd(
        programOptions + QStringList{u"export"_s, u"--db"_s, catalogue, u"--out"_s, out,
                                     u"--columns"_s, u"2,3,12"_s, u"--where"_s, OnFamilyPages});
    if (exported.status != 0)
        return u"the export ended with status %1: %2"_s.arg(exported.status)
            .arg(exported.err.trimmed());
    const QString text = QString::fromUtf8(fileBytes(out));
    QStringList fromFile;
    for (QStringView rest(text); !rest.isEmpty();) {
        const QStringList fields = nextCsvRecord(rest);
        if (fields.size() != 3)
            return u"an exported line has %1 fields: %2"_s.arg(fields.size())
                .arg(fields.join(u',').left(200));
        bool ok = false;
        const double price = fields.at(2).toDouble(&ok);
        const QString stored =
            !ok ? fields.at(2) : QString::number(qint64(std::llround(price * 10000)));
        fromFile << fields.at(0) + u'|' + fields.at(1) + u'|' + stored;
    }
    QStringList fromCatalogue;
    CatalogueDatabase db(catalogue);
    StorageStatement& query =
        db.run(u"SELECT StockNo, ProdName, Retail FROM Products WHERE "_s + OnFamilyPages);
    while (query.next())
        fromCatalogue << query.value(0).toString() + u'|' + query.value(1).toString() + u'|' +
                             moneyText(query.value(2));
    fromFile.sort();
    fromCatalogue.sort();
    if (fromFile == fromCatalogue)
        return QString();
    for (qsizetype i = 0; i < qMin(fromFile.size(), fromCatalogue.size()); ++i)
        if (fromFile.at(i) != fromCatalogue.at(i))
            return u"the export differs from the catalogue: exported %1, the catalogue holds %2"_s
                .arg(fromFile.at(i), fromCatalogue.at(i));
    return u"the export has %1 products, the catalogue %2"_s.arg(fromFile.size())
        .arg(fromCatalogue.size());
}

} // namespace tovin::test::torture
