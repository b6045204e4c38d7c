#include "ui/products/MemoView.h"

#include "ui/data/BoundTextBox.h"

#include <QEvent>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

MemoView::MemoView(BoundTextBox* box, Typed typed, QWidget* parent)
    : QPlainTextEdit(parent), m_box(box), m_typed(std::move(typed)) {
    setObjectName(box->objectName() + u"View"_s);
    setToolTip(box->toolTip());
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    const int line = fontMetrics().lineSpacing();
    setMinimumHeight(3 * line + 12);

    m_holder = new QWidget(parent);
    m_holder->setObjectName(box->objectName() + u"Holder"_s);
    auto* layout = new QVBoxLayout(m_holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(this);
    layout->addWidget(box);
    // The box holds the text for the screen; the user sees and types in the view.
    box->setFixedSize(0, 0);
    box->setFocusPolicy(Qt::NoFocus);
    box->installEventFilter(this);

    connect(box, &QLineEdit::textChanged, this, [this] { followBox(); });
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_following || isReadOnly() || !m_typed)
            return;
        m_typed(storedText(toPlainText()));
    });
    m_holder->setVisible(!box->isHidden());
    followBox();
}

QString MemoView::shownText(const QString& stored) {
    QString text = stored;
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

QString MemoView::storedText(const QString& shown) {
    QString text = shown;
    text.replace(u"\n"_s, u"\r\n"_s);
    return text;
}

void MemoView::followBox() {
    setReadOnly(m_box->isReadOnly());
    const QString text = shownText(m_box->text());
    // Text the user just typed comes back the same: the cursor stays where it is.
    if (text == toPlainText())
        return;
    m_following = true;
    setPlainText(text);
    m_following = false;
}

bool MemoView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_box) {
        switch (event->type()) {
        case QEvent::ReadOnlyChange:
            setReadOnly(m_box->isReadOnly());
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            m_holder->setVisible(!m_box->isHidden());
            break;
        default:
            break;
        }
    }
    return QPlainTextEdit::eventFilter(watched, event);
}

} // namespace tovin
