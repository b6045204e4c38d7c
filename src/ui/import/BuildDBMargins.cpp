// The import screen's margins: the tick that moves selling prices with their costs, the
// summary of what an import did to the margins, and the way from it to the products that now
// sell under the shop's minimum margin.
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/margins/BelowMarginList.h"
#include "core/margins/Margin.h"
#include "core/margins/MarginSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/ErrorReporting.h"
#include "ui/import/BuildDB.h"
#include "ui/products/Products.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ControlMaking.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The tick is kept beside the shop's other margin settings.
const QString KeepMarginsKey = u"KeepMargins"_s;

// The products by their keys, in the condition language of the Products screen's search.
QString keyCondition(const BelowMarginList& list) {
    QStringList keys;
    keys.reserve(list.rows.size());
    for (const BelowMarginRow& row : list.rows)
        keys << u"[PID] = "_s + QString::number(row.rowId);
    return keys.join(u" or "_s);
}

} // namespace

void BuildDB::buildMarginControls() {
    chkKeepMargins = new QCheckBox(u"Keep My Margins"_s, this);
    chkKeepMargins->setObjectName(u"chkKeepMargins"_s);
    chkKeepMargins->setToolTip(u"When A Supplier's Cost Changes, Move The Sales Price With It So "
                               u"The Margin Stays"_s);
    // A stored word that is no yes/no leaves the tick off.
    try {
        chkKeepMargins->setChecked(
            SettingsStore::program().flag(MarginSettings::Section, KeepMarginsKey, false));
    } catch (const RunTimeError&) {
        chkKeepMargins->setChecked(false);
    }
    chkKeepMargins->hide();

    FrameMargins = new QGroupBox(u"Margins"_s, this);
    FrameMargins->setObjectName(u"FrameMargins"_s);
    txtMargins = new QPlainTextEdit(FrameMargins);
    txtMargins->setObjectName(u"txtMargins"_s);
    txtMargins->setReadOnly(true);
    txtMargins->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtMargins->setMinimumHeight(110);
    // Every product under the minimum, not only the ones this import touched: a price list
    // that leaves a margin thin is the moment to mend all the thin ones.
    cmdMarginProducts =
        makeButton(FrameMargins, u"cmdMarginProducts"_s, u"Show Products Under The Minimum"_s,
                   u"Show Every Product Under The Minimum Margin On The Products Screen"_s);
    connect(cmdMarginProducts, &QPushButton::clicked, this, [this] { showProductsUnderMargin(); });
    auto* layout = new QVBoxLayout(FrameMargins);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(txtMargins);
    layout->addWidget(cmdMarginProducts, 0, Qt::AlignRight);
    FrameMargins->hide();
}

bool BuildDB::keepMarginsTicked() {
    const bool keep = chkKeepMargins->isChecked();
    SettingsStore& settings = SettingsStore::program();
    settings.setFlag(MarginSettings::Section, KeepMarginsKey, keep);
    settings.sync();
    return keep;
}

void BuildDB::showMargins(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    txtMargins->setPlainText(lines.join(u'\n'));
    FrameMargins->show();
    // The working page's height, or what the summary needs.
    setWindowHeight(2970);
}

void BuildDB::showProductsUnderMargin() {
    if (!m_db)
        return;
    std::optional<BelowMarginList> list;
    {
        BusyCursor busy;
        try {
            list = BelowMarginList::find(*m_db, MarginSettings::fromProgram().minimumPercent);
        } catch (const RunTimeError& error) {
            // A minimum that cannot be read is never guessed at.
            m_prompts.notice(error.description(), MessageIcon::Critical);
            return;
        }
    }
    if (list->rows.isEmpty()) {
        m_prompts.notice(u"No product sells under the minimum margin of %1."_s.arg(
                             Margin::percentText(list->belowPercent)),
                         MessageIcon::Information);
        return;
    }
    auto* products = qobject_cast<Products*>(ChildWindows::show(u"Products"_s));
    if (!products || !products->showSelection(keyCondition(*list))) {
        m_prompts.notice(
            u"The Products screen is adding or editing a product. Save or cancel it there "
            u"first, then try again."_s,
            MessageIcon::Exclamation);
        return;
    }
    // The import is over: the screen goes, and the Products screen shows the products.
    Command2_Click();
}

} // namespace tovin
