#include "core/catalogue/CatalogueOffers.h"

#include "core/storage/CatalogueLocation.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin::CatalogueOffers {

std::optional<QString> backupRefusal(const QString& location) {
    if (!CatalogueLocation::isServer(location))
        return std::nullopt;
    return u"The catalogue %1 is kept on a database server. It is backed up by the server's own "
           u"backups, not by this program, and restored from them."_s.arg(
               CatalogueLocation::withoutPassword(location));
}

QString windowTitle(const QString& location) {
    if (!CatalogueLocation::isServer(location))
        return location;
    return CatalogueLocation::shortName(location) + u" ("_s +
           CatalogueLocation::withoutPassword(location) + u')';
}

QString copyFolder(const QString& location, const QString& programFolder) {
    if (CatalogueLocation::isServer(location))
        return programFolder;
    return QFileInfo(location).absolutePath();
}

} // namespace tovin::CatalogueOffers
