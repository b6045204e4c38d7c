#include "core/storage/CatalogueLocation.h"

#include <QFileInfo>
#include <QRegularExpression>
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

namespace {

// The address with its user part cut down to the user name. The user part runs to the last "@"
// with no "=" before it (an "@" after one is a parameter's), which is where the user meant it
// to end even when an "@", "/" or "?" in the password is not encoded; such a user part is
// dropped whole, the user name with it, since where the name ends cannot be told.
QString withoutUserPassword(const QString& address) {
    const qsizetype start = address.indexOf(u"://"_s) + 3;
    const qsizetype equals = address.indexOf(u'=', start);
    const qsizetype at = address.lastIndexOf(u'@', equals < 0 ? -1 : equals - address.size() - 1);
    if (at < start)
        return address;
    const QString userInfo = address.mid(start, at - start);
    const bool plain = !userInfo.contains(u'@') && !userInfo.contains(u'/') &&
                       !userInfo.contains(u'?') && !userInfo.contains(u'#');
    const QString user = plain ? userInfo.left(userInfo.indexOf(u':')) : QString();
    return address.left(start) + (user.isEmpty() ? QString() : user + u'@') + address.mid(at + 1);
}

// "password=..." in the keyword form (a value in quotes or up to the next blank).
const QRegularExpression& keywordPassword() {
    static const QRegularExpression pattern(uR"((^|\s)password\s*=\s*('(?:[^'\\]|\\.)*'?|\S*))"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

} // namespace

QString withoutPassword(const QString& location) {
    if (!isServer(location)) {
        // Not an address the program connects to, but it may still be shown: a password
        // written in the keyword form never is.
        QString shown = location;
        shown.replace(keywordPassword(), u"\\1"_s);
        return shown.size() == location.size() ? shown : shown.trimmed();
    }
    QUrl url(withoutUserPassword(location.trimmed()), QUrl::TolerantMode);
    url.setPassword(QString());
    QUrlQuery query(url);
    query.removeAllQueryItems(u"password"_s);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

QString forMessages(const QString& location) {
    if (!isServer(location))
        return withoutPassword(location);
    QUrl url(withoutPassword(location), QUrl::TolerantMode);
    url.setUserInfo(QString());
    QUrlQuery query(url);
    query.removeAllQueryItems(u"user"_s);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

QString shortName(const QString& location) {
    if (!isServer(location))
        return QFileInfo(withoutPassword(location)).fileName();
    const QUrl url(withoutUserPassword(location.trimmed()), QUrl::TolerantMode);
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
