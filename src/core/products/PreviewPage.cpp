#include "core/products/PreviewPage.h"

#include "core/files/ProgramFolder.h"
#include "core/pages/PageMarkup.h"
#include "core/text/Money.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QString costText(const QVariant& cost) {
    if (cost.isNull() || !cost.isValid())
        return {};
    return Money::fromValue(cost).value_or(Money()).format(u"$#,###.00"_s);
}
} // namespace

PreviewPage::Size PreviewPage::sizeForCaption(const QString& showPicCaption) {
    return showPicCaption == u"View Mode"_s ? Size::Small : Size::Large;
}

QStringList PreviewPage::lines(const PreviewProduct& product, Size size) {
    const bool large = size == Size::Large;
    const QString w = large ? u"100"_s : u"85"_s;
    const bool hasPicture = ProgramFolder::fileExists(product.Picture);
    const QString picture =
        hasPicture ? product.Picture : ProgramFolder::resolveFile(u"Pictures/NoPic.jpg"_s);
    const QChar quote = u'"';

    QStringList page;
    page << u"<body>"_s << u"<body bgcolor=silver>"_s;
    page << u"<div align="_s + quote + u"Center"_s + quote + u">"_s;
    page << u"<table border=2 cellpadding=4 cellspacing=4 style=border-style:solid; "
            "border-width:4; border-collapse: collapse; padding-left:4; padding-right:4; "
            "padding-top:4; padding-bottom:4 bordercolor=black bgcolor=#7C7C7C height=100% "
            "width="_s +
                w + u"% Id = Table1>"_s;
    if (large) {
        page << u"<tr>"_s;
        page << u"<td width="_s + w + u"% align=center height=10% bgcolor=#EEEEEE>"_s;
        page << u"<p align=center><font size=4 font color=blue>"_s + product.StockNo +
                    u"</font><br><font size=2>Page #"_s + product.PageNo + u"</font></td>"_s;
        page << u"</tr>"_s;
        page << u"<tr>"_s;
        page << u"<td width="_s + w + u"% align=center height=10% bgcolor=white>"_s;
        page << u"<p align=center>"_s + product.ProdName + u"</td>"_s;
        page << u"</tr>"_s;
    }
    page << u"<tr>"_s;
    page << u"<td width="_s + w + u"% align=center height=60% bgcolor=#D4D4D4>"_s;
    if (hasPicture)
        page << u"<a href="_s + quote + PageMarkup::largePictureOf(product.Picture) + quote +
                    u">"_s;
    page << u"<img border=0 href="_s + quote + picture + quote + u" src="_s + quote + picture +
                quote + u" height="_s + w + (large ? u"%"_s : u" %"_s) + u" align=center alt="_s +
                quote + product.StockNo + quote + u"></a></td>"_s;
    page << u"</tr>"_s;
    if (large) {
        page << u"<tr>"_s;
        page << u"<td width="_s + w + u"% align=center height=10% bgcolor=white>"_s;
        page << u"<p align=left>"_s + product.ProdDesc + u"</td>"_s;
        page << u"</tr>"_s;
        page << u"<tr>"_s;
        page << u"<td width="_s + w + u"% align=center height=10% bgcolor=#EEEEEE>"_s;
        page << u"<p align=center>Your Cost: "_s + costText(product.Cost1) +
                    u"<br><font size=1> PKG: "_s + product.Packaging + u"</td>"_s;
        page << u"</tr>"_s;
    }
    page << u"</table>"_s << u"</body>"_s;
    return page;
}

QString PreviewPage::path() {
    return ProgramFolder::path() + u"page.htm"_s;
}

QString PreviewPage::write(const PreviewProduct& product, Size size, const QString& openCatalogue) {
    const QString target = path();
    PageMarkup::writeLines(target, lines(product, size), OutputRules{openCatalogue});
    return target;
}

} // namespace tovin
