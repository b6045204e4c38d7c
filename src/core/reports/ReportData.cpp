#include "core/reports/ReportData.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/ColumnValues.h"
#include "core/storage/ReadSnapshot.h"
#include "core/text/DateText.h"
#include "core/text/Money.h"
#include "core/text/ValueText.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// A row as the page shows it, and as the catalogue holds it (for the lists below it).
struct Row {
    QVariantMap shown;
    QVariantMap stored;
};

class Reader {
public:
    Reader(CatalogueDatabase& db, const ReportDefinition& report) : m_db(db), m_report(report) {}

    QVariantList readList(const ReportDefinition::Data& data, const QVariantMap& parent) {
        try {
            return readRows(data, parent);
        } catch (const StatementRefused& error) {
            throw RunTimeError(ErrorNumber::DatabaseRefused,
                               u"The catalogue refused the list \"%1\": %2"_s.arg(
                                   data.name, error.databaseMessage()));
        }
    }

    // The rows of one of the program's lists, as the page shows them.
    QVariantList shownRows(const QVariantList& stored) const {
        QVariantList rows;
        for (const QVariant& row : stored) {
            QVariantMap shown;
            const QVariantMap values = row.toMap();
            for (auto it = values.cbegin(); it != values.cend(); ++it)
                shown.insert(it.key(), shownText(it.key(), it.value()));
            rows.append(shown);
        }
        return rows;
    }

private:
    QVariantList readRows(const ReportDefinition::Data& data, const QVariantMap& parent) {
        // A list of its own for each parent row: the statement stays open while the lists
        // under its rows are read.
        const std::unique_ptr<StorageStatement> query = m_db.prepare(data.select);
        static const QRegularExpression parameter(u":([A-Za-z_][A-Za-z0-9_]*)"_s);
        for (auto it = parameter.globalMatch(data.select); it.hasNext();) {
            const QString field = it.next().captured(1);
            if (!parent.contains(field))
                throw RunTimeError(
                    ErrorNumber::ItemNotFound,
                    u"The list \"%1\" asks for :%2, which its parent row lacks"_s.arg(data.name,
                                                                                      field));
            if (const int position = query->parameterPosition(u':' + field))
                query->bind(position, parent.value(field));
        }
        QVariantList rows;
        while (query->next()) {
            Row row = readRow(*query);
            for (const ReportDefinition::Data& child : m_report.data)
                if (child.parent == data.name)
                    row.shown.insert(child.name, readList(child, row.stored));
            rows.append(row.shown);
        }
        return rows;
    }

    Row readRow(const StorageStatement& record) const {
        Row row;
        for (int i = 0; i < record.columnCount(); ++i) {
            const QString field = record.columnName(i);
            const QVariant value = record.value(i);
            row.stored.insert(field, value);
            row.shown.insert(field, shownText(field, value));
        }
        return row;
    }

    QString shownText(const QString& field, const QVariant& value) const {
        if (value.isNull())
            return QString();
        if (m_report.moneyFields.contains(field)) {
            // Money is kept in whole ten-thousandths; sums of it too.
            return Money::fromStored(value.toLongLong()).format(u"$#,##0.00"_s);
        }
        if (m_report.dateFields.contains(field)) {
            const QDate date = QDate::fromString(value.toString(), Qt::ISODate);
            return date.isValid() ? TextRules::formatDate(date, u"MM/DD/YYYY"_s) : value.toString();
        }
        return TextRules::toText(value);
    }

    CatalogueDatabase& m_db;
    const ReportDefinition& m_report;
};

} // namespace

QVariantMap readReportData(CatalogueDatabase& db, const ReportDefinition& report,
                           const ProgramList::Settings& lists) {
    // Every list of the page from one state of the catalogue, read as a reader does: a report
    // is made while another program writes, and whatever a report file's statement might try,
    // nothing of it stays.
    const ReadSnapshot snapshot(db.connection());
    Reader reader(db, report);
    QVariantMap page;
    for (const ReportDefinition::Data& data : report.data) {
        if (!data.source.isEmpty()) {
            const ProgramList list = ProgramList::read(db, data.source, lists);
            page.insert(list.values);
            page.insert(data.name, reader.shownRows(list.rows));
        } else if (data.parent.isEmpty()) {
            page.insert(data.name, reader.readList(data, {}));
        }
    }
    return page;
}

} // namespace tovin
