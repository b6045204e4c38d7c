#pragma once

#include <QPlainTextEdit>
#include <functional>

namespace tovin {

class BoundTextBox;

// A multi-line view over a bound text box, for long texts kept line by line (a product's notes,
// where the import and the orders append dated lines): every line shown, a scroll bar when they
// do not fit, and typing that keeps its line breaks.
//
// The bound box stays the control the screen binds, hides and reads; it shrinks to nothing
// inside this view's holder, and the view follows its text, its read-only state and whether it
// is shown. What the user types goes to the box through `typed`, with the lines ended by a
// carriage return and line feed as the catalogue keeps them.
class MemoView : public QPlainTextEdit {
    Q_OBJECT
public:
    using Typed = std::function<void(const QString& text)>;

    // Makes the view and the holder it sits in with the box; place holder() where the box went.
    MemoView(BoundTextBox* box, Typed typed, QWidget* parent);

    QWidget* holder() const { return m_holder; }

    // Lines as the view shows them ("\n") and as the catalogue keeps them ("\r\n").
    static QString shownText(const QString& stored);
    static QString storedText(const QString& shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followBox();

    BoundTextBox* m_box;
    Typed m_typed;
    QWidget* m_holder;
    bool m_following = false;
};

} // namespace tovin
