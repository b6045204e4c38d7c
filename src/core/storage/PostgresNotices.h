#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tovin::PostgresNotices {

// The channel on which every connection to a catalogue database tells the others which rows
// its committed transactions wrote (the server keeps channels apart per database).
inline constexpr const char* Channel = "tovin_catalogue";

// The notices telling that `rows` of `table` were written, in as many payloads as the server's
// limit on one requires. `sender` names the sending connection and `serial` counts its
// notices, so that one program with several connections to the catalogue tells its views
// once.
QList<QByteArray> payloads(const QString& sender, qint64& serial, const QString& table,
                           const QList<qint64>& rows);

struct Notice {
    QString sender;
    qint64 serial = 0;
    QString table;
    QList<qint64> rows;
};
// A payload read back; false for one that is not a notice of this program.
bool read(const QByteArray& payload, Notice& notice);

// True the first time this program sees that sender's notice of that serial (notices of one
// sender arrive in order on every connection).
bool firstSighting(const Notice& notice);

} // namespace tovin::PostgresNotices
