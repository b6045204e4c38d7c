#include "core/pages/CellMarkup.h"

#include "core/files/ProgramFolder.h"
#include "core/pages/PageMarkup.h"
#include "core/pages/PageOptions.h"
#include "core/text/ValueText.h"

#include <QDir>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using PageMarkup::q;

bool hasNumber(const QVariant& value) {
    return value.isValid() && !value.isNull() && value.canConvert<double>() &&
           !value.toString().trimmed().isEmpty();
}

// Costs and prices come from the file as Money; an amount that cannot be one shows as none.
Money amountOf(const QVariant& value) {
    return Money::fromValue(value).value_or(Money());
}

QString smallButton(const QString& href, const QString& image, const QString& alt) {
    return u"<a href="_s + q(href) + u"><img SRC="_s + q(image) + u" BORDER="_s + q(u"0"_s) +
           u" ALT="_s + q(alt) + u" ALIGN="_s + q(u"middle"_s) + u" WIDTH="_s + q(u"57"_s) +
           u" HEIGHT="_s + q(u"17"_s) + u"></a>"_s;
}

} // namespace

QString CellMarkup::placedAddress(const QString& stored) const {
    if (stored.isEmpty() || PageMarkup::isWebAddress(stored))
        return stored;
    // Stored paths come from Windows data ("\", any letter case) or name the program folder in
    // full; a page that is uploaded keeps only what is relative to it, so a file of the program
    // folder is written in its real letter case behind the way back from the page.
    const QString resolved =
        QDir::cleanPath(files ? files->resolve(stored) : ProgramFolder::resolveFile(stored));
    const QString root = QDir::cleanPath(ProgramFolder::path()) + u'/';
    if (resolved.startsWith(root))
        return picturePrefix + resolved.mid(root.size());
    return resolved;
}

CellMarkup::Picture CellMarkup::pictureOf(const PageProduct& product) const {
    const QString& path = product.Picture;
    const auto fileExists = [&](const QString& stored) {
        return files ? files->exists(stored) : ProgramFolder::fileExists(stored);
    };
    auto placed = [&](const QString& source, const QString& link) {
        return Picture{placedAddress(source), placedAddress(link)};
    };
    if (style == Style::ByPageNumber) {
        if (path.isEmpty() || !fileExists(path))
            return placed(noPicture, noPicture);
        return placed(path, PageMarkup::largePictureOf(path));
    }
    const QString large = PageMarkup::largePictureOf(path);
    if (large != path && fileExists(large))
        return placed(path, large);
    return placed(path, path);
}

bool CellMarkup::showsDetails(const PageOptions& o) {
    for (const std::int16_t code : o.ItemOrder)
        if (code == PageOptions::DetailsLink && o.ItemShown[PageOptions::DetailsLink])
            return true;
    return false;
}

QStringList CellMarkup::elements(const PageProduct& p, const PageOptions& o,
                                 const QString& detailPage) const {
    const bool byNumber = style == Style::ByPageNumber;
    // By page number the cost is the column the cost level names; the picture pages show Cost1.
    const int level = byNumber ? std::clamp<int>(o.CostLevel, 0, 4) : 0;
    const QVariant& cost = p.Cost[level];
    // Imports leave a cost they were not given at zero: no product is given away, so an empty
    // or zero cost is no cost to publish, nor a saving worked out from it.
    const bool hasCost = hasNumber(cost) && cost.toDouble() != 0.0;
    auto money = [&](Money value) {
        return byNumber ? PageMarkup::catalogueMoney(value) : PageMarkup::pictureMoney(value);
    };
    const QString dollar = byNumber ? u"$"_s : QString();

    QStringList lines;
    for (const std::int16_t code : o.ItemOrder) {
        if (code < 0 || code >= PageOptions::SlotCount || !o.ItemShown[code])
            continue;
        switch (code) {
        case PageOptions::Picture: {
            const Picture picture = pictureOf(p);
            lines << u"<a href="_s + q(picture.link) + u'>';
            if (byNumber) {
                const QString size = o.PictureSize.contains(u'=')
                                         ? o.PictureSize
                                         : o.PictureSize + u'=' + q(QString::number(o.ImageWidth));
                lines << u"<img border="_s + q(u"1"_s) + u" src="_s + q(picture.source) + u' ' +
                             size + u" align="_s + q(u"center"_s) + u"></a>"_s;
            } else {
                const bool clip = picture.source.endsWith(u"avi"_s, Qt::CaseInsensitive);
                lines << u"<img border="_s + q(o.ImageBorder) +
                             (clip ? u" dynsrc="_s : u" src="_s) + q(picture.source) + u' ' +
                             o.PictureSize + u" align="_s + q(u"center"_s) + u"></a>"_s;
            }
            break;
        }
        case PageOptions::ItemNumber:
            if (byNumber)
                lines << u"<font size=3><b>"_s + p.StockNo + u"</font></b>"_s;
            else
                lines << u"<a href="_s + q(pictureOf(p).link) + u"><font face="_s + q(o.FontName) +
                             u"><font size=1 color="_s + q(o.FontColor) + u"><b>"_s + p.StockNo +
                             u"</font></b></a>"_s;
            break;
        case PageOptions::ItemName:
            if (byNumber)
                lines << u"<font size="_s + q(u"2"_s) + u"><b>"_s + p.ProdName +
                             u"</b></font><br>"_s;
            else
                lines << u"<font face="_s + q(o.FontName) + u"><font size=2 color="_s +
                             q(o.FontColor) + u'>' + p.ProdName + u"</font><p>"_s;
            break;
        case PageOptions::Description:
            lines << u"<font size="_s + q(u"1"_s) + u'>' + p.ProdDesc + u"</font><p>"_s;
            break;
        case PageOptions::RetailPrice: {
            // By page number the retail price is written as stored.
            QString retail;
            if (byNumber)
                retail = TextRules::toText(p.Retail);
            else if (hasNumber(p.Retail))
                retail = money(amountOf(p.Retail));
            lines << u"<font size="_s + q(u"2"_s) + u">Retail: "_s + dollar + retail + u"<br>"_s;
            break;
        }
        case PageOptions::DetailsLink:
            lines << u"<br>"_s +
                         smallButton(byNumber ? detailPage : u" "_s, u"moreinfo.gif"_s,
                                     u"See The Details!"_s) +
                         (byNumber ? u"<br><br>"_s : u"<br>"_s);
            break;
        case PageOptions::Cost:
            if (hasCost)
                lines << u"Your Cost: "_s + dollar + money(amountOf(cost)) + u"</font><br>"_s;
            break;
        case PageOptions::Savings:
            // A product without a retail price or a cost has no saving to show.
            if (hasCost && hasNumber(p.Retail))
                lines << u"<font size="_s + q(u"3"_s) + u" color="_s + q(u"green"_s) +
                             u">Savings: "_s + dollar + money(amountOf(p.Retail) - amountOf(cost)) +
                             u"</font><p>"_s;
            break;
        case PageOptions::PurchaseLink:
            lines << smallButton(byNumber ? orderAddress : u" "_s, u"buynow.gif"_s,
                                 u"Order Now!"_s);
            break;
        }
    }
    return lines;
}

} // namespace tovin
