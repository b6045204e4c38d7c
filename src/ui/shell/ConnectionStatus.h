#pragma once

#include <QObject>
#include <QString>

namespace tovin {

class MainStatusBar;

// Tells in the main window's status bar when the connection to the open catalogue's server is
// lost and when it is back. The screens read their rows again by themselves once it is back.
class ConnectionStatus : public QObject {
    Q_OBJECT
public:
    ConnectionStatus(MainStatusBar* bar, QObject* parent = nullptr);

    // The name a catalogue's changes and connection are told under, for a file path or a
    // server address.
    static QString identity(const QString& location);

    // Another catalogue was made the open one.
    void catalogueOpened();

private:
    bool isOpenCatalogue(const QString& catalogue) const;

    MainStatusBar* m_bar;
};

} // namespace tovin
