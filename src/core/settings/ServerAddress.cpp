#include "core/settings/ServerAddress.h"

#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// libpq decodes every part of a URI, so every part is encoded: a "@", ":" or "/" in a user
// name, a database or a folder would otherwise split the address in the wrong place.
QString encoded(const QString& part) {
    return QString::fromLatin1(QUrl::toPercentEncoding(part));
}

QString decoded(QStringView part) {
    return QUrl::fromPercentEncoding(part.toUtf8());
}

bool isIpv6(const QString& host) {
    return host.contains(u':');
}

std::optional<int> portNumber(const QString& text) {
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

} // namespace

bool ServerAddress::usesSocket() const {
    return host.isEmpty() || host.startsWith(u'/');
}

QString ServerAddress::uri() const {
    QString text = u"postgresql://"_s;
    if (!user.isEmpty())
        text += encoded(user) + u'@';
    QList<std::pair<QString, QString>> query;
    if (usesSocket()) {
        if (!host.isEmpty())
            query.append({u"host"_s, host});
        if (port != DefaultPort)
            query.append({u"port"_s, QString::number(port)});
    } else {
        // A bracketed IPv6 number is taken as it is; its colons are no port separators.
        text += isIpv6(host) ? u'[' + host + u']' : encoded(host);
        if (port != DefaultPort)
            text += u':' + QString::number(port);
    }
    text += u'/' + encoded(database);
    query.append(options);
    for (qsizetype i = 0; i < query.size(); ++i)
        text += (i == 0 ? u'?' : u'&') + encoded(query.at(i).first) + u'=' +
                encoded(query.at(i).second);
    return text;
}

std::optional<ServerAddress> ServerAddress::parse(const QString& uri, QString* password) {
    QString rest = uri.trimmed();
    bool schemeFound = false;
    for (const QString& scheme : {u"postgresql://"_s, u"postgres://"_s})
        if (rest.startsWith(scheme, Qt::CaseInsensitive)) {
            rest = rest.mid(scheme.size());
            schemeFound = true;
            break;
        }
    if (!schemeFound)
        return std::nullopt;
    ServerAddress address;
    QString secret;
    QString query;
    if (const qsizetype mark = rest.indexOf(u'?'); mark >= 0) {
        query = rest.mid(mark + 1);
        rest.truncate(mark);
    }
    QString authority = rest;
    if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
        authority = rest.left(slash);
        address.database = decoded(QStringView(rest).mid(slash + 1));
    }
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) {
        const QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(u':');
        address.user = decoded(QStringView(userInfo).left(colon));
        if (colon >= 0)
            secret = decoded(QStringView(userInfo).mid(colon + 1));
    }
    QString portText;
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        address.host = authority.mid(1, close < 0 ? -1 : close - 1);
        if (close >= 0 && authority.mid(close + 1).startsWith(u':'))
            portText = authority.mid(close + 2);
    } else {
        const qsizetype colon = authority.indexOf(u':');
        address.host = decoded(QStringView(authority).left(colon));
        if (colon >= 0)
            portText = authority.mid(colon + 1);
    }
    for (const QString& item : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        const QString key = decoded(QStringView(item).left(equals));
        const QString value = equals < 0 ? QString() : decoded(QStringView(item).mid(equals + 1));
        // The parameters override what the rest of the URI says, as they do for libpq.
        if (key == u"host"_s)
            address.host = value;
        else if (key == u"port"_s)
            portText = value;
        else if (key == u"dbname"_s)
            address.database = value;
        else if (key == u"user"_s)
            address.user = value;
        else if (key == u"password"_s)
            secret = value;
        else
            address.options.append({key, value});
    }
    if (!portText.isEmpty()) {
        const std::optional<int> port = portNumber(portText);
        if (!port)
            return std::nullopt;
        address.port = *port;
    }
    if (password)
        *password = secret;
    return address;
}

} // namespace tovin
