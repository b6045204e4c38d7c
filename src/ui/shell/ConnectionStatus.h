#pragma once

#include "core/catalogue/FileChangePoller.h"

#include <QObject>
#include <QString>

namespace tovin {

class MainStatusBar;
struct CatalogueInUse;

// Tells in the main window's status bar when the connection to the open catalogue's server is
// lost and when it is back. The screens read their rows again by themselves once it is back.
// On a catalogue file it watches for other programs' commits, which the screens then read
// again in the same way (FileChangePoller).
class ConnectionStatus : public QObject {
    Q_OBJECT
public:
    // `catalogue` is the one the window has open, read each time it is needed; it must outlive
    // this.
    ConnectionStatus(MainStatusBar* bar, const CatalogueInUse& catalogue,
                     QObject* parent = nullptr);

    // The name a catalogue's changes and connection are told under, for a file path or a
    // server address.
    static QString identity(const QString& location);

    // Another catalogue was made the open one.
    void catalogueOpened();

    // While held off (the holds are counted), the window keeps no connection of its own to the
    // catalogue file, for work that needs the file alone (a restore).
    void holdOff() { m_poller.holdOff(); }
    void resume() { m_poller.resume(); }
    const FileChangePoller& poller() const { return m_poller; }

private:
    bool isOpenCatalogue(const QString& catalogue) const;

    MainStatusBar* m_bar;
    const CatalogueInUse& m_catalogue;
    FileChangePoller m_poller;
};

} // namespace tovin
