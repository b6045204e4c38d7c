#include "ui/shell/MainStatusBar.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

MainStatusBar::MainStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(u"sbStatusBar"_s);
    const QString texts[2] = {u"Tovin's Catalog 2003 Demo"_s, u"Status"_s};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(u"Panels(%1)"_s.arg(i + 1));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        if (i < 2)
            label->setText(texts[i]);
        // The "Status" panel takes the spare width; the others keep their own size.
        addPermanentWidget(label, i == 1 ? 1 : 0);
        m_panels[i] = label;
    }
    refreshClock();
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &MainStatusBar::refreshClock);
    m_clock.start();
}

QLabel* MainStatusBar::panel(int number) const {
    return number >= 1 && number <= 4 ? m_panels[number - 1] : nullptr;
}

void MainStatusBar::showStatus(const QString& text) {
    m_panels[1]->setText(text);
}

void MainStatusBar::refreshClock() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    m_panels[2]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_panels[3]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

} // namespace tovin
