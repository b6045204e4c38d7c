#include "ui/browser/BrowserProfile.h"

#include "core/base/Prompts.h"
#include "core/base/RunTimeError.h"
#include "core/files/OutputQuestion.h"
#include "core/files/ProgramFolder.h"
#include "core/shell/CatalogueInUse.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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
    // Only the file's own name: a name sent by a site never chooses the folder.
    QString name = QFileInfo(download->downloadFileName()).fileName();
    if (name.isEmpty() || name.startsWith(u'.'))
        name = u"download"_s + name;
    const QString target = QDir(folder).filePath(name);
    const OutputRules rules{m_catalogue ? m_catalogue->path : QString()};
    Prompts* prompts = m_prompts ? m_prompts->current : nullptr;
    if (prompts ? !confirmOutput(*prompts, target, rules, QString())
                : OutputFile::refusal(target, rules).has_value()) {
        download->cancel();
        emit downloadFinished(target, u"not saved"_s);
        return;
    }
    // The engine fills a file of its own beside the target, which takes the target's place
    // only once the download is complete: a broken connection keeps an earlier price list.
    QString partial;
    try {
        partial = OutputFile::temporaryBeside(target);
    } catch (const RunTimeError& error) {
        if (prompts)
            prompts->notice(error.description(), MessageIcon::Exclamation);
        download->cancel();
        emit downloadFinished(target, error.description());
        return;
    }
    QFile::remove(partial); // the engine makes it anew
    download->setDownloadDirectory(folder);
    download->setDownloadFileName(QFileInfo(partial).fileName());
    connect(
        download, &QWebEngineDownloadRequest::isFinishedChanged, this,
        [this, download, target, partial, rules] {
            if (!download->isFinished())
                return;
            QString error;
            if (download->state() != QWebEngineDownloadRequest::DownloadCompleted) {
                QFile::remove(partial);
                error = download->interruptReasonString();
                if (error.isEmpty())
                    error = u"cancelled"_s;
            } else {
                try {
                    OutputFile::moveIntoPlace(partial, target, rules);
                } catch (const RunTimeError& failure) {
                    error = failure.description();
                }
            }
            if (Prompts* prompts = m_prompts ? m_prompts->current : nullptr) {
                if (error.isEmpty())
                    prompts->notice(u"The file was saved as "_s + target, MessageIcon::Information);
                else
                    prompts->notice(u"The file "_s + target + u" could not be saved: "_s + error,
                                    MessageIcon::Exclamation);
            }
            emit downloadFinished(target, error);
        });
    download->accept();
}

} // namespace tovin
