#include "core/import/SupplierFileImport.h"

#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/ProductImporter.h"
#include "core/journal/JournalRun.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The path of `relative` under `folder`, each part found in any letter case (suppliers send
// STOCK.TXT as often as stock.txt); the path as written when a part is not there.
QString findIgnoringCase(const QString& folder, const QString& relative) {
    QString found = folder;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        const QDir dir(found.isEmpty() ? QStringLiteral(".") : found);
        QString name = part;
        if (!QFileInfo::exists(dir.filePath(part))) {
            const QStringList entries =
                dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
            for (const QString& entry : entries)
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    name = entry;
                    break;
                }
        }
        found = found.isEmpty() || found.endsWith(u'/') ? found + name : found + u'/' + name;
    }
    return found;
}

} // namespace

SupplierFileImport::SupplierFileImport(FixedMappings::SupplierFile file, const QString& appFolder)
    : m_file(std::move(file)), m_path(findIgnoringCase(appFolder, m_file.relativePath)) {}

QString SupplierFileImport::bareFileName() const {
    return ImportValueRules::bareFileName(m_path);
}

bool SupplierFileImport::exists() const {
    return QFileInfo(m_path).isFile();
}

QString SupplierFileImport::missingMessage() const {
    return FixedMappings::missingFileMessage(m_file);
}

bool SupplierFileImport::asksDiscontinued() const {
    return m_file.kind == FixedMappings::SupplierFileKind::Stock;
}

QString SupplierFileImport::discontinuedQuestion() {
    return ImportMessages::stockDiscontinuedQuestion();
}

QString SupplierFileImport::caption() const {
    return ImportMessages::gettingInformationFrom(bareFileName());
}

QString SupplierFileImport::selectSupplierMessage() {
    return ImportMessages::selectSupplier();
}

QString SupplierFileImport::noteDefault(const QDate& today) const {
    return ImportMessages::noteDefault(today, bareFileName());
}

ImportOutcome SupplierFileImport::run(CatalogueDatabase& db, const ProgressCallback& progress) {
    ImportOptions options = m_options;
    options.runKind = JournalRun::SupplierFile;
    options.runSource = m_path;
    return ProductImporter::importFile(db, m_path, QString(), 0, m_file.divider, m_file.map,
                                       options, progress);
}

QList<int> SupplierFileImport::priceListsInOrder(const QList<int>& checked) {
    QList<int> order;
    for (int index = 0; index < FixedMappings::PriceListCount; ++index)
        if (checked.contains(index))
            order.append(index);
    return order;
}

ImportOutcome SupplierFileImport::runOutcome(const QList<ImportOutcome>& lists) {
    ImportOutcome run;
    for (const ImportOutcome& list : lists) {
        run.counts.checked += list.counts.checked;
        run.counts.added += list.counts.added;
        run.counts.edited += list.counts.edited;
        run.cancelled = run.cancelled || list.cancelled;
        run.errors += list.errors;
        run.passedOver += list.passedOver;
        run.passedOverNamed += list.passedOverNamed;
        run.repeatedCount += list.repeatedCount;
        run.repeated += list.repeated;
    }
    run.totals = ImportMessages::totals(run.counts.checked, run.counts.added, run.counts.edited);
    return run;
}

QString SupplierFileImport::listLine(const QString& bareFileName, const ImportOutcome& outcome) {
    return bareFileName + u":   "_s + outcome.totals;
}

} // namespace tovin
