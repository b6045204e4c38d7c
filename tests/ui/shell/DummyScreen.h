#pragma once

#include "ui/shell/ChildWindows.h"

#include <QCloseEvent>
#include <QHash>
#include <QWidget>

namespace tovin::test {

// A stand-in child screen: counts how often it was made and closed, and can refuse to close
// (as a screen with unsaved work does).
class DummyScreen : public QWidget {
public:
    static inline QHash<QString, int> made;
    static inline QHash<QString, int> closed;
    static inline bool refuseClose = false;

    explicit DummyScreen(const QString& name) : m_name(name) {
        setObjectName(name);
        setWindowTitle(name);
        resize(240, 160);
        ++made[name];
    }

    static void registerAs(const QString& name) {
        ChildWindows::registerScreen(name, [name] { return new DummyScreen(name); });
    }
    static void reset() { made.clear(), closed.clear(), refuseClose = false; }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->setAccepted(!refuseClose);
        if (!refuseClose)
            ++closed[m_name];
    }

private:
    QString m_name;
};

} // namespace tovin::test
