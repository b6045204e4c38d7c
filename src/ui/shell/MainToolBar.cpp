#include "ui/shell/MainToolBar.h"

#include "ui/shell/ChildWindows.h"

#include <QAction>
#include <QIcon>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

const QList<MainToolBar::Button>& MainToolBar::layout() {
    static const QList<Button> places{
        {u"Save"_s, u"Save"_s, u"Save"_s, u"Save"_s, u"Save"_s, {}},
        {u"Open"_s, u"Open"_s, u"Open"_s, u"Open"_s, u"Open"_s, {}},
        {u"IMPORT"_s, u"Import"_s, u"Import"_s, u"Import A Supplier File"_s, u"IMPORT"_s,
         u"BuildDB"_s},
        {},
        {u"BOOKS05"_s, u"Products"_s, u"Products"_s, u"Open The Products Form"_s, u"BOOKS05"_s,
         u"Products"_s},
        {u"BOOK01B"_s, u"Supplier"_s, u"Supplier"_s, u"Open The Supplier Form"_s, u"BOOK01B"_s,
         u"frmSupplier"_s},
        {u"NOTE04"_s, u"Sales"_s, u"Sales"_s, u"Open The Sales Form"_s, u"NOTE04"_s, u"frmSales"_s},
        {u"FILES07"_s, u"Orders"_s, u"Orders"_s, u"Open The Orders Form"_s, u"FILES07"_s,
         u"frmOrders"_s},
        {u"CRDFLE06"_s, u"Invoice"_s, u"Invoice"_s, u"Open The Invoice Form"_s, u"CRDFLE06"_s,
         u"frmInvoice"_s},
        {u"FILES09"_s, u"Inventory"_s, u"Inventory"_s, u"Open The Inventory Form"_s, u"FILES09"_s,
         u"frmInventory"_s},
        {u"NOTE06"_s, u"Catagory"_s, u"Catagory"_s, u"Open The Catagory Form"_s, u"NOTE06"_s,
         u"Catagory"_s},
        {u"BOOK06"_s, u"Setup"_s, u"Setup"_s, u"Open The Setup Form"_s, u"BOOK06"_s, u"frmSetup"_s},
        {},
        {u"LIGHTON"_s, u"Tips"_s, u"Tips"_s, u"Open The Tip Of The Day Box"_s, u"LIGHTON"_s, {}},
        {},
        {u"RESTORE"_s,
         u"Text"_s,
         u"Text!"_s,
         u"Restore All Text Boxes To Visable"_s,
         u"IMG19"_s,
         {}},
        {u"RESTORELABELS"_s,
         u"Labels"_s,
         u"Labels "_s,
         u"Restore Labels To Original Names"_s,
         u"IMG20"_s,
         {}},
        {},
        {u"IMAGE1"_s, u"Exit"_s, u"Exit"_s, u"Close Program"_s, u"IMG11"_s, {}},
    };
    return places;
}

MainToolBar::MainToolBar(QWidget* parent) : QToolBar(parent) {
    setObjectName(u"Toolbar1"_s);
    setWindowTitle(u"Button Bar"_s);
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(24, 24));
    bool lastWasSeparator = true;
    for (const Button& place : layout()) {
        if (place.key.isEmpty()) {
            // No separator at the start or next to another one when screen buttons are missing.
            if (!lastWasSeparator)
                addSeparator();
            lastWasSeparator = true;
            continue;
        }
        if (!place.screen.isEmpty() && !ChildWindows::isRegistered(place.screen))
            continue;
        QAction* action = addAction(QIcon(u":/icons/"_s + place.icon + u".png"_s), place.caption);
        action->setObjectName(place.key);
        action->setToolTip(place.toolTip);
        action->setProperty("Tag", place.tag);
        const QString key = place.key;
        connect(action, &QAction::triggered, this, [this, key] { emit buttonClicked(key); });
        lastWasSeparator = false;
    }
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
}

QAction* MainToolBar::button(const QString& key) const {
    for (QAction* action : actions())
        if (!action->isSeparator() && action->objectName() == key)
            return action;
    return nullptr;
}

void MainToolBar::setCaptionsShown(bool shown) {
    for (QAction* action : actions()) {
        if (action->isSeparator())
            continue;
        action->setText(shown ? action->property("Tag").toString() : QString());
    }
    setToolButtonStyle(shown ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}

} // namespace tovin
