#include "support/ui/monkey/MonkeyTargets.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::monkey {

namespace {

const QString MenuPrefix = u"menu:"_s;
const QString BarPrefix = u"bar:"_s;
const QString PopupPrefix = u"popup:"_s;
const QString ModalRoot = u"modal"_s;

QString segmentName(const QObject* object) {
    // Child windows change places among their siblings as they come to the front: they are
    // named by the screen they hold.
    if (auto* sub = qobject_cast<const QMdiSubWindow*>(object); sub && sub->widget())
        return u"window:"_s + segmentName(sub->widget());
    return object->objectName().isEmpty()
               ? u'<' + QString::fromLatin1(object->metaObject()->className()) + u'>'
               : object->objectName();
}

QString segment(const QObject* object) {
    int index = 0;
    const QString name = segmentName(object);
    if (const QObject* parent = object->parent()) {
        for (const QObject* sibling : parent->children()) {
            if (sibling == object)
                break;
            if (sibling->isWidgetType() && segmentName(sibling) == name)
                ++index;
        }
    }
    return name + u'#' + QString::number(index);
}

bool insideWebView(const QWidget* widget) {
    for (const QObject* o = widget; o; o = o->parent())
        if (QByteArray(o->metaObject()->className()).contains("WebEngine"))
            return true;
    return false;
}

bool interactive(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget))
        return !qobject_cast<const QToolButton*>(widget) ||
               !qobject_cast<const QToolBar*>(widget->parentWidget()); // bar: as entries
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QTabBar*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget);
}

bool usable(const QWidget* widget) {
    return widget && widget->isVisible() && widget->isEnabled() && !insideWebView(widget);
}

void collect(QWidget* widget, QWidget* root, QList<Target>& out) {
    for (QObject* child : widget->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || !w->isVisible() || denied(w->objectName()) || insideWebView(w))
            continue;
        // Menus pop up only when opened; their entries are offered by name instead.
        if (qobject_cast<QMenu*>(w) || qobject_cast<QMenuBar*>(w))
            continue;
        if (w->isEnabled() && interactive(w))
            out << Target{pathOf(w, root), w, nullptr};
        // Spin boxes and combo boxes are acted on as a whole, not through their inner parts.
        if (!qobject_cast<QAbstractSpinBox*>(w) && !qobject_cast<QComboBox*>(w))
            collect(w, root, out);
    }
}

void sortByPath(QList<Target>& targets) {
    std::sort(targets.begin(), targets.end(),
              [](const Target& a, const Target& b) { return a.path < b.path; });
}

void collectMenu(QMenu* menu, QList<Target>& out) {
    // Menus that fill themselves as they open (the window list) are filled first.
    emit menu->aboutToShow();
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled() ||
            action->objectName().isEmpty() || denied(action->objectName()))
            continue;
        if (QMenu* sub = action->menu())
            collectMenu(sub, out);
        else
            out << Target{MenuPrefix + action->objectName(), nullptr, action};
    }
    emit menu->aboutToHide();
}

} // namespace

bool denied(const QString& objectName) {
    static const QStringList names{
        u"mnuFileExit"_s,       // ends the program
        u"IMAGE1"_s,            // the button bar's Exit
        u"mnuViewWebBrowser"_s, // the web browser screen goes to the web
        u"cmdSup(1)"_s,         // the supplier's web shop
        u"cmdSysInfo"_s,        // starts another program
    };
    return names.contains(objectName);
}

QString pathOf(const QWidget* widget, const QWidget* root) {
    QStringList parts;
    for (const QObject* o = widget; o && o != root; o = o->parent())
        parts.prepend(segment(o));
    return parts.join(u'/');
}

QList<Target> widgetTargets(QWidget* root) {
    QList<Target> out;
    collect(root, root, out);
    sortByPath(out);
    return out;
}

QList<Target> actionTargets(QWidget* mainWindow) {
    QList<Target> out;
    auto* window = qobject_cast<QMainWindow*>(mainWindow);
    if (!window)
        return out;
    for (QAction* top : window->menuBar()->actions())
        if (top->isVisible() && top->isEnabled() && top->menu())
            collectMenu(top->menu(), out);
    for (QToolBar* bar : window->findChildren<QToolBar*>()) {
        if (!bar->isVisible())
            continue;
        for (QAction* action : bar->actions())
            if (!action->isSeparator() && action->isVisible() && action->isEnabled() &&
                !denied(action->objectName()))
                out << Target{BarPrefix + action->objectName(), nullptr, action};
    }
    sortByPath(out);
    return out;
}

QList<Target> popupTargets(QWidget* popup) {
    QList<Target> out;
    if (auto* menu = qobject_cast<QMenu*>(popup))
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->isVisible() && action->isEnabled() &&
                !action->menu() && !action->objectName().isEmpty() && !denied(action->objectName()))
                out << Target{PopupPrefix + action->objectName(), nullptr, action};
    sortByPath(out);
    return out;
}

Target resolve(const QString& path, QWidget* mainWindow, QWidget* modalRoot) {
    if (path.startsWith(MenuPrefix) || path.startsWith(BarPrefix) || path.startsWith(PopupPrefix)) {
        const QList<Target> all = path.startsWith(PopupPrefix)
                                      ? popupTargets(QApplication::activePopupWidget())
                                      : actionTargets(mainWindow);
        for (const Target& t : all)
            if (t.path == path)
                return t;
        return {};
    }
    QWidget* root = mainWindow;
    QString rest = path;
    if (path.startsWith(ModalRoot + u'/')) {
        root = modalRoot;
        rest = path.mid(ModalRoot.size() + 1);
    }
    if (!root)
        return {};
    QWidget* current = root;
    for (const QString& part : rest.split(u'/', Qt::SkipEmptyParts)) {
        QWidget* next = nullptr;
        for (QObject* child : current->children()) {
            if (child->isWidgetType() && segment(child) == part) {
                next = static_cast<QWidget*>(child);
                break;
            }
        }
        if (!next)
            return {};
        current = next;
    }
    if (!usable(current) || current == root)
        return {};
    return Target{path, current, nullptr};
}

} // namespace tovin::test::monkey
