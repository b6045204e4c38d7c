#include "ui/data/OrderSearchScreen.h"

#include "core/orders/OrderSearch.h"
#include "core/shell/ErrorReporting.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void OrderSearchScreen::buildOrderSearch() {
    txtSrch = new QLineEdit(this);
    txtSrch->setObjectName(u"txtSrch"_s);
    txtSrch->setPlaceholderText(u"Order number"_s);
    cmdSearch = new QPushButton(u"Search"_s, this);
    cmdSearch->setObjectName(u"cmdSearch"_s);
    cmdSearch->setAutoDefault(false);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(txtSrch, 1);
    searchRow->addWidget(cmdSearch);
    screenLayout()->insertLayout(0, searchRow);

    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(txtSrch, &QLineEdit::returnPressed, this, [this] {
        StepGuard step(procedureLabel(u"txtSrch_KeyPress"_s), ErrorStyle::IgnoreAndResume);
        step([this] { cmdSearch_Click(); });
    });
}

void OrderSearchScreen::cmdSearch_Click() {
    StepGuard step(procedureLabel(u"cmdsrch_click"_s), promptsInUse());
    step([this] {
        if (!findOrderNumber(*adoPrimaryRS, txtSrch->text()))
            showStatus(u"No Matches Found"_s);
    });
}

} // namespace tovin
