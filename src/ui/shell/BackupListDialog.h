#pragma once

#include "core/backup/CatalogueBackup.h"

#include <QDialog>

class QTreeWidget;

namespace tovin {

// The copies of a catalogue to restore from, newest first, with date, size and number of
// products. Restore (Enter) takes the selected copy, Cancel (Escape) none.
class BackupListDialog : public QDialog {
    Q_OBJECT
public:
    BackupListDialog(const QList<BackupCopy>& copies, QWidget* parent = nullptr);

    // The chosen copy's path, empty when none was chosen.
    QString chosen() const;

private:
    QTreeWidget* m_list;
};

} // namespace tovin
