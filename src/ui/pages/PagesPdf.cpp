#include "ui/pages/PagesPdf.h"

#include "core/shell/OutputFile.h"
#include "core/shell/RunTimeError.h"
#include "ui/browser/LocalFileRedirector.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The body of a written page: the lines between "<body>" and "</body>" (the picture pages
// carry a second body line for their background, which stays).
QString bodyOf(const QString& html) {
    const qsizetype start = html.indexOf(u"<body>"_s);
    const qsizetype end = html.lastIndexOf(u"</body>"_s);
    if (start < 0 || end < start)
        return html;
    return html.mid(start + 6, end - start - 6);
}

// Runs the event loop until `finish` has been called, or gives up after two minutes so that a
// page that never finishes cannot hang a batch run. Returns whether it was called.
bool runUntil(const std::function<void(std::function<void()>)>& start) {
    QEventLoop loop;
    bool done = false;
    start([&] {
        done = true;
        loop.quit();
    });
    if (!done) {
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done;
}

} // namespace

bool printPagesToPdf(const QStringList& pageFiles, const QString& pdfFile, const OutputRules& rules,
                     QString* error) {
    if (pageFiles.isEmpty()) {
        *error = u"no pages to print"_s;
        return false;
    }
    QStringList pages;
    for (const QString& path : pageFiles) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = u"cannot read "_s + path + u" ("_s + file.errorString() + u')';
            return false;
        }
        pages << QString::fromUtf8(file.readAll());
    }
    return printHtmlPagesToPdf(pages, QFileInfo(pageFiles.first()).absolutePath(), pdfFile, rules,
                               error);
}

bool printHtmlPagesToPdf(const QStringList& pages, const QString& folder, const QString& pdfFile,
                         const OutputRules& rules, QString* error) {
    if (pages.isEmpty()) {
        *error = u"no pages to print"_s;
        return false;
    }
    if (const auto refused = OutputFile::refusal(pdfFile, rules)) {
        *error = *refused;
        return false;
    }
    // One document with every page, each starting a new sheet, beside the pages so that their
    // pictures and buttons are found from the same folder.
    QString combined = u"<html><head><style>.catalogue-page { break-after: page; }"
                       u" .catalogue-page:last-child { break-after: auto; }</style></head><body>"_s;
    for (const QString& page : pages)
        combined += u"<div class=\"catalogue-page\">"_s + bodyOf(page) + u"</div>\r\n"_s;
    combined += u"</body></html>"_s;
    QTemporaryFile document(folder + u"/.print-XXXXXX.htm"_s);
    if (!document.open() || document.write(combined.toUtf8()) < 0 || !document.flush()) {
        *error = u"cannot write the print document in "_s + folder;
        return false;
    }
    document.close();

    QWebEngineProfile profile;
    LocalFileRedirector redirector;
    profile.setUrlRequestInterceptor(&redirector);
    QWebEnginePage page(&profile);
    page.settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    page.settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    page.settings()->setAttribute(QWebEngineSettings::AutoLoadImages, true);

    bool loaded = false;
    QMetaObject::Connection connection;
    const bool loadEnded = runUntil([&](std::function<void()> finish) {
        connection = QObject::connect(&page, &QWebEnginePage::loadFinished, &page,
                                      [&loaded, finish](bool ok) {
                                          loaded = ok;
                                          finish();
                                      });
        page.load(QUrl::fromLocalFile(document.fileName()));
    });
    QObject::disconnect(connection);
    if (!loadEnded || !loaded) {
        *error = u"the pages could not be loaded for printing"_s;
        return false;
    }
    // The engine writes a file of its own beside the target; it replaces the target only once
    // it is whole, and never when the target turned out to be a file that must stay.
    const QString target = QFileInfo(pdfFile).absoluteFilePath();
    QString finished;
    try {
        finished = OutputFile::temporaryBeside(target);
    } catch (const RunTimeError& failure) {
        *error = failure.description();
        return false;
    }
    bool printed = false;
    const bool printEnded = runUntil([&](std::function<void()> finish) {
        connection = QObject::connect(&page, &QWebEnginePage::pdfPrintingFinished, &page,
                                      [&printed, finish](const QString&, bool ok) {
                                          printed = ok;
                                          finish();
                                      });
        page.printToPdf(finished, QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                              QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
    });
    QObject::disconnect(connection);
    if (!printEnded || !printed || !QFileInfo(finished).size()) {
        QFile::remove(finished);
        *error = u"the PDF file could not be written: "_s + target;
        return false;
    }
    try {
        OutputFile::moveIntoPlace(finished, pdfFile, rules);
    } catch (const RunTimeError& failure) {
        *error = failure.description();
        return false;
    }
    return true;
}

} // namespace tovin
