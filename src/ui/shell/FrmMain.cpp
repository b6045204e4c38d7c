#include "ui/shell/FrmMain.h"

#include "core/shell/ErrorReporting.h"
#include "core/shell/SettingsStore.h"
#include "core/shell/SharedState.h"
#include "ui/shell/ControlTexts.h"

#include <QMdiArea>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent), m_mdi(new QMdiArea(this)) {
    setObjectName(u"frmMain"_s);
    m_mdi->setObjectName(u"mdiArea"_s);
    setCentralWidget(m_mdi);
    resize(800, 600);
}

void FrmMain::MDIForm_Load() {
    StepGuard step(formLabel(u"frmMain"_s, u"MDIForm_Load"_s));
    step([] { shared().FirstActivation = true; });
    step([this] { ApplyControlTexts(this); });
    step([] {
        const QString fallback = shared().AppFolder + u"tovin2003-a.mde"_s;
        const QString stored = SettingsStore::program().value(u"Settings"_s, u"DBName"_s, fallback);
        shared().DBPath = stored.isEmpty() ? fallback : stored;
    });
    step([this] { setWindowTitle(shared().DBPath); });
}

} // namespace tovin
