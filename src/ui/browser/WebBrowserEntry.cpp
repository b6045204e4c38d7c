#include "ui/browser/WebBrowserEntry.h"

#include "core/base/EventWait.h"
#include "core/shell/ErrorReporting.h"
#include "ui/browser/FrmBrowser.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ChildWindows.h"

#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void addWebBrowserEntry(QMenu* view, const PromptsInUse& prompts) {
    if (!ChildWindows::isRegistered(u"frmBrowser"_s))
        return;
    view->addSeparator()->setObjectName(u"mnuViewBar0"_s);
    QAction* action = view->addAction(u"&Web Browser"_s);
    action->setObjectName(u"mnuViewWebBrowser"_s);
    QObject::connect(action, &QAction::triggered, view, [&prompts] {
        StepGuard step(formLabel(u"frmMain"_s, u"mnuViewWebBrowser_Click"_s), prompts);
        BusyCursor busy;
        letEventsRun();
        step([] { FrmBrowser::open(); });
    });
}

} // namespace tovin
