#include "core/storage/CatalogueChanges.h"

#include <QFileInfo>

namespace tovin {

CatalogueChanges& CatalogueChanges::instance() {
    static CatalogueChanges changes;
    return changes;
}

QString CatalogueChanges::identity(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace tovin
