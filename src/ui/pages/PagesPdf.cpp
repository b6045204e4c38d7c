#include "ui/pages/PagesPdf.h"

#include "core/base/RunTimeError.h"
#include "core/files/OutputFile.h"
#include "ui/browser/LocalFileRedirector.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
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

QPageLayout sheetLayout() {
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                       QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
}

// The printable part of a sheet in CSS pixels (96 to the inch), a little short of the real
// size so that rounding in the engine never pushes a line onto another sheet.
const int PrintableWidth = int(sheetLayout().paintRect(QPageLayout::Inch).width() * 96) - 8;
const int PrintableHeight = int(sheetLayout().paintRect(QPageLayout::Inch).height() * 96) - 16;

// The navigation, details and order buttons the page writers use.
QString hiddenButtons() {
    const QStringList buttons{u"buttonprev.gif"_s, u"buttonnext.gif"_s, u"ButtonFirst.gif"_s,
                              u"ButtonLast.gif"_s, u"moreinfo.gif"_s,   u"buynow.gif"_s};
    QStringList selectors;
    for (const QString& button : buttons)
        selectors << u"img[src=\""_s + button + u"\" i]"_s;
    return u" "_s + selectors.join(u", "_s) + u" { display: none; }"_s;
}

// A product name follows the picture on the line, as the cells are written; where the line has
// room for only part of it, the browser would leave the first words beside the picture and the
// rest under it. On paper each name is kept as one piece: beside the picture when it fits there
// whole, under it otherwise. Pages by page number write the name bold in a size-2 font; the
// designer's picture pages write it as a size-2 font with its own colour.
QString namesKeptWhole() {
    return u" .catalogue-content td font[size=\"2\"] > b,"
           u" .catalogue-content td font[size=\"2\"][color] { display: inline-block; }"_s;
}

// Shrinks every catalogue page that is wider or taller than the printable part of a sheet;
// answers true once done.
QString fitScript() {
    return u"(function () {"
           u" var w = %1, h = %2;"
           u" document.querySelectorAll('.catalogue-content').forEach(function (p) {"
           u"  var s = Math.min(1, w / p.scrollWidth, h / p.scrollHeight);"
           u"  if (s < 1) p.style.zoom = s;"
           u" });"
           u" return true;"
           u"})()"_s.arg(PrintableWidth)
               .arg(PrintableHeight);
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

// One document with every page, each starting a new sheet. Each page is laid out on a box the
// size of the sheet's printable part and the buttons, which lead nowhere on paper, are left out.
QString combinedDocument(const QStringList& pages) {
    QString combined = u"<html><head><style>"
                       u"body { margin: 0; }"
                       u" .catalogue-page { width: %1px; height: %2px; overflow: hidden;"
                       u" break-after: page; }"
                       u" .catalogue-page:last-child { break-after: auto; }"
                       u" .catalogue-content { width: %1px; }"_s.arg(PrintableWidth)
                           .arg(PrintableHeight) +
                       hiddenButtons() + namesKeptWhole() + u"</style></head><body>"_s;
    for (const QString& page : pages)
        combined += u"<div class=\"catalogue-page\"><div class=\"catalogue-content\">"_s +
                    bodyOf(page) + u"</div></div>\r\n"_s;
    combined += u"</body></html>"_s;
    return combined;
}

// Loads the document into the page; whether it loaded whole.
bool loadForPrinting(QWebEnginePage& page, const QString& documentFile) {
    bool loaded = false;
    QMetaObject::Connection connection;
    const bool loadEnded = runUntil([&](std::function<void()> finish) {
        connection = QObject::connect(&page, &QWebEnginePage::loadFinished, &page,
                                      [&loaded, finish](bool ok) {
                                          loaded = ok;
                                          finish();
                                      });
        page.load(QUrl::fromLocalFile(documentFile));
    });
    QObject::disconnect(connection);
    return loadEnded && loaded;
}

// A page taller than a sheet would run on over the next: each one is shrunk to fit its sheet.
// Only this script runs; the pages' own stay off. Whether it ran to the end.
bool fitToSheets(QWebEnginePage& page) {
    bool fitted = false;
    const bool fitEnded = runUntil([&](std::function<void()> finish) {
        page.runJavaScript(fitScript(), QWebEngineScript::ApplicationWorld,
                           [&fitted, finish](const QVariant& result) {
                               fitted = result.toBool();
                               finish();
                           });
    });
    return fitEnded && fitted;
}

// Prints the loaded page into `file`; whether the engine wrote it.
bool printToFile(QWebEnginePage& page, const QString& file) {
    bool printed = false;
    QMetaObject::Connection connection;
    const bool printEnded = runUntil([&](std::function<void()> finish) {
        connection = QObject::connect(&page, &QWebEnginePage::pdfPrintingFinished, &page,
                                      [&printed, finish](const QString&, bool ok) {
                                          printed = ok;
                                          finish();
                                      });
        page.printToPdf(file, sheetLayout());
    });
    QObject::disconnect(connection);
    return printEnded && printed;
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
    // The document lies beside the pages so that their pictures are found from the same folder.
    QTemporaryFile document(folder + u"/.print-XXXXXX.htm"_s);
    if (!document.open() || document.write(combinedDocument(pages).toUtf8()) < 0 ||
        !document.flush()) {
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
    if (!loadForPrinting(page, document.fileName())) {
        *error = u"the pages could not be loaded for printing"_s;
        return false;
    }
    if (!fitToSheets(page)) {
        *error = u"the pages could not be fitted to the sheets"_s;
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
    if (!printToFile(page, finished) || !QFileInfo(finished).size()) {
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
