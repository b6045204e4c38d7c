#include "core/reports/PreparedReport.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/ProgramFolder.h"
#include "core/reports/ReportData.h"
#include "core/reports/ReportDefinition.h"
#include "core/reports/ReportTemplate.h"
#include "core/storage/CatalogueLocation.h"
#include "core/text/DateText.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

PreparedReport PreparedReport::make(const QString& reportPath, const QString& cataloguePath,
                                    const QDate& today, const ProgramList::Settings& lists) {
    const ReportDefinition definition = ReportDefinition::read(reportPath);
    CatalogueDatabase db(cataloguePath);
    PreparedReport report;
    report.title = definition.title;
    // A catalogue on a server is named by its database and server, never with its password.
    report.catalogue = CatalogueLocation::shortName(cataloguePath);
    report.date = TextRules::formatDate(today, u"MM/DD/YYYY"_s);
    report.landscape = definition.landscape;
    QVariantMap values = readReportData(db, definition, lists);
    values.insert(u"title"_s, report.title);
    values.insert(u"catalogue"_s, report.catalogue);
    values.insert(u"date"_s, report.date);
    report.html = renderReportTemplate(definition.page, values);
    return report;
}

const QList<ReportEntry>& reportEntries() {
    static const QList<ReportEntry> entries{
        {u"mnuR1"_s, u"Cost &1 Price List"_s, u"cost1.rpt"_s},
        {u"mnuR2"_s, u"Cost &2 Price List"_s, u"cost2.rpt"_s},
        {u"mnuR3"_s, u"Cost &3 Price List"_s, u"cost3.rpt"_s},
        {u"mnuR4"_s, u"Cost &4 Price List"_s, u"cost4.rpt"_s},
        {u"mnuR5"_s, u"Cost &5 Price List"_s, u"cost5.rpt"_s},
        {u"mnuR6"_s, u"&Retail Price List"_s, u"retail.rpt"_s},
        {u"mnuR7"_s, u"&Catagory Report"_s, u"catagory.rpt"_s},
        {u"mnuR8"_s, u"&Inventory Report"_s, u"inventory.rpt"_s},
        {u"mnuR9"_s, u"&Orders Report"_s, u"orders.rpt"_s},
        {u"mnuR10"_s, u"&Margins"_s, u"margins.rpt"_s},
    };
    return entries;
}

QString reportFilePath(const QString& name) {
    QString file = name;
    if (QFileInfo(file).suffix().isEmpty())
        file += u".rpt"_s;
    if (file.contains(u'/'))
        return file;
    return ProgramFolder::path() + file;
}

} // namespace tovin
