#include "ui/shell/ChildWindows.h"

#include <QEvent>
#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

namespace tovin::ChildWindows {

namespace {

struct Registry {
    QHash<QString, Factory> factories;
    QHash<QString, QPointer<QWidget>> open;
    QPointer<QMdiArea> area;
};

Registry& registry() {
    static Registry r;
    return r;
}

// Whether the screen is still the open one of its name. A screen that closed itself (Update on
// the orders screen, say) is only deleted once control is back in the event loop; Qt takes its
// delete-on-close mark off when it closes, and from then on loading its name makes a new screen,
// rather than handing work to one that is about to go.
bool stillOpen(const QWidget* screen) {
    return screen && screen->testAttribute(Qt::WA_DeleteOnClose);
}

// The window that frames a screen: its sub-window in the document area, or itself.
QWidget* frameOf(QWidget* screen) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(screen->parentWidget()))
        return sub;
    return screen;
}

} // namespace

void registerScreen(const QString& name, Factory factory) {
    registry().factories.insert(name, std::move(factory));
}

bool isRegistered(const QString& name) {
    return registry().factories.contains(name);
}

void setArea(QMdiArea* area) {
    registry().area = area;
}

QMdiArea* area() {
    return registry().area;
}

QWidget* find(const QString& name) {
    QWidget* screen = registry().open.value(name);
    return stillOpen(screen) ? screen : nullptr;
}

QWidget* load(const QString& name) {
    if (QWidget* existing = find(name))
        return existing;
    const Factory factory = registry().factories.value(name);
    if (!factory)
        return nullptr;
    QWidget* screen = factory();
    if (!screen)
        return nullptr;
    screen->setAttribute(Qt::WA_DeleteOnClose);
    registry().open.insert(name, screen);
    QObject::connect(screen, &QObject::destroyed, [name, screen] {
        if (registry().open.value(name) == nullptr || registry().open.value(name) == screen)
            registry().open.remove(name);
    });
    if (QMdiArea* area = registry().area) {
        QMdiSubWindow* sub = area->addSubWindow(screen);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // A screen that closes itself takes its frame with it.
        QObject::connect(screen, &QObject::destroyed, sub, &QObject::deleteLater);
        sub->setWindowIcon(screen->windowIcon());
        sub->hide();
    }
    return screen;
}

QWidget* show(const QString& name) {
    QWidget* screen = load(name);
    if (!screen)
        return nullptr;
    QWidget* frame = frameOf(screen);
    frame->show();
    screen->show();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) {
        if (QMdiArea* area = registry().area)
            area->setActiveSubWindow(sub);
    } else {
        frame->raise();
        frame->activateWindow();
    }
    return screen;
}

void unload(const QString& name) {
    QPointer<QWidget> screen = find(name);
    if (!screen)
        return;
    // The screen decides whether it closes (a screen may refuse, as the Products screen does
    // while an order is open). Closing its sub-window closes the screen first, once, and stays
    // open when the screen refuses.
    if (!frameOf(screen)->close())
        return;
    registry().open.remove(name);
}

bool unloadAll() {
    const QStringList names = openScreens();
    for (const QString& name : names)
        unload(name);
    return openScreens().isEmpty();
}

QStringList openScreens() {
    QStringList names;
    for (auto it = registry().open.cbegin(); it != registry().open.cend(); ++it)
        if (stillOpen(it.value()))
            names << it.key();
    return names;
}

QString nameOf(const QWidget* screen) {
    if (!screen)
        return QString();
    for (auto it = registry().open.cbegin(); it != registry().open.cend(); ++it)
        if (it.value() == screen && stillOpen(screen))
            return it.key();
    return QString();
}

} // namespace tovin::ChildWindows
