#include "ui/products/ProductGridModel.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/DisplayFormat.h"
#include "core/catalogue/RecordSet.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

ProductGridModel::ProductGridModel(RecordSet* recordSet, QObject* parent)
    : QAbstractTableModel(parent), m_recordSet(recordSet) {
    if (recordSet) {
        connect(recordSet, &RecordSet::rowsReset, this, &ProductGridModel::followRows);
        connect(recordSet, &RecordSet::rowUpdated, this, &ProductGridModel::followRow);
    }
    followRows();
}

void ProductGridModel::followRows() {
    beginResetModel();
    const bool open = m_recordSet && m_recordSet->isOpen();
    m_rows = open ? m_recordSet->recordCount() : 0;
    m_columns = open ? m_recordSet->fieldCount() : 0;
    endResetModel();
}

void ProductGridModel::followRow(int position) {
    if (position < 0 || position >= m_rows || m_columns == 0)
        return;
    emit dataChanged(index(position, 0), index(position, m_columns - 1));
}

int ProductGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int ProductGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant ProductGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_recordSet || !m_recordSet->isOpen())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::TextAlignmentRole)
        return {};
    const ColumnKind kind = m_recordSet->fieldKind(index.column());
    if (role == Qt::TextAlignmentRole)
        return isNumericKind(kind) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    try {
        const QVariant value = m_recordSet->valueAt(index.row(), index.column());
        QString text = DisplayFormat::text(value, DisplayFormat::forKind(kind));
        if (role == Qt::DisplayRole)
            text.replace(u"\r\n"_s, u" "_s).replace(u'\n', u' ');
        return text;
    } catch (const RunTimeError&) {
        return {};
    }
}

QVariant ProductGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!m_recordSet || !m_recordSet->isOpen() || section >= m_recordSet->fieldCount())
        return {};
    return m_recordSet->fieldName(section);
}

} // namespace tovin
