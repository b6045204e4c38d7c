#pragma once

#include "core/orders/OrderSession.h"

#include <QString>
#include <cstdint>

namespace tovin {

// The hand-over of an order line between ordering from the catalogue (the Products screen), the
// orders screen and the invoice screen. Its state lives in OrderSession::OrderEntryState as a
// 16-bit code, since the screens meet only there; each side asks this class and never reads or
// writes the code itself. Update, Cancel and the invoice's taking of a finished order change
// nothing unless the state is the one they answer, so a late click cannot drop or save a line
// nobody waits for.
class OrderEntry {
public:
    enum class State : std::int16_t {
        Idle = 0,      // no line under way, or the last one abandoned
        LineAsked = 1, // the catalogue asks the orders screen for a new line
        // Two steps share 2: the orders screen's answer that the order number is used already,
        // and the catalogue waiting for the user's Update or Cancel of the filled line.
        NumberInUse = 2,
        AwaitingDecision = 2,
        LineSaved = 3, // Update wrote the line
        // Two steps share 7: the orders screen opened the asked-for line in edit mode, and
        // "Order Done" left the order's totals for the invoice screen.
        LineOpened = 7,
        OrderDone = 7,
    };

    explicit OrderEntry(OrderSession& session) : m_session(session) {}

    State state() const { return State(m_session.OrderEntryState); }

    // ---- The catalogue's side
    void askForLine() { set(State::LineAsked); }
    // What the orders screen answered to askForLine().
    bool numberRefused() const { return state() == State::NumberInUse; }
    bool lineOpened() const { return state() == State::LineOpened; }
    // The line's boxes are filled: the user decides on the orders screen.
    void awaitDecision() { set(State::AwaitingDecision); }
    bool decided() const { return state() != State::AwaitingDecision; }
    // Ends the hand-over; whether the line was saved. Its quantity is then savedQuantity().
    bool finish();
    void abandon() { set(State::Idle); }
    // "Order Done": the invoice screen takes the totals of the order.
    void orderDone() { set(State::OrderDone); }

    // ---- The orders screen's side
    bool lineAsked() const { return state() == State::LineAsked; }
    void refuseNumber() { set(State::NumberInUse); }
    void openLine() { set(State::LineOpened); }
    // Update or Cancel of the line the catalogue waits for; false (and nothing changes) when it
    // waits for none.
    bool saveLine(double numberOrdered);
    bool cancelLine();
    // The screen closes: a line opened or waiting is abandoned, a saved one stays saved.
    void screenClosed();

    // ---- The invoice screen's side
    // Whether "Order Done" left totals to make an invoice of; they are taken only once.
    bool takeOrderDone();

    // The quantity the line was saved with (Number Ordered may be changed before Update).
    double savedQuantity() const;

    // The answer to "Order How Many?": a whole number from 1 to the largest 16-bit number;
    // fractions are rounded, halves to the even number.
    struct Quantity {
        enum class Outcome {
            Order,     // order `count`
            Cancelled, // nothing typed: the ordering ends without a word
            Refused,   // QuantityRefused is shown and the ordering ends
        };
        Outcome outcome = Outcome::Cancelled;
        int count = 0;
    };
    static Quantity readQuantity(const QString& typed);
    static QString quantityRefused();

private:
    void set(State s) { m_session.OrderEntryState = std::int16_t(s); }
    OrderSession& m_session;
};

} // namespace tovin
