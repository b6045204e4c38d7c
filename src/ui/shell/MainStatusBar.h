#pragma once

#include <QStatusBar>
#include <QTimer>

class QLabel;

namespace tovin {

// The main window's status bar, sbStatusBar: the program's name, "Status", today's date and
// the time of day, left to right. The date and time panels follow the clock.
//
// The result of work the window did (a saved copy, a backup, a conversion) passes by as a
// message over the first two panels for a few seconds; the panels keep their texts and show
// again after it.
//
// While the connection to the catalogue's server is lost the "Status" panel says so, in red:
// the screens then show what they read before the loss. That it is back stays until the next
// result is told, so a user back at the desk sees that it happened.
class MainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit MainStatusBar(QWidget* parent = nullptr);

    // Panel 1 to 4; nullptr for any other number.
    QLabel* panel(int number) const;

    // How long a result stays on the bar.
    static constexpr int PassingMs = 6000;
    // Tells the result of the work just done as a passing message.
    void showPassing(const QString& text);

    // The connection to the catalogue server was lost, for this reason (shown as the panel's
    // tip), or is back.
    void showConnectionLost(const QString& reason);
    void showConnectionBack();
    // Another catalogue is open: what was told of the last one's server no longer holds.
    void forgetConnection();
    bool connectionLost() const { return m_lost; }

    static const QString LostText;
    static const QString BackText;
    // The "Status" panel's own text.
    static const QString StatusText;

    // Brings the date and time panels up to the clock.
    void refreshClock();

private:
    void showPanel();

    QLabel* m_panels[4] = {};
    QTimer m_clock;
    QString m_note; // the "Status" panel's text while the connection is not lost
    bool m_lost = false;
};

} // namespace tovin
