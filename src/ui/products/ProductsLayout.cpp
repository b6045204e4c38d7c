#include "ui/products/ProductsLayout.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QFormLayout* formOf(const QList<ProductsLayout::Row>& rows, const QList<QWidget*>& wide = {}) {
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(4);
    for (const auto& [caption, box] : rows) {
        if (wide.contains(box)) {
            if (auto* label = qobject_cast<QLabel*>(caption))
                label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            form->addRow(caption);
            form->addRow(box);
        } else {
            form->addRow(caption, box);
        }
    }
    return form;
}

QHBoxLayout* rowOf(const QList<QWidget*>& widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* w : widgets)
        row->addWidget(w);
    row->addStretch(1);
    return row;
}

} // namespace

ProductsLayout::ProductsLayout(QWidget* screen, const Controls& controls)
    : m_preview(controls.preview), m_grid(controls.grid) {
    auto* outer = new QVBoxLayout(screen);
    outer->setContentsMargins(8, 8, 8, 6);
    outer->setSpacing(6);

    outer->addLayout(rowOf(controls.searchRow));

    // Product and price boxes side by side, the notes under both.
    m_fields = new QWidget(screen);
    m_fields->setObjectName(u"fieldsPanel"_s);
    auto* fields = new QVBoxLayout(m_fields);
    fields->setContentsMargins(0, 0, 0, 0);
    auto* columns = new QHBoxLayout;
    columns->addLayout(formOf(controls.productRows), 3);
    columns->addSpacing(8);
    columns->addLayout(formOf(controls.priceRows), 2);
    fields->addLayout(columns);
    fields->addLayout(formOf({controls.notesRow}));
    fields->addStretch(1);

    auto* stock = new QGroupBox(u"Stock"_s, screen);
    stock->setObjectName(u"stockFrame"_s);
    auto* stockForm = formOf(controls.stockRows, controls.wideBoxes);
    stock->setLayout(stockForm);

    m_detail = new QWidget(screen);
    m_detail->setObjectName(u"detailArea"_s);
    m_detailGrid = new QGridLayout(m_detail);
    m_detailGrid->setContentsMargins(0, 0, 0, 0);
    m_detailGrid->setHorizontalSpacing(10);
    m_detailGrid->addWidget(m_fields, 0, 0);
    m_detailGrid->addWidget(m_preview, 0, 1);
    m_detailGrid->addWidget(stock, 0, 2, Qt::AlignTop);
    m_detailGrid->addWidget(controls.picturePath, 1, 0, 1, 3);
    m_detailGrid->setColumnStretch(0, 5);
    m_detailGrid->setColumnStretch(1, 3);
    m_detailGrid->setColumnStretch(2, 0);
    m_detailGrid->setRowStretch(0, 1);
    m_preview->setMinimumSize(140, 160);

    outer->addWidget(m_detail, 1);
    outer->addWidget(m_grid, 1);
    m_grid->hide();

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    buttons->addLayout(rowOf(controls.recordButtons));
    buttons->addLayout(rowOf(controls.viewButtons));
    if (!controls.taskButtons.isEmpty())
        buttons->addLayout(rowOf(controls.taskButtons));
    outer->addLayout(buttons);

    auto* navigation = new QHBoxLayout;
    navigation->setSpacing(0);
    for (QWidget* w : controls.navigation)
        navigation->addWidget(w, w == controls.status ? 1 : 0);
    outer->addLayout(navigation);
}

void ProductsLayout::setLargePreview(bool large) {
    m_large = large;
    m_detailGrid->removeWidget(m_preview);
    m_fields->setVisible(!large);
    if (large)
        m_detailGrid->addWidget(m_preview, 0, 0, 1, 2);
    else
        m_detailGrid->addWidget(m_preview, 0, 1);
}

void ProductsLayout::setGridShown(bool shown) {
    m_gridShown = shown;
    m_detail->setVisible(!shown);
    m_grid->setVisible(shown);
    if (shown)
        m_grid->raise();
}

} // namespace tovin
