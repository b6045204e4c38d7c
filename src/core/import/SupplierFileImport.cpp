#include "core/import/SupplierFileImport.h"

#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"

#include <QFileInfo>

namespace tovin {

SupplierFileImport::SupplierFileImport(FixedMappings::SupplierFile file, const QString& appFolder)
    : m_file(std::move(file)), m_path(appFolder + m_file.relativePath) {}

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
    const TextFile text = TextFile::load(m_path);
    return ProductImporter::importText(db, text, 0, m_file.divider, m_file.map, m_options,
                                       progress);
}

QList<int> SupplierFileImport::priceListsInOrder(const QList<int>& checked) {
    QList<int> order;
    for (int index = 0; index < FixedMappings::PriceListCount; ++index)
        if (checked.contains(index))
            order.append(index);
    return order;
}

} // namespace tovin
