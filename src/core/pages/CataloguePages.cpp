#include "core/pages/CataloguePages.h"

#include "core/pages/PageMarkup.h"
#include "core/pages/PageOptions.h"
#include "core/shell/ProgramFolder.h"
#include "core/shell/RunTimeError.h"
#include "core/shell/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using PageMarkup::q;

const QString Created = u"<font color=Blue> Created Page!"_s;
const QString NotFound = u"<font color=red> Page Not Found!"_s;
const QString Skipped = u"<font color=red> Page Skipped!"_s;
const QString NotWritten = u"<font color=red> Page Not Written!"_s;

// The page number a product is filed under: its PageNo as a whole number; anything else puts
// it on no page.
int pageNumberOf(const QString& pageNo, bool* ok) {
    const int number = pageNo.trimmed().toInt(ok);
    *ok = *ok && number >= 0;
    return number;
}

// The products of each page number, each page in stock-number order.
QMap<int, QList<const PageProduct*>> productsByPage(const QList<PageProduct>& products) {
    QMap<int, QList<const PageProduct*>> pages;
    for (const PageProduct& product : products) {
        bool ok = false;
        const int number = pageNumberOf(product.PageNo, &ok);
        if (ok)
            pages[number] << &product;
    }
    for (auto& list : pages)
        std::stable_sort(list.begin(), list.end(), [](const PageProduct* a, const PageProduct* b) {
            return a->StockNo < b->StockNo;
        });
    return pages;
}

QString fileLabel(int page, int continuation) {
    return continuation == 0 ? QString::number(page)
                             : QString::number(page) + u'-' + QString::number(continuation);
}

} // namespace

CataloguePages::Request CataloguePages::standardRequest(const QString& pagesFolder,
                                                        const QString& name, int from, int to,
                                                        const QString& openCatalogue) {
    Request r;
    r.output.openCatalogue = openCatalogue;
    r.pagesFolder = pagesFolder.endsWith(u'/') ? pagesFolder : pagesFolder + u'/';
    r.name = name;
    r.from = from;
    r.to = to;
    r.cells.style = CellMarkup::Style::ByPageNumber;
    r.cells.noPicture = u"Pictures/NoPic.jpg"_s;
    r.cells.orderAddress = SettingsStore::program().value(u"Settings"_s, u"OrderPage"_s,
                                                          u"http://www.example.com/order.htm"_s);
    const QString back =
        QDir::cleanPath(QDir(QDir::cleanPath(r.pagesFolder))
                            .relativeFilePath(QDir::cleanPath(ProgramFolder::path())));
    r.cells.picturePrefix = back.isEmpty() || back == u"."_s ? QString() : back + u'/';
    return r;
}

int CataloguePages::highestPageNumber(const QList<PageProduct>& products) {
    int highest = 0;
    for (const PageProduct& product : products) {
        bool ok = false;
        const int number = pageNumberOf(product.PageNo, &ok);
        if (ok)
            highest = std::max(highest, number);
    }
    return highest;
}

void CataloguePages::applyRunLayout(PageOptions& o) {
    o.ItemOrder = {PageOptions::ItemNumber,  PageOptions::Picture,      PageOptions::ItemName,
                   PageOptions::Cost,        PageOptions::RetailPrice,  PageOptions::Savings,
                   PageOptions::DetailsLink, PageOptions::PurchaseLink, PageOptions::EmptySlot};
    o.ItemShown.fill(true);
    o.ItemShown[PageOptions::Description] = false;
    o.DetailPages = true;
    if (o.PageTitle.isEmpty())
        o.PageTitle = u"Catalog Page # tq2002-18"_s;
}

QStringList CataloguePages::pageLines(const QList<PageProduct>& products, const PageOptions& o,
                                      const CellMarkup& cells, const QString& title,
                                      const QString& previousFile, const QString& nextFile,
                                      const QStringList& detailFiles) {
    QStringList lines = PageMarkup::headLines(title, o);
    if (!previousFile.isEmpty())
        lines << PageMarkup::navigationButton(q(previousFile), u"buttonprev.gif"_s,
                                              u"Previous Page"_s);
    if (!nextFile.isEmpty())
        lines << PageMarkup::navigationButton(q(nextFile), u"buttonnext.gif"_s, u"Next Page"_s) +
                     u"</p>"_s;
    lines << PageMarkup::tableOpen() << u"<tr>"_s;
    PageMarkup::RowGrid grid(o.ItemsPerRow);
    for (qsizetype i = 0; i < products.size(); ++i) {
        lines << PageMarkup::cellOpen(o.TextPosition);
        lines << cells.elements(products[i], o, detailFiles.value(i));
        lines << u"<p></td>"_s;
        grid.cellDone(lines, i + 1 < products.size());
    }
    lines << PageMarkup::closingLines();
    return lines;
}

QStringList CataloguePages::detailLines(const PageProduct& p, const PageOptions& o,
                                        const QString& mainFile, const QString& picture) {
    QStringList lines{u"<html>"_s,  u"<head>"_s, u"<title>"_s + p.ProdName + u"</title>"_s,
                      u"</head>"_s, u"<body>"_s, u"<center><p>"_s};
    lines << u"<p align="_s + q(u"center"_s) + u'>';
    lines << u"<font face="_s + q(o.FontName) + u'>';
    lines << PageMarkup::navigationButton(q(mainFile), u"buttonprev.gif"_s, u"Previous Page"_s) +
                 u"<p>"_s;
    const QString styled = o.BoldTag + o.ItalicTag + o.UnderlineTag + o.StrikeTag;
    lines << u"<font size="_s + q(u"3"_s) + u"color="_s + q(o.FontColor) + u'>' + styled + u"# "_s +
                 p.StockNo + o.CloseTags + u"</font></font></p>"_s;
    lines << u"<font size="_s + q(QString::number(o.FontSize)) + u"color="_s + q(o.FontColor) +
                 u'>' + styled + p.ProdName + o.CloseTags + u"</font></font></p>"_s;
    lines << u"<p align="_s + q(u"Center"_s) + u'>';
    lines << u"<img border="_s + q(u"2"_s) + u" src="_s + q(picture) + u"></a></p><p>"_s;
    lines << u"<font size="_s + q(u"4"_s) + u'>' + p.ProdDesc + u"</font>"_s;
    lines << u"</center></body>"_s << u"</html>"_s;
    return lines;
}

namespace {

// Every name the run would write is looked at first: one the rules refuse (a catalogue under a
// page's name) stops the run before any file was replaced. A folder in the way is only one page
// that cannot be written, and is reported with it when the pages are written.
void checkNamesFirst(const OutputFolder& folder, const QMap<int, QList<const PageProduct*>>& pages,
                     const CataloguePages::Request& request, int perFile, bool details) {
    const auto check = [&](const QString& fileName) {
        if (const auto sentence = folder.refusal(fileName);
            sentence && !QFileInfo(folder.pathOf(fileName)).isDir())
            throw RunTimeError(ErrorNumber::PathFileAccessError, *sentence);
    };
    const QString& name = request.name;
    for (auto page = pages.lowerBound(request.from);
         page != pages.cend() && page.key() <= request.to; ++page) {
        const int p = page.key();
        const qsizetype count = page->size();
        const int fileCount = perFile == 0 ? 1 : int((count + perFile - 1) / perFile);
        for (int k = 0; k < fileCount; ++k)
            check(name + fileLabel(p, k) + u".htm"_s);
        for (qsizetype i = 0; details && i < count; ++i)
            check(name + u"Dtl"_s + QString::number(p) + u'-' + QString::number(i + 1) + u".htm"_s);
    }
}

// Puts the set in place. A file that cannot be put in place after all (its name taken since it
// was checked) is not written, and its page says so.
void commitSet(OutputFolder& folder, const QHash<QString, qsizetype>& fileOf,
               CataloguePages::Result& result) {
    for (const OutputFolder::Failure& failure : folder.commit()) {
        --result.filesWritten;
        result.anyFailed = true;
        CataloguePages::FileResult& file = result.files[fileOf.value(failure.fileName)];
        file.status = CataloguePages::FileResult::Status::Failed;
        if (file.error.isEmpty())
            file.error = failure.error;
    }
}

} // namespace

CataloguePages::Result CataloguePages::write(const QList<PageProduct>& products,
                                             const PageOptions& o, const Request& request,
                                             const Callbacks& callbacks) {
    if (!PageMarkup::isSafePageName(request.name))
        throw RunTimeError(ErrorNumber::BadFileName,
                           u"Bad file name: "_s + request.name +
                               u" (a page name cannot hold \"/\", \"\\\" or \"..\")"_s);
    auto progress = [&](const QString& html) {
        if (callbacks.progress)
            callbacks.progress(html);
    };
    const QMap<int, QList<const PageProduct*>> pages = productsByPage(products);
    const int highest = pages.isEmpty() ? 0 : pages.lastKey();
    const int perFile = o.ItemsPerPage > 0 ? o.ItemsPerPage : 0;
    const bool details = o.DetailPages && CellMarkup::showsDetails(o);
    const QString& name = request.name;
    auto fileFor = [&](const QString& label) { return name + label + u".htm"_s; };

    // The files are written as one set: what depends on the folder is looked at once, not
    // for each of thousands of files, and the set is saved to disk at once at the end.
    OutputFolder folder(request.pagesFolder, request.output);
    // Thousands of products name their pictures: the picture folders are listed once a run.
    CellMarkup cells = request.cells;
    if (!cells.files)
        cells.files = std::make_shared<ProgramFolder::FileFinder>();

    checkNamesFirst(folder, pages, request, perFile, details);

    Result result;
    QHash<QString, qsizetype> fileOf; // each file written, and the entry of result.files it is for
    for (int p = request.from; p <= request.to; ++p) {
        progress(u"<font size=5>Working On Page: "_s + QString::number(p) + u"..."_s);
        const auto found = pages.constFind(p);
        if (found == pages.cend()) {
            result.files << FileResult{p, 0, {}, FileResult::Status::NotFound, 0, 0, {}};
            progress(u"<font size=3>"_s + NotFound + u"<br></font>"_s);
            continue;
        }
        const QList<const PageProduct*>& onPage = *found;
        const int fileCount = perFile == 0 ? 1 : int((onPage.size() + perFile - 1) / perFile);

        // The neighbouring page numbers that have products; the search walks one number at a
        // time, which the progress shows as one dot per number tried.
        auto lower = pages.lowerBound(p);
        const int previousPage = lower == pages.cbegin() ? 0 : std::prev(lower).key();
        auto higher = pages.upperBound(p);
        const int nextPage = higher == pages.cend() ? 0 : higher.key();
        progress(QString(p > 1 ? (previousPage > 0 ? p - previousPage : p - 1) : 0, u'.') +
                 QString(nextPage > 0 ? nextPage - p : highest - p, u'.'));

        for (int k = 0; k < fileCount; ++k) {
            if (k > 0)
                progress(u"<font size=5>Working On Page: "_s + fileLabel(p, k) + u"..."_s);
            const qsizetype first = perFile == 0 ? 0 : qsizetype(k) * perFile;
            const qsizetype count =
                perFile == 0 ? onPage.size() : std::min<qsizetype>(perFile, onPage.size() - first);
            FileResult file{p, k, fileFor(fileLabel(p, k)), FileResult::Status::Created, int(count),
                            0, {}};
            const QString path = request.pagesFolder + file.fileName;

            const QString previous =
                k > 0 ? fileFor(fileLabel(p, k - 1))
                      : (p > 1 && previousPage > 0 ? fileFor(QString::number(previousPage))
                                                   : QString());
            const QString next =
                k + 1 < fileCount ? fileFor(fileLabel(p, k + 1))
                                  : (nextPage > 0 ? fileFor(QString::number(nextPage)) : QString());

            if (!o.OverwritePages && QFileInfo::exists(path) &&
                !(callbacks.overwrite && callbacks.overwrite(file.fileName))) {
                file.status = FileResult::Status::Skipped;
                result.files << file;
                progress(u"<font size=3>"_s + Skipped + u"<br></font>"_s);
                continue;
            }

            QList<PageProduct> cellProducts;
            QStringList detailFiles;
            for (qsizetype i = 0; i < count; ++i) {
                cellProducts << *onPage[first + i];
                detailFiles << name + u"Dtl"_s + QString::number(p) + u'-' +
                                   QString::number(first + i + 1) + u".htm"_s;
            }
            const QString title = PageMarkup::titleForPage(o.PageTitle, fileLabel(p, k));
            try {
                if (details) {
                    const QString mainFile = fileFor(QString::number(p));
                    for (qsizetype i = 0; i < count; ++i) {
                        progress(u"."_s);
                        folder.write(detailFiles[i], PageMarkup::fileBytes(detailLines(
                                                         cellProducts[i], o, mainFile,
                                                         cells.pictureOf(cellProducts[i]).link)));
                        fileOf.insert(detailFiles[i], result.files.size());
                        ++file.detailPages;
                        ++result.filesWritten;
                    }
                }
                folder.write(file.fileName, PageMarkup::fileBytes(pageLines(
                                                cellProducts, o, cells, title, previous, next,
                                                details ? detailFiles : QStringList())));
                fileOf.insert(file.fileName, result.files.size());
                ++result.filesWritten;
            } catch (const RunTimeError& error) {
                file.status = FileResult::Status::Failed;
                file.error = error.description();
                result.anyFailed = true;
            }
            result.files << file;
            progress(u"<font size=3>"_s +
                     (file.status == FileResult::Status::Created ? Created : NotWritten) +
                     u"<br></font>"_s);
        }
    }
    commitSet(folder, fileOf, result);
    return result;
}

} // namespace tovin
