#pragma once

#include "core/catalogue/FileChangePoller.h"

#include <QObject>
#include <QString>
#include <functional>

namespace tovin {

class MainStatusBar;

// Tells in the main window's status bar when the connection to the open catalogue's server is
// lost and when it is back. The screens read their rows again by themselves once it is back.
// On a catalogue file it watches for other programs' commits, which the screens then read
// again in the same way (FileChangePoller).
class ConnectionStatus : public QObject {
    Q_OBJECT
public:
    // `openCatalogue` gives the catalogue the window has open at the moment it is asked.
    ConnectionStatus(MainStatusBar* bar, std::function<QString()> openCatalogue,
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
    std::function<QString()> m_openCatalogue;
    FileChangePoller m_poller;
};

} // namespace tovin
