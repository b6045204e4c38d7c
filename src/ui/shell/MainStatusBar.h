#pragma once

#include <QStatusBar>
#include <QTimer>

class QLabel;

namespace tovin {

// The main window's status bar, sbStatusBar: the program's name, "Status", today's date and
// the time of day, left to right. The date and time panels follow the clock.
//
// While the connection to the catalogue's server is lost the "Status" panel says so first,
// in red, whatever else is told meanwhile: the screens then show what they read before the
// loss. That it is back stays until the next line is told, so a user back at the desk sees
// that it happened.
class MainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit MainStatusBar(QWidget* parent = nullptr);

    // Panel 1 to 4; nullptr for any other number.
    QLabel* panel(int number) const;

    // Puts a line about the work just done (a saved copy) into the "Status" panel.
    void showStatus(const QString& text);

    // The connection to the catalogue server was lost, for this reason (shown as the panel's
    // tip), or is back.
    void showConnectionLost(const QString& reason);
    void showConnectionBack();
    // Another catalogue is open: what was told of the last one's server no longer holds.
    void forgetConnection();
    bool connectionLost() const { return m_lost; }

    static const QString LostText;
    static const QString BackText;

    // Brings the date and time panels up to the clock.
    void refreshClock();

private:
    void showPanel();

    QLabel* m_panels[4] = {};
    QTimer m_clock;
    QString m_work; // the last line about work done
    bool m_lost = false;
};

} // namespace tovin
