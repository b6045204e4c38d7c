#include "core/pages/CataloguePages.h"

#include "core/base/RunTimeError.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/PageMarkup.h"
#include "core/pages/PageOptions.h"
#include "core/pages/PagePlan.h"
#include "core/settings/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using PageMarkup::q;

const QString Created = u"<font color=Blue> Created Page!"_s;
const QString NotFound = u"<font color=red> Page Not Found!"_s;
const QString Skipped = u"<font color=red> Page Skipped!"_s;
const QString NotWritten = u"<font color=red> Page Not Written!"_s;

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
    for (const PageProduct& product : products)
        if (int number = 0; PagePlan::pageNumberOf(product, &number))
            highest = std::max(highest, number);
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
void checkNamesFirst(const OutputFolder& folder, const QStringList& fileNames) {
    for (const QString& fileName : fileNames)
        if (const auto sentence = folder.refusal(fileName);
            sentence && !QFileInfo(folder.pathOf(fileName)).isDir())
            throw RunTimeError(ErrorNumber::PathFileAccessError, *sentence);
}

// Renders the planned files and writes them as one set: what depends on the folder is looked
// at once, not for each of thousands of files, and the set is saved to disk at once at the end.
class PlannedPagesWriter {
    using FileResult = CataloguePages::FileResult;
    using Status = FileResult::Status;

public:
    PlannedPagesWriter(const QList<PageProduct>& products, const PageOptions& options,
                       const CataloguePages::Request& request,
                       const CataloguePages::Callbacks& callbacks)
        : m_products(products), m_options(options), m_request(request), m_callbacks(callbacks),
          m_folder(request.pagesFolder, request.output), m_cells(request.cells) {
        // Thousands of products name their pictures: the picture folders are listed once a run.
        if (!m_cells.files)
            m_cells.files = std::make_shared<ProgramFolder::FileFinder>();
    }

    CataloguePages::Result write(const PagePlan& plan) {
        checkNamesFirst(m_folder, plan.fileNames());
        for (const PagePlan::Page& page : plan.pages()) {
            progress(u"<font size=5>Working On Page: "_s + QString::number(page.number) + u"..."_s);
            if (page.files.isEmpty()) {
                m_result.files << FileResult{page.number, 0, {}, Status::NotFound, 0, 0, {}};
                progress(u"<font size=3>"_s + statusText(Status::NotFound) + u"<br></font>"_s);
                continue;
            }
            progress(QString(page.numbersTried, u'.'));
            for (const PagePlan::File& planned : page.files) {
                if (planned.continuation > 0)
                    progress(u"<font size=5>Working On Page: "_s + planned.label + u"..."_s);
                const FileResult file = writeFile(planned);
                m_result.files << file;
                progress(u"<font size=3>"_s + statusText(file.status) + u"<br></font>"_s);
            }
        }
        commitSet();
        return m_result;
    }

private:
    static const QString& statusText(Status status) {
        switch (status) {
        case Status::Created:
            return Created;
        case Status::NotFound:
            return NotFound;
        case Status::Skipped:
            return Skipped;
        case Status::Failed:
            break;
        }
        return NotWritten;
    }

    void progress(const QString& html) const {
        if (m_callbacks.progress)
            m_callbacks.progress(html);
    }

    // An existing file is written over only with OverwritePages on or the user's yes.
    bool mayWrite(const QString& fileName) const {
        return m_options.OverwritePages || !QFileInfo::exists(m_request.pagesFolder + fileName) ||
               (m_callbacks.overwrite && m_callbacks.overwrite(fileName));
    }

    FileResult writeFile(const PagePlan::File& planned) {
        FileResult file{planned.pageNumber,
                        planned.continuation,
                        planned.fileName,
                        Status::Created,
                        int(planned.products.size()),
                        0,
                        {}};
        if (!mayWrite(file.fileName)) {
            file.status = Status::Skipped;
            return file;
        }
        QList<PageProduct> cellProducts;
        for (const qsizetype index : planned.products)
            cellProducts << m_products[index];
        const qsizetype entry = m_result.files.size();
        try {
            for (qsizetype i = 0; i < planned.detailFiles.size(); ++i) {
                progress(u"."_s);
                const PageProduct& product = cellProducts[i];
                m_folder.write(
                    planned.detailFiles[i],
                    PageMarkup::fileBytes(CataloguePages::detailLines(
                        product, m_options, planned.mainFile, m_cells.pictureOf(product).link)));
                m_fileOf.insert(planned.detailFiles[i], entry);
                ++file.detailPages;
                ++m_result.filesWritten;
            }
            const QString title = PageMarkup::titleForPage(m_options.PageTitle, planned.label);
            m_folder.write(file.fileName,
                           PageMarkup::fileBytes(CataloguePages::pageLines(
                               cellProducts, m_options, m_cells, title, planned.previous,
                               planned.next, planned.detailFiles)));
            m_fileOf.insert(file.fileName, entry);
            ++m_result.filesWritten;
        } catch (const RunTimeError& error) {
            file.status = Status::Failed;
            file.error = error.description();
            m_result.anyFailed = true;
        }
        return file;
    }

    // Puts the set in place. A file that cannot be put in place after all (its name taken
    // since it was checked) is not written, and its page says so.
    void commitSet() {
        for (const OutputFolder::Failure& failure : m_folder.commit()) {
            --m_result.filesWritten;
            m_result.anyFailed = true;
            FileResult& file = m_result.files[m_fileOf.value(failure.fileName)];
            file.status = Status::Failed;
            if (file.error.isEmpty())
                file.error = failure.error;
        }
    }

    const QList<PageProduct>& m_products;
    const PageOptions& m_options;
    const CataloguePages::Request& m_request;
    const CataloguePages::Callbacks& m_callbacks;
    OutputFolder m_folder;
    CellMarkup m_cells;
    CataloguePages::Result m_result;
    QHash<QString, qsizetype> m_fileOf; // each file written, and its entry of m_result.files
};

} // namespace

CataloguePages::Result CataloguePages::write(const QList<PageProduct>& products,
                                             const PageOptions& o, const Request& request,
                                             const Callbacks& callbacks) {
    if (!PageMarkup::isSafePageName(request.name))
        throw RunTimeError(ErrorNumber::BadFileName,
                           u"Bad file name: "_s + request.name +
                               u" (a page name cannot hold \"/\", \"\\\" or \"..\")"_s);
    const PagePlan plan =
        PagePlan::make(products, {request.name, request.from, request.to, o.ItemsPerPage,
                                  o.DetailPages && CellMarkup::showsDetails(o)});
    return PlannedPagesWriter(products, o, request, callbacks).write(plan);
}

} // namespace tovin
