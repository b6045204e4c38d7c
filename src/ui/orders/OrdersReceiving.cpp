// Receiving on the orders screen: "Receive" takes every line of the order into stock with one
// date; after answering No it becomes "R-Update", which receives the current line with the date
// typed into its Date Received box.
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/OrderSearch.h"
#include "core/orders/Receiving.h"
#include "core/shell/ErrorReporting.h"
#include "core/text/DateText.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/FrmOrders.h"
#include "ui/data/RecordBinding.h"

#include <QPointer>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

constexpr int OrderIdBox = 0;
constexpr int DateReceivedBox = 4;
const QString ItemByItem = u"R-Update"_s;
const QString Receive = u"Receive"_s;

QString unreadableDate(const QString& typed) {
    return u"\""_s + typed + u"\" Is Not A Date. Please Enter The Date Received As MM/DD/YYYY."_s;
}

} // namespace

void FrmOrders::Command2_Click() {
    if (Command2->text() == ItemByItem)
        receiveCurrentLine();
    else
        receiveAll();
}

// A line being added or edited is written (or dropped) by the user first: receiving re-reads
// the lines, and must not take typing with it.
// Item by item, a line being edited is fine: its typing is written with the receipt.
bool FrmOrders::readyToReceive() {
    const bool itemByItem = Command2->text() == ItemByItem;
    if (m_addingFlag || (m_editingFlag && !itemByItem)) {
        promptsInUse().required().notice(u"Please Click Update Or Cancel Before Receiving."_s,
                                         MessageIcon::Exclamation, windowTitle());
        return false;
    }
    return adoPrimaryRS->hasCurrentRow();
}

void FrmOrders::receiveAll() {
    StepGuard step(procedureLabel(u"command2_click"_s), promptsInUse());
    bool ready = false;
    step([&] { ready = readyToReceive(); });
    if (!ready)
        return;
    const QString orderId = txtFields(OrderIdBox)->text();
    MessageAnswer answer = MessageAnswer::No;
    step([&] {
        answer = promptsInUse().required().message(
            u"Receive ALL Items For This Invoice: "_s + orderId + u" ?"_s, MessageButtons::YesNo,
            MessageIcon::Question, u"Receive Order"_s);
    });
    if (answer != MessageAnswer::Yes) {
        step([this] {
            promptsInUse().required().notice(
                u"Enter The Date Received And Other Information For Each Item\n"
                u"Then Click 'R-Update' Button"_s);
        });
        Command2->setText(ItemByItem);
        return;
    }
    // The date is asked again until it reads as a date; an empty answer stops.
    QDate received;
    for (;;) {
        QString typed;
        step([&] {
            typed = promptsInUse().required().input(
                u"Enter Date Received Below."_s, u"Date Received"_s,
                TextRules::formatDate(QDate::currentDate(), u"MM/DD/YYYY"_s));
        });
        if (typed.trimmed().isEmpty())
            return;
        received = TextRules::parseDate(typed.trimmed());
        if (received.isValid())
            break;
        step([&] {
            promptsInUse().required().notice(unreadableDate(typed), MessageIcon::Exclamation);
        });
    }
    // What the user typed into the current row is written first.
    if (!writeStep(step, [this] { adoPrimaryRS->update(); }))
        return;
    step([this] { beginHourglass(); });
    Receiving::OrderResult result;
    step([&] { result = Receiving::receiveOrder(connection(), orderId, received); });
    // The user may close the screen while the events run; the order is received either way
    // and is still told.
    const QPointer<FrmOrders> screen(this);
    step([] { letEventsRun(); });
    if (screen) {
        // The lines are read again, showing only this order's.
        step([this] { adoPrimaryRS->requery(); });
        step([&] { adoPrimaryRS->setFilter(orderCondition(orderId)); });
        step([this] { endHourglass(); });
    }
    step([&] {
        promptsInUse().required().notice(Receiving::summary(orderId, result),
                                         result.failures.isEmpty() ? MessageIcon::Information
                                                                   : MessageIcon::Exclamation,
                                         u"Receive Order"_s);
    });
}

void FrmOrders::receiveCurrentLine() {
    StepGuard step(procedureLabel(u"command2_click"_s), promptsInUse());
    bool ready = false;
    step([&] { ready = readyToReceive(); });
    if (!ready)
        return;
    const QString typed = txtFields(DateReceivedBox)->text().trimmed();
    const QDate received = TextRules::parseDate(typed);
    if (!received.isValid()) {
        // Nothing is received; the user types the date and presses "R-Update" again.
        step([&] {
            promptsInUse().required().notice(typed.isEmpty()
                                                 ? u"Enter The Date Received Of This Item First."_s
                                                 : unreadableDate(typed),
                                             MessageIcon::Exclamation);
        });
        return;
    }
    Receiving::LineResult result;
    step(
        [&] { result = Receiving::receiveLine(connection(), adoPrimaryRS->bookmark(), received); });
    if (result.outcome == Receiving::LineResult::Outcome::Received) {
        // The user's other changes to the line; the boxes then show the line as the catalogue
        // holds it, since the write announces itself.
        if (!writeStep(step, [this] { adoPrimaryRS->update(); }))
            return;
        step([this] { showNetCosts(); });
        if (m_editingFlag) {
            m_editingFlag = false;
            step([this] { SetButtons(true); });
        }
    }
    const QString said = Receiving::summary(result);
    if (!said.isEmpty())
        step([&] {
            promptsInUse().required().notice(
                said,
                result.outcome == Receiving::LineResult::Outcome::Failed ? MessageIcon::Exclamation
                                                                         : MessageIcon::Information,
                windowTitle());
        });
    MessageAnswer more = MessageAnswer::No;
    step([&] {
        more = promptsInUse().required().message(u"Manually Receive More Items?"_s,
                                                 MessageButtons::YesNo, MessageIcon::Question,
                                                 QString());
    });
    if (more == MessageAnswer::Yes)
        return;
    Command2->setText(Receive);
    writeStep(step, [this] { adoPrimaryRS->moveFirst(); });
}

} // namespace tovin
