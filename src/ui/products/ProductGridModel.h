#pragma once

#include <QAbstractTableModel>
#include <QPointer>

namespace tovin {

class RecordSet;

// The Products screen's grid over its grid record set: one table row per row of the set in the
// set's current order (filter and sort included), one column per field of its SELECT. Cells are
// read when the view shows them (RecordSet::valueAt), so a catalogue of any size opens at once.
// The model follows the set: it resets when the set's rows change as a whole (opened, read
// again, filtered, sorted, a row added or deleted) and reports a written row as changed.
class ProductGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ProductGridModel(RecordSet* recordSet, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void followRows();
    void followRow(int position);

    QPointer<RecordSet> m_recordSet;
    // The set's size as last reported to the views; it changes only inside a model reset.
    int m_rows = 0;
    int m_columns = 0;
};

} // namespace tovin
