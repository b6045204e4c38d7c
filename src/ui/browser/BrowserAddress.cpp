#include "ui/browser/BrowserAddress.h"

#include "core/shell/ProgramFolder.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin::BrowserAddress {

QUrl toUrl(const QString& address) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        return {};
    // Two letters at least, so a drive letter ("C:\Catalog") is not mistaken for a scheme.
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]+:"_s);
    if (scheme.match(text).hasMatch())
        return QUrl(text, QUrl::TolerantMode);
    if (text.startsWith(u"www."_s, Qt::CaseInsensitive))
        return QUrl(u"http://"_s + text, QUrl::TolerantMode);
    return QUrl::fromLocalFile(ProgramFolder::resolveFile(text));
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
