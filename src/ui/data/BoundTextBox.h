#pragma once

#include "core/catalogue/DisplayFormat.h"

#include <QLineEdit>
#include <QString>
#include <QVariant>

namespace tovin {

// A text box of a record screen, bound by name to one column of the screen's record set. It
// shows the current row's value in its display format; what the user types becomes the row's
// pending value (see RecordBinding). A box without a column holds a figure the screen computes
// and is read-only.
class BoundTextBox : public QLineEdit {
    Q_OBJECT
public:
    BoundTextBox(int index, QString dataField, QString displayFormat, QWidget* parent = nullptr);

    // The box's index in the screen's txtFields array.
    int index() const { return m_index; }
    // The column's name; empty for a computed box.
    const QString& dataField() const { return m_dataField; }
    const QString& displayFormat() const { return m_format; }

    // The column's position in the bound record set; -1 while the box is not bound.
    int fieldIndex() const { return m_fieldIndex; }
    void setFieldIndex(int fieldIndex) { m_fieldIndex = fieldIndex; }
    bool isBound() const { return m_fieldIndex >= 0; }

    // What the box is called in messages to the user ("Retail" for the box labelled "Retail:").
    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }

    // Shows a value in the box's display format (DisplayFormat::text).
    void showValue(const QVariant& value);
    // The typed text as the value handed to the record set (DisplayFormat::typedValue).
    QVariant typedValue() const;

signals:
    // Focus left the box (the screen's txtFields_LostFocus).
    void focusLeft(int index);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    int m_index;
    QString m_dataField;
    QString m_format;
    QString m_caption;
    int m_fieldIndex = -1;
};

} // namespace tovin
