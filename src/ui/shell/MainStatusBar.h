#pragma once

#include <QStatusBar>
#include <QTimer>

class QLabel;

namespace tovin {

// The main window's status bar, sbStatusBar: the program's name, "Status", today's date and
// the time of day, left to right. The date and time panels follow the clock.
class MainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit MainStatusBar(QWidget* parent = nullptr);

    // Panel 1 to 4; nullptr for any other number.
    QLabel* panel(int number) const;

    // Puts a line about the work just done (a saved copy) into the "Status" panel.
    void showStatus(const QString& text);

    // Brings the date and time panels up to the clock.
    void refreshClock();

private:
    QLabel* m_panels[4] = {};
    QTimer m_clock;
};

} // namespace tovin
