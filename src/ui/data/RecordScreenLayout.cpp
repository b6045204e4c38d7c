#include "ui/data/RecordScreenLayout.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Rows of boxes per column; a screen with more boxes shows them side by side.
constexpr int RowsPerColumn = 12;

} // namespace

RecordScreenLayout::RecordScreenLayout(QWidget* screen) : m_screen(screen) {
    // Every control sits in a scroll area: a window too small for them scrolls, and no label or
    // box is ever clipped or drawn over another.
    auto* frame = new QVBoxLayout(screen);
    frame->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(screen);
    scroll->setObjectName(u"screenScroll"_s);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_content = new QWidget;
    m_content->setObjectName(u"screenContent"_s);
    scroll->setWidget(m_content);
    frame->addWidget(scroll);

    m_screenLayout = new QVBoxLayout(m_content);
    m_fieldColumns = new QHBoxLayout;
    m_screenLayout->addLayout(m_fieldColumns);
    m_screenLayout->addStretch(1);
    buildCommandRow();
    buildNavigationRow();
}

QPushButton* RecordScreenLayout::makeButton(const QString& name, const QString& text) {
    auto* button = new QPushButton(text, m_screen);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QPushButton* RecordScreenLayout::makePictureButton(const QString& name, const QString& icon) {
    QPushButton* button = makeButton(name, QString());
    button->setIcon(QIcon(icon));
    button->setFixedWidth(32);
    return button;
}

void RecordScreenLayout::buildCommandRow() {
    Controls& c = m_controls;
    c.add = makeButton(u"cmdAdd"_s, u"&Add"_s);
    c.edit = makeButton(u"cmdEdit"_s, u"&Edit"_s);
    c.update = makeButton(u"cmdUpdate"_s, u"&Update"_s);
    c.cancel = makeButton(u"cmdCancel"_s, u"&Cancel"_s);
    c.remove = makeButton(u"cmdDelete"_s, u"&Delete"_s);
    c.refresh = makeButton(u"cmdRefresh"_s, u"&Refresh"_s);
    c.close = makeButton(u"cmdClose"_s, u"&Close"_s);
    m_commandRow = new QHBoxLayout;
    for (QPushButton* b : {c.add, c.edit, c.update, c.cancel, c.remove, c.refresh, c.close})
        m_commandRow->addWidget(b);
    m_commandRow->addStretch(1);
    m_screenLayout->addLayout(m_commandRow);
    // A screen opens browsing.
    c.update->hide();
    c.cancel->hide();
}

void RecordScreenLayout::buildNavigationRow() {
    Controls& c = m_controls;
    c.first = makePictureButton(u"cmdFirst"_s, u":/icons/first.png"_s);
    c.previous = makePictureButton(u"cmdPrevious"_s, u":/icons/previous.png"_s);
    c.next = makePictureButton(u"cmdNext"_s, u":/icons/next.png"_s);
    c.last = makePictureButton(u"cmdLast"_s, u":/icons/last.png"_s);
    c.status = new QLabel(m_screen);
    c.status->setObjectName(u"lblStatus"_s);
    c.status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c.status->setAlignment(Qt::AlignCenter);
    c.status->setMinimumWidth(160);
    auto* navigation = new QHBoxLayout;
    navigation->setSpacing(0);
    navigation->addWidget(c.first);
    navigation->addWidget(c.previous);
    navigation->addWidget(c.status, 1);
    navigation->addWidget(c.next);
    navigation->addWidget(c.last);
    m_screenLayout->addLayout(navigation);
}

QLabel* RecordScreenLayout::makeCaption(int index, const QString& text) {
    auto* label = new QLabel(text, m_screen);
    label->setObjectName(u"lblLabels(%1)"_s.arg(index));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

void RecordScreenLayout::addRow(QLabel* caption, QWidget* field) {
    caption->setBuddy(field);
    m_rows << qMakePair(caption, field);
}

void RecordScreenLayout::addCommandButton(QPushButton* button) {
    button->setParent(m_screen);
    button->setAutoDefault(false);
    if (m_commandRow)
        m_commandRow->insertWidget(m_commandRow->count() - 1, button);
}

void RecordScreenLayout::arrangeFields() {
    if (m_rows.isEmpty() || !m_fieldColumns)
        return;
    const qsizetype columns = (m_rows.size() + RowsPerColumn - 1) / RowsPerColumn;
    const qsizetype perColumn = (m_rows.size() + columns - 1) / columns;
    QFormLayout* form = nullptr;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (i % perColumn == 0) {
            if (form)
                m_fieldColumns->addSpacing(18);
            form = new QFormLayout;
            form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
            form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
            m_fieldColumns->addLayout(form, 1);
        }
        form->addRow(m_rows.at(i).first, m_rows.at(i).second);
    }
    m_rows.clear();
}

void RecordScreenLayout::release() {
    delete m_content->layout();
    m_screenLayout = nullptr;
    m_fieldColumns = nullptr;
    m_commandRow = nullptr;
    m_rows.clear();
}

} // namespace tovin
