#include "ui/browser/BrowserProfile.h"

#include "core/shell/ProgramFolder.h"
#include "core/shell/Prompts.h"
#include "core/shell/SharedState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
QString& storageFolder() {
    static QString folder;
    return folder;
}
} // namespace

void BrowserProfile::setStorageFolder(const QString& folder) {
    storageFolder() = folder;
}

BrowserProfile* BrowserProfile::instance() {
    static QPointer<BrowserProfile> profile;
    if (!profile) {
        QString folder = storageFolder();
        if (folder.isEmpty())
            folder =
                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/browser"_s;
        profile = new BrowserProfile(folder, QCoreApplication::instance());
    }
    return profile;
}

BrowserProfile::BrowserProfile(const QString& folder, QObject* parent)
    : QWebEngineProfile(u"tovin-browser"_s, parent) {
    QDir().mkpath(folder);
    setPersistentStoragePath(folder);
    setCachePath(folder + u"/cache"_s);
    setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    connect(this, &QWebEngineProfile::downloadRequested, this,
            &BrowserProfile::onDownloadRequested);
}

void BrowserProfile::onDownloadRequested(QWebEngineDownloadRequest* download) {
    const QString folder = ProgramFolder::path() + u"Supplier"_s;
    QDir().mkpath(folder);
    download->setDownloadDirectory(folder);
    // Only the file's own name: a name sent by a site never chooses the folder.
    QString name = QFileInfo(download->downloadFileName()).fileName();
    if (name.isEmpty() || name.startsWith(u'.'))
        name = u"download"_s + name;
    download->setDownloadFileName(name);
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download] {
        if (!download->isFinished())
            return;
        const QString path =
            QDir(download->downloadDirectory()).filePath(download->downloadFileName());
        const bool done = download->state() == QWebEngineDownloadRequest::DownloadCompleted;
        const QString error = done ? QString() : download->interruptReasonString();
        if (shared().prompts) {
            if (done)
                shared().prompts->notice(u"The file was saved as "_s + path,
                                         MessageIcon::Information);
            else
                shared().prompts->notice(u"The file "_s + path + u" could not be saved: "_s +
                                             (error.isEmpty() ? u"cancelled"_s : error),
                                         MessageIcon::Exclamation);
        }
        emit downloadFinished(path, done ? QString() : (error.isEmpty() ? u"cancelled"_s : error));
    });
    download->accept();
}

} // namespace tovin
