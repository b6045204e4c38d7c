#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>

namespace tovin {

class BoundCheckBox;
class BoundTextBox;
class RecordSet;

// Binds the text boxes and check boxes of a record screen to the columns of its record set.
// The controls show the current row (empty while a new row is added, and read-only when there
// is no current row); what the user types or ticks becomes the row's pending value at once, so
// moving to another row writes it, and Update writes it too. A write to the current row, from
// this screen or any other connection to the file, shows at once unless the row has a pending
// change, which the user's typing keeps.
class RecordBinding : public QObject {
    Q_OBJECT
public:
    explicit RecordBinding(QObject* parent = nullptr);

    void addTextBox(BoundTextBox* box);
    void addCheckBox(BoundCheckBox* box);
    const QList<BoundTextBox*>& textBoxes() const { return m_textBoxes; }
    const QList<BoundCheckBox*>& checkBoxes() const { return m_checkBoxes; }

    // Finds each control's column in the record set and shows the current row. A control whose
    // column the set lacks stays unbound and empty.
    void bind(RecordSet* recordSet);
    RecordSet* recordSet() const { return m_recordSet; }

    // Shows the current row in every bound control.
    void refresh();
    // Makes a value the row's pending value of a box's column and shows it in the box.
    void setBoxValue(BoundTextBox* box, const QVariant& value);

    // The first bound box whose pending text its column cannot take (a word in a money box, an
    // impossible date), or nullptr when every pending value is acceptable.
    BoundTextBox* refusedBox() const;

private:
    void onTextEdited(BoundTextBox* box);
    void onCheckClicked(BoundCheckBox* box);
    void onRowUpdated(int position);
    bool hasCurrentRow() const;

    QPointer<RecordSet> m_recordSet;
    QMetaObject::Connection m_rowUpdated;
    QList<BoundTextBox*> m_textBoxes;
    QList<BoundCheckBox*> m_checkBoxes;
};

} // namespace tovin
