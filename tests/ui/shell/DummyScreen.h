#pragma once

#include "support/core/TestProgramFolder.h"
#include "ui/shell/ChildWindows.h"

#include <QCloseEvent>
#include <QHash>
#include <QWidget>

namespace tovin::test {

// A stand-in child screen: counts how often it was made (and on which catalogue) and closed,
// and can refuse to close (as a screen with unsaved work does).
class DummyScreen : public QWidget {
public:
    static inline QHash<QString, int> made;
    static inline QHash<QString, int> closed;
    // The catalogue each screen was last made on.
    static inline QHash<QString, QString> madeOn;
    static inline bool refuseClose = false;

    explicit DummyScreen(const QString& name) : m_name(name) {
        setObjectName(name);
        setWindowTitle(name);
        resize(240, 160);
        ++made[name];
        madeOn[name] = TestProgramFolder::current().catalogue().path;
    }

    static void registerAs(const QString& name) {
        ChildWindows::registerScreen(name, [name] { return new DummyScreen(name); });
    }
    static void reset() { made.clear(), closed.clear(), madeOn.clear(), refuseClose = false; }

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
