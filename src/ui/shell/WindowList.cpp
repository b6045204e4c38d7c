#include "ui/shell/WindowList.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace tovin::WindowList {

namespace {
// The list's entries are told apart from the menu's own by this name prefix.
const QString ListName = u"mnuWindowList"_s;

QString caption(int number, const QString& title) {
    // Access keys for the first nine, as there is one digit to press.
    const QString shown = QString(title).replace(u"&"_s, u"&&"_s);
    return number <= 9 ? u"&%1 %2"_s.arg(number).arg(shown) : u"%1 %2"_s.arg(number).arg(shown);
}
} // namespace

void fill(QMenu* menu, QMdiArea* area) {
    if (!menu)
        return;
    for (QAction* action : menu->actions())
        if (action->objectName().startsWith(ListName)) {
            menu->removeAction(action);
            delete action;
        }
    if (!area)
        return;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (!sub->isHidden())
            windows << sub;
    if (windows.isEmpty())
        return;
    menu->addSeparator()->setObjectName(ListName + u"Bar"_s);
    QMdiSubWindow* active = area->currentSubWindow();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* sub = windows.at(i);
        QAction* action = menu->addAction(caption(i + 1, sub->windowTitle()));
        action->setObjectName(ListName + u"(%1)"_s.arg(i + 1));
        action->setCheckable(true);
        action->setChecked(sub == active);
        QPointer<QMdiSubWindow> target(sub);
        QPointer<QMdiArea> owner(area);
        QObject::connect(action, &QAction::triggered, menu, [target, owner] {
            if (!target || !owner)
                return;
            if (target->isMinimized())
                target->showNormal();
            owner->setActiveSubWindow(target);
        });
    }
}

} // namespace tovin::WindowList
