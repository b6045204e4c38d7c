#include "ui/browser/BrowserAddress.h"

#include "core/files/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin::BrowserAddress {

namespace {

// Endings of the files the program shows; a name ending in one is a file, not a host.
bool isFileEnding(const QString& ending) {
    static const QStringList endings{
        u"htm"_s, u"html"_s, u"shtml"_s, u"php"_s,  u"asp"_s,  u"aspx"_s,  u"txt"_s,
        u"tab"_s, u"csv"_s,  u"jpg"_s,   u"jpeg"_s, u"gif"_s,  u"png"_s,   u"bmp"_s,
        u"tif"_s, u"tiff"_s, u"ico"_s,   u"svg"_s,  u"webp"_s, u"avi"_s,   u"pdf"_s,
        u"xml"_s, u"css"_s,  u"js"_s,    u"mde"_s,  u"mdb"_s,  u"accdb"_s, u"zip"_s};
    return endings.contains(ending.toLower());
}

// "shop.example.net", "example.com:8080/catalog": a host name of two labels at least, ending
// in a label of letters, with an optional port and path.
bool looksLikeWebAddress(const QString& text) {
    static const QRegularExpression host(
        u"^((?:[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?\\.)+([A-Za-z]{2,}))(:\\d+)?([/?#].*)?$"_s);
    const QRegularExpressionMatch match = host.match(text);
    if (!match.hasMatch())
        return false;
    // "page.htm" names a file; "www.page.htm" is still a host.
    return !isFileEnding(match.captured(2)) || text.startsWith(u"www."_s, Qt::CaseInsensitive);
}

QUrl normalised(const QString& address) {
    const QUrl url = toUrl(address);
    if (url.isLocalFile())
        return QUrl::fromLocalFile(QDir::cleanPath(ProgramFolder::resolveFile(url.toLocalFile())));
    QUrl web = url.adjusted(QUrl::NormalizePathSegments | QUrl::StripTrailingSlash);
    web.setScheme(web.scheme().toLower());
    web.setHost(web.host().toLower());
    if (web.path() == u"/"_s)
        web.setPath(QString());
    if ((web.scheme() == u"http"_s && web.port() == 80) ||
        (web.scheme() == u"https"_s && web.port() == 443))
        web.setPort(-1);
    return web;
}

} // namespace

QUrl toUrl(const QString& address) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        return {};
    // Two letters at least, so a drive letter ("C:\Catalog") is not mistaken for a scheme; a
    // host with a port ("example.com:8080") is no scheme either.
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]+:(?!\\d)"_s);
    if (scheme.match(text).hasMatch())
        return QUrl(text, QUrl::TolerantMode);
    const QString local = ProgramFolder::resolveFile(text);
    if (!QFileInfo::exists(local) && looksLikeWebAddress(text))
        return QUrl(u"http://"_s + text, QUrl::TolerantMode);
    return QUrl::fromLocalFile(local);
}

bool sameAddress(const QString& first, const QString& second) {
    if (first.trimmed().isEmpty() || second.trimmed().isEmpty())
        return first.trimmed().isEmpty() && second.trimmed().isEmpty();
    return normalised(first) == normalised(second);
}

QString fromUrl(const QUrl& url) {
    if (url.isLocalFile())
        return url.toLocalFile();
    return url.toString();
}

bool isPageSignal(const QUrl& url) {
    if (!url.isLocalFile() || url.fileName().contains(u'.'))
        return false;
    return !QFileInfo::exists(ProgramFolder::resolveFile(url.toLocalFile()));
}

} // namespace tovin::BrowserAddress
