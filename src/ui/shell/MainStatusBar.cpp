#include "ui/shell/MainStatusBar.h"

#include "core/storage/CatalogueLocation.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

const QString MainStatusBar::LostText =
    u"Connection to the catalogue server lost; changes by other computers are not shown until "
    u"it is back."_s;
const QString MainStatusBar::BackText = u"Connection to the catalogue server is back."_s;
const QString MainStatusBar::StatusText = u"Status"_s;

namespace {

// The server's words may name the address it was reached at: only the database and host are
// shown, never the user or a password.
QString withoutAddresses(QString reason) {
    static const QRegularExpression address(u"postgres(ql)?://[^\\s)\"']+"_s);
    QRegularExpressionMatch match;
    qsizetype from = 0;
    while ((match = address.match(reason, from)).hasMatch()) {
        const QString shown = CatalogueLocation::shortName(match.captured());
        reason.replace(match.capturedStart(), match.capturedLength(), shown);
        from = match.capturedStart() + shown.size();
    }
    return reason;
}

} // namespace

MainStatusBar::MainStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(u"sbStatusBar"_s);
    const QString texts[2] = {u"Tovin's Catalog 2003 Demo"_s, StatusText};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(u"Panels(%1)"_s.arg(i + 1));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        if (i < 2)
            label->setText(texts[i]);
        // The "Status" panel takes the spare width; the others keep their own size. A passing
        // message stands in for the first two while it lasts; the clock stays.
        if (i < 2)
            addWidget(label, i == 1 ? 1 : 0);
        else
            addPermanentWidget(label);
        m_panels[i] = label;
    }
    m_note = texts[1];
    refreshClock();
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &MainStatusBar::refreshClock);
    m_clock.start();
}

QLabel* MainStatusBar::panel(int number) const {
    return number >= 1 && number <= 4 ? m_panels[number - 1] : nullptr;
}

void MainStatusBar::showPassing(const QString& text) {
    // That the connection came back has been seen by now.
    m_note = StatusText;
    showPanel();
    showMessage(text, PassingMs);
}

void MainStatusBar::showConnectionLost(const QString& reason) {
    m_lost = true;
    m_note = StatusText;
    m_panels[1]->setToolTip(withoutAddresses(reason));
    // The loss matters more than a result still passing by.
    clearMessage();
    showPanel();
}

void MainStatusBar::showConnectionBack() {
    m_lost = false;
    m_panels[1]->setToolTip(QString());
    m_note = BackText;
    showPanel();
}

void MainStatusBar::forgetConnection() {
    m_lost = false;
    m_note = StatusText;
    m_panels[1]->setToolTip(QString());
    showPanel();
}

void MainStatusBar::showPanel() {
    QLabel* label = m_panels[1];
    label->setText(m_lost ? LostText : m_note);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, m_lost ? QColor(0xC0, 0x00, 0x00)
                                                  : this->palette().color(QPalette::WindowText));
    label->setPalette(palette);
}

void MainStatusBar::refreshClock() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    m_panels[2]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_panels[3]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

} // namespace tovin
