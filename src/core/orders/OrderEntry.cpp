#include "core/orders/OrderEntry.h"

#include "core/orders/OrderMath.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

bool OrderEntry::finish() {
    const bool saved = state() == State::LineSaved;
    set(State::Idle);
    return saved;
}

bool OrderEntry::saveLine(double numberOrdered) {
    if (state() != State::AwaitingDecision)
        return false;
    set(State::LineSaved);
    m_session.ItemPrice = numberOrdered;
    return true;
}

bool OrderEntry::cancelLine() {
    if (state() != State::AwaitingDecision)
        return false;
    set(State::Idle);
    return true;
}

void OrderEntry::screenClosed() {
    // OrderDone shares LineOpened's code: the totals of a finished order go too, as they always
    // have, though "Order Done" hands them to the invoice screen at once.
    if (state() == State::AwaitingDecision || state() == State::LineOpened)
        set(State::Idle);
}

bool OrderEntry::takeOrderDone() {
    if (state() != State::OrderDone)
        return false;
    set(State::Idle);
    return true;
}

double OrderEntry::savedQuantity() const {
    return TextRules::Val(TextRules::toText(m_session.ItemPrice));
}

OrderEntry::Quantity OrderEntry::readQuantity(const QString& typed) {
    if (typed.trimmed().isEmpty())
        return {};
    const auto number = OrderMath::numberIn(typed);
    const double whole = number ? TextRules::roundHalfEven(*number) : 0;
    if (!number || whole < 1 || whole > TextRules::IntegerMax)
        return {Quantity::Outcome::Refused};
    return {Quantity::Outcome::Order, int(whole)};
}

QString OrderEntry::quantityRefused() {
    return u"Please Enter How Many Items To Order As A Whole Number From 1 To %1."_s.arg(
        TextRules::IntegerMax);
}

} // namespace tovin
