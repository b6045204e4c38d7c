#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace tovin {

// Tells every open view which rows of a catalogue were written, once the write is committed.
// Each screen has its own connection, so a change written through one (a receipt, a sale, a
// bulk edit, an import) reaches the others only through here.
class CatalogueChanges : public QObject {
    Q_OBJECT
public:
    static CatalogueChanges& instance();

    // The name a catalogue file is announced under: the same file opened by any spelling of
    // its path gives the same name.
    static QString identity(const QString& path);

signals:
    // Rows of `table` (row numbers in the file) were added, changed or removed in the catalogue
    // of that identity. Sent after the commit, never for a write that was rolled back.
    void rowsChanged(const QString& catalogue, const QString& table, const QList<qint64>& rows);

private:
    CatalogueChanges() = default;
};

} // namespace tovin
