#include "ui/shell/ConnectionStatus.h"

#include "core/shell/CatalogueInUse.h"
#include "core/storage/CatalogueChanges.h"
#include "core/storage/CatalogueLocation.h"
#include "ui/shell/MainStatusBar.h"

namespace tovin {

ConnectionStatus::ConnectionStatus(MainStatusBar* bar, const CatalogueInUse& catalogue,
                                   QObject* parent)
    : QObject(parent), m_bar(bar), m_catalogue(catalogue) {
    CatalogueChanges& changes = CatalogueChanges::instance();
    connect(&changes, &CatalogueChanges::connectionLost, this,
            [this](const QString& catalogue, const QString& reason) {
                if (isOpenCatalogue(catalogue))
                    m_bar->showConnectionLost(reason);
            });
    // A file read again after another program's write had no connection to lose.
    connect(&changes, &CatalogueChanges::connectionBack, this, [this](const QString& catalogue) {
        if (isOpenCatalogue(catalogue) &&
            (m_bar->connectionLost() || CatalogueLocation::isServer(m_catalogue.path)))
            m_bar->showConnectionBack();
    });
}

// As the catalogue's connection names it (CatalogueDatabase): a server by its address without
// the password, a file by its path made canonical.
QString ConnectionStatus::identity(const QString& location) {
    return CatalogueLocation::isServer(location) ? CatalogueLocation::withoutPassword(location)
                                                 : CatalogueChanges::identity(location);
}

bool ConnectionStatus::isOpenCatalogue(const QString& catalogue) const {
    const QString open = m_catalogue.path;
    return !open.isEmpty() && identity(open) == catalogue;
}

void ConnectionStatus::catalogueOpened() {
    m_bar->forgetConnection();
    m_poller.follow(m_catalogue.path);
}

} // namespace tovin
