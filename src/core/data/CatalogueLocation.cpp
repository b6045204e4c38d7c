#include "core/data/CatalogueLocation.h"

#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

namespace tovin::CatalogueLocation {

bool isServer(const QString& location) {
    const QString trimmed = location.trimmed();
    return trimmed.startsWith(u"postgresql://"_s, Qt::CaseInsensitive) ||
           trimmed.startsWith(u"postgres://"_s, Qt::CaseInsensitive);
}

QString absolute(const QString& location) {
    return isServer(location) ? location.trimmed() : QFileInfo(location).absoluteFilePath();
}

bool isMissingFile(const QString& location) {
    return !isServer(location) && !QFileInfo(location).isFile();
}

QString withoutPassword(const QString& location) {
    if (!isServer(location))
        return location;
    QUrl url(location.trimmed(), QUrl::TolerantMode);
    url.setPassword(QString());
    QUrlQuery query(url);
    query.removeAllQueryItems(u"password"_s);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

QString shortName(const QString& location) {
    if (!isServer(location))
        return QFileInfo(location).fileName();
    const QUrl url(location.trimmed(), QUrl::TolerantMode);
    const QUrlQuery query(url);
    QString database = url.path().mid(1);
    if (database.isEmpty())
        database = query.queryItemValue(u"dbname"_s, QUrl::FullyDecoded);
    QString host = url.host();
    if (host.isEmpty())
        host = query.queryItemValue(u"host"_s, QUrl::FullyDecoded);
    if (host.isEmpty())
        host = u"localhost"_s;
    return database.isEmpty() ? host : database + u" on "_s + host;
}

} // namespace tovin::CatalogueLocation
