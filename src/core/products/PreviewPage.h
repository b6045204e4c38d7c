#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace tovin {

// The columns of the current product that its preview page shows, as text (Cost1 stays a
// number; a null cost shows nothing).
struct PreviewProduct {
    QString StockNo;
    QString PageNo;
    QString ProdName;
    QString ProdDesc;
    QVariant Cost1;
    QString Packaging;
    QString Picture; // as stored: may use "\" and differ in letter case from the file
};

// The page "page.htm" in the program folder that shows the current product in the Products
// screen's web view: a full card beside nothing else (large), or the picture alone beside the
// edit boxes (small).
class PreviewPage {
public:
    enum class Size { Large, Small };

    // The view/edit switch reads "View Mode" while the small preview is shown.
    static Size sizeForCaption(const QString& showPicCaption);

    // The lines of the page, without line ends.
    static QStringList lines(const PreviewProduct& product, Size size);

    // ProgramFolder::path() + "page.htm".
    static QString path();

    // Writes the page (UTF-8), each line ended by CR LF, over the previous one. Raises
    // RunTimeError when the file cannot be opened for writing, which leaves the previous page as
    // it was, and refuses to write over `openCatalogue` (the catalogue the program has open).
    // Returns the path written.
    static QString write(const PreviewProduct& product, Size size, const QString& openCatalogue);
};

} // namespace tovin
