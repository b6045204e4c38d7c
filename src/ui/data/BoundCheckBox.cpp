#include "ui/data/BoundCheckBox.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

BoundCheckBox::BoundCheckBox(int index, QString dataField, const QString& text, QWidget* parent)
    : QCheckBox(text, parent), m_index(index), m_dataField(std::move(dataField)) {
    setObjectName(u"chkFields(%1)"_s.arg(index));
}

void BoundCheckBox::showValue(const QVariant& value) {
    const bool ticked = value.isValid() && !value.isNull() && value.toBool();
    setChecked(ticked);
}

} // namespace tovin
