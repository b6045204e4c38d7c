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
    // The connection to the server that holds the catalogue of that identity was lost: changes
    // other computers make are not heard of until it is back.
    void connectionLost(const QString& catalogue, const QString& reason);
    // The connection is made again and listens again, or another program committed to the
    // catalogue file (FileChangePoller): whatever the views hold may be out of date and is read
    // again.
    void connectionBack(const QString& catalogue);

private:
    CatalogueChanges() = default;
};

} // namespace tovin
