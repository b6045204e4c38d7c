#include "ui/shell/FrmSplash.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

const QString FrmSplash::LegalNotice =
    u"This program is protected by copyright law. It is licensed, not sold, for use on one "
    u"computer at a time; copying or passing it on without permission is not allowed."_s;

namespace {

constexpr int ShadowOffset = 2;

// A text drawn twice: a grey copy with a trailing blank, set off down and right, under the
// text itself, so the text seems to float over its shadow.
QWidget* shadowedText(QWidget* parent, const QString& name, const QString& text, double scale,
                      bool bold) {
    auto* holder = new QWidget(parent);
    auto* shadow = new QLabel(text + u' ', holder);
    shadow->setObjectName(name + u"Shadow"_s);
    auto* front = new QLabel(text, holder);
    front->setObjectName(name);
    for (QLabel* label : {shadow, front}) {
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * scale);
        font.setBold(bold);
        label->setFont(font);
        label->setTextFormat(Qt::PlainText);
        label->adjustSize();
    }
    shadow->setStyleSheet(u"color: #9a9a9a;"_s);
    front->setStyleSheet(u"color: #1b2d6b;"_s);
    shadow->move(ShadowOffset, ShadowOffset);
    front->move(0, 0);
    front->raise();
    holder->setFixedSize(shadow->width() + ShadowOffset, shadow->height() + ShadowOffset);
    return holder;
}

} // namespace

FrmSplash::FrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_legal(new QLabel(this)) {
    setObjectName(u"frmSplash"_s);

    auto* frame = new QFrame(this);
    frame->setObjectName(u"Frame1"_s);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);

    auto* icon = new QLabel(frame);
    icon->setObjectName(u"imgLogo"_s);
    icon->setPixmap(QPixmap(u":/icons/app.png"_s));
    icon->setAlignment(Qt::AlignCenter);

    m_legal->setParent(frame);
    m_legal->setObjectName(u"lblWarning"_s);
    m_legal->setTextFormat(Qt::PlainText);
    m_legal->setWordWrap(true);
    m_legal->setAlignment(Qt::AlignCenter);

    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(24, 18, 24, 14);
    inner->setSpacing(6);
    inner->addWidget(icon);
    inner->addWidget(shadowedText(frame, u"lblProductName"_s, u"Tovin's Catalog 2003"_s, 2.0, true),
                     0, Qt::AlignHCenter);
    inner->addWidget(shadowedText(frame, u"lblVersion"_s, u"Version 4.0"_s, 1.3, true), 0,
                     Qt::AlignHCenter);
    inner->addWidget(shadowedText(frame, u"lblPlatform"_s, u"Windows (ALL)"_s, 1.1, false), 0,
                     Qt::AlignHCenter);
    inner->addSpacing(10);
    inner->addWidget(m_legal);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    setFixedWidth(440);
}

void FrmSplash::Form_Load() {
    m_legal->setText(LegalNotice);
}

} // namespace tovin
