#include "core/storage/PostgresNotices.h"

#include <QMutex>

using namespace Qt::Literals::StringLiterals;

namespace tovin::PostgresNotices {

namespace {

// The server refuses payloads of 8000 bytes or more.
constexpr qsizetype LargestPayload = 7800;

QByteArray header(const QString& sender, qint64 serial, const QString& table) {
    return sender.toUtf8() + ' ' + QByteArray::number(serial) + '\n' + table.toUtf8() + '\n';
}

} // namespace

QList<QByteArray> payloads(const QString& sender, qint64& serial, const QString& table,
                           const QList<qint64>& rows) {
    QList<QByteArray> all;
    QByteArray keys;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QByteArray key = QByteArray::number(rows.at(i));
        if (!keys.isEmpty() && keys.size() + key.size() + 200 > LargestPayload) {
            all << header(sender, ++serial, table) + keys;
            keys.clear();
        }
        if (!keys.isEmpty())
            keys += ',';
        keys += key;
    }
    all << header(sender, ++serial, table) + keys;
    return all;
}

bool read(const QByteArray& payload, Notice& notice) {
    const QList<QByteArray> lines = payload.split('\n');
    if (lines.size() != 3)
        return false;
    const QList<QByteArray> head = lines.at(0).split(' ');
    bool numbered = false;
    notice.serial = head.size() == 2 ? head.at(1).toLongLong(&numbered) : 0;
    if (!numbered || lines.at(1).isEmpty())
        return false;
    notice.sender = QString::fromUtf8(head.at(0));
    notice.table = QString::fromUtf8(lines.at(1));
    notice.rows.clear();
    for (const QByteArray& key : lines.at(2).split(',')) {
        bool ok = false;
        const qint64 row = key.toLongLong(&ok);
        if (ok)
            notice.rows << row;
    }
    return true;
}

bool firstSighting(const Notice& notice) {
    static QMutex mutex;
    static QHash<QString, qint64> lastSeen;
    const QMutexLocker lock(&mutex);
    qint64& last = lastSeen[notice.sender];
    if (notice.serial <= last)
        return false;
    last = notice.serial;
    return true;
}

} // namespace tovin::PostgresNotices
