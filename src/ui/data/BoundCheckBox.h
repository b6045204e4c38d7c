#pragma once

#include <QCheckBox>
#include <QString>
#include <QVariant>

namespace tovin {

// A check box of a record screen, bound by name to a yes/no column of the screen's record set:
// ticked shows True, and a click makes the new state the row's pending value.
class BoundCheckBox : public QCheckBox {
    Q_OBJECT
public:
    BoundCheckBox(int index, QString dataField, const QString& text = QString(),
                  QWidget* parent = nullptr);

    // The box's index in the screen's chkFields array.
    int index() const { return m_index; }
    const QString& dataField() const { return m_dataField; }

    int fieldIndex() const { return m_fieldIndex; }
    void setFieldIndex(int fieldIndex) { m_fieldIndex = fieldIndex; }
    bool isBound() const { return m_fieldIndex >= 0; }

    // Shows a value: a true flag ticks the box; null, false and zero leave it clear.
    void showValue(const QVariant& value);

private:
    int m_index;
    QString m_dataField;
    int m_fieldIndex = -1;
};

} // namespace tovin
