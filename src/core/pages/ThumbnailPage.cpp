#include "core/pages/ThumbnailPage.h"

#include "core/base/RunTimeError.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/PageMarkup.h"
#include "core/pages/PageOptions.h"
#include "core/text/NumberText.h"

#include <QDir>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

using PageMarkup::q;

int ThumbnailPage::sizeFromBox(const QString& text) {
    if (text.isEmpty())
        return 100;
    if (!TextRules::IsNumeric(text))
        return 0;
    try {
        return TextRules::CInt(text);
    } catch (const RunTimeError&) {
        return 0; // too large for the size box
    }
}

QString ThumbnailPage::pictureAddress(const QString& stored) {
    if (stored.isEmpty() || PageMarkup::isWebAddress(stored))
        return stored;
    return QUrl::fromLocalFile(QDir::cleanPath(ProgramFolder::resolveFile(stored)))
        .toString(QUrl::FullyEncoded);
}

QStringList ThumbnailPage::headLines(const PageOptions& o) {
    return {u"<html>"_s,
            u"<head>"_s,
            u"<title>"_s + u"Thumnbails"_s + u"</title>"_s,
            u"</head>"_s,
            u"<body>"_s,
            u"<body bgcolor="_s + q(u"silver"_s) + u'>',
            u"<p align="_s + q(o.PageAlign) + u'>',
            u"<font face="_s + q(o.FontName) + u'>',
            u"<p align="_s + q(u"left"_s) + u'>',
            u"<table border=1 cellpadding=2 cellspacing=2 style=border-style:solid; "
            u"border-width:1; border-collapse: collapse; padding-left:4; padding-right:4; "
            u"padding-top:4; padding-bottom:4 bordercolor=black bgcolor=white width=100% "
            u"id=Table1>"_s,
            u"<tr>"_s};
}

QStringList ThumbnailPage::cellLines(int item, const QString& stockNo, const QString& picture,
                                     int size, bool ticked) {
    const QString i = QString::number(item);
    return {u"<td width="_s + q(u"20%"_s) + u" align="_s + q(u"center"_s) + u" halign="_s +
                q(u"center"_s) + u" valign="_s + q(u"top"_s) + u" bgcolor=silver>"_s,
            u"<form method=POST action=''><p align="_s + q(u"center"_s) + u'>',
            u"<input type=checkbox name=CH_"_s + i + u" value="_s + q(u"ON"_s) +
                u" onClick=window.navigate('"_s + u"Vex_"_s + i +
                (ticked ? u"') checked>"_s : u"')>"_s) + stockNo + u"</p>"_s,
            u"</form></font>"_s,
            u"<a href="_s + q(pictureAddress(PageMarkup::largePictureOf(picture))) + u'>',
            u"<img border="_s + q(u"2"_s) + u" src="_s + q(pictureAddress(picture)) + u" width="_s +
                q(QString::number(size)) + u" align="_s + q(u"top"_s) + u"></a>"_s,
            u"<p></td>"_s};
}

QStringList ThumbnailPage::cellWithBreak(int item, int count, const QString& stockNo,
                                         const QString& picture, int size, bool ticked) {
    QStringList lines = cellLines(item, stockNo, picture, size, ticked);
    if (item % CellsPerRow == 0 && item < count)
        lines << u"</tr>"_s << u"<tr>"_s;
    return lines;
}

QStringList ThumbnailPage::pageLines(const QList<QPair<QString, QString>>& items, int size,
                                     const QVector<std::int16_t>& ticks,
                                     const PageOptions& options) {
    QStringList lines = headLines(options);
    const int count = int(items.size());
    for (int i = 1; i <= count; ++i)
        lines << cellWithBreak(i, count, items[i - 1].first, items[i - 1].second, size,
                               ticks.value(i - 1) > 0);
    lines << closingLines();
    return lines;
}

QStringList ThumbnailPage::closingLines() {
    return PageMarkup::closingLines();
}

} // namespace tovin
