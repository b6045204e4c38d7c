#include "core/import/AccessTableImport.h"

#include "core/base/RunTimeError.h"
#include "core/import/FixedMappings.h"
#include "core/import/ImportItem.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/ProductImporter.h"
#include "core/import/RepeatedStockNumbers.h"
#include "core/journal/JournalRun.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
constexpr int TovinColumnCount = 19;
}

bool AccessTableImport::readsFile(const QString& path) {
    const QString lower = path.toLower();
    return lower.endsWith(u".mdb"_s) || lower.endsWith(u".accdb"_s);
}

AccessTableImport::AccessTableImport(const QString& path) : m_path(path), m_database(path) {}

QString AccessTableImport::bareFileName() const {
    return ImportValueRules::bareFileName(m_path);
}

bool AccessTableImport::isTovinDatabase() const {
    return FixedMappings::isTovinDatabase(m_path);
}

QString AccessTableImport::tovinProductTable() const {
    for (const QString& name : m_database.tableNames())
        if (!AccessDatabase::isSystemTable(name) &&
            m_database.columnNames(name).size() == TovinColumnCount)
            return name;
    return u"Products"_s;
}

AccessTableImport::TableChoice AccessTableImport::useFixedMapping() {
    const TableChoice choice = chooseTable(tovinProductTable());
    if (choice == TableChoice::Chosen)
        m_mapping.setMap(FixedMappings::tovinDatabaseMap());
    return choice;
}

QString AccessTableImport::chooseTableMessage() {
    return ImportMessages::chooseTable();
}

QStringList AccessTableImport::tableChoices() const {
    return m_database.tableChoiceList();
}

AccessTableImport::TableChoice AccessTableImport::chooseTable(int index) {
    const QStringList names = m_database.tableNames();
    if (index < 0 || index >= names.size())
        return TableChoice::Invalid;
    if (AccessDatabase::isSystemTable(names.at(index)))
        return TableChoice::Refused;
    m_table = names.at(index);
    m_mapping.setFields(m_database.columnNames(m_table));
    return TableChoice::Chosen;
}

AccessTableImport::TableChoice AccessTableImport::chooseTable(const QString& name) {
    const QStringList names = m_database.tableNames();
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i) == name)
            return chooseTable(i);
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return chooseTable(i);
    return TableChoice::Invalid;
}

QString AccessTableImport::chooseFieldsMessage() {
    return ImportMessages::chooseFields();
}

qint64 AccessTableImport::rowCount() const {
    if (m_table.isEmpty())
        return 0;
    return m_database.rowCount(m_table);
}

QString AccessTableImport::emptyDatabase() {
    return ImportMessages::emptyDatabase();
}

QString AccessTableImport::caption() const {
    return ImportMessages::gettingInformationFrom(bareFileName());
}

QString AccessTableImport::noteDefault(const QDate& today) const {
    return ImportMessages::noteDefault(today, bareFileName());
}

std::optional<QString> AccessTableImport::stockNumberOutOfReach() const {
    const int stockIndex = m_mapping.map().stockFieldIndex();
    if (m_table.isEmpty() || stockIndex < 0)
        return std::nullopt;
    // Every row of a table has its columns: the first rows have as many as the table.
    const int columns = m_database.columnNames(m_table).size();
    if (stockIndex < columns)
        return std::nullopt;
    return ImportMessages::stockNumberPastFields(stockIndex, columns, true);
}

ImportOutcome AccessTableImport::run(CatalogueDatabase& db, const ProgressCallback& progress) {
    if (m_table.isEmpty())
        throw RunTimeError(ErrorNumber::InvalidProcedureCall, u"No table chosen yet"_s);
    if (!m_mapping.hasStockNumber())
        throw RunTimeError(ErrorNumber::InvalidProcedureCall,
                           ImportMessages::stockNumberRequired());
    if (const std::optional<QString> refusal = stockNumberOutOfReach())
        throw RunTimeError(ErrorNumber::InvalidProcedureCall, *refusal);
    ImportOptions options = m_options;
    options.skipDiscontinued = options.skipDiscontinued || m_mapping.skipDiscontinued();
    options.runKind = JournalRun::AccessTable;
    options.runSource = m_path + u" ("_s + m_table + u')';
    ProductImporter importer(db, m_mapping.map(), options);
    importer.setProgress(progress, rowCount());
    importer.setPlacesAreRows(true);
    // A first reading finds the stock numbers that stand on several rows.
    RepeatedStockNumbers repeats(RepeatedStockNumbers::Place::Rows);
    qsizetype position = 0;
    m_database.readRows(m_table, [&](const QStringList& values) {
        const QString stockNumber = values.value(importer.stockIndex());
        if (!ImportValueRules::skipsStockNumber(stockNumber))
            repeats.add(stockNumber, position);
        ++position;
        return true;
    });
    importer.setRepeats(std::move(repeats));
    ImportItem item;
    qint64 row = 0;
    bool cancelled = false;
    m_database.readRows(m_table, [&](const QStringList& values) {
        item.clear();
        for (const QString& value : values)
            item.append(value);
        const qsizetype at = qsizetype(row);
        if (!importer.processInOrder(item, at, ++row)) {
            cancelled = true;
            return false;
        }
        return true;
    });
    return importer.finish(cancelled);
}

} // namespace tovin
