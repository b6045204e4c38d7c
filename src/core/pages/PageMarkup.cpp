#include "core/pages/PageMarkup.h"

#include "core/files/OutputFile.h"
#include "core/pages/PageOptions.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin::PageMarkup {

namespace {
const QString Marker = u"tq2002"_s;
}

QString q(const QString& text) {
    return u'"' + text + u'"';
}

QString largePictureOf(const QString& picture) {
    const qsizetype gif = picture.indexOf(u".gif"_s);
    if (gif < 0)
        return picture;
    return picture.left(gif + 1) + u"jpg"_s;
}

bool isWebAddress(const QString& path) {
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]+:"_s);
    return scheme.match(path).hasMatch();
}

bool hasPageNumberMarker(const QString& title) {
    return title.contains(Marker);
}

QString titleForPage(const QString& title, const QString& number) {
    const qsizetype marker = title.indexOf(Marker);
    if (marker < 0)
        return title;
    return title.left(marker) + number;
}

QStringList headLines(const QString& heading, const PageOptions& o,
                      const std::optional<QString>& bodyLine) {
    QStringList lines{u"<html>"_s, u"<head>"_s, u"<title>"_s + heading + u"</title>"_s,
                      u"</head>"_s, u"<body>"_s};
    if (bodyLine)
        lines << *bodyLine;
    lines << u"<p>"_s;
    lines << u"<p align="_s + q(o.PageAlign) + u'>';
    lines << u"<font face="_s + q(o.FontName) + u'>';
    lines << u"<font size="_s + q(QString::number(o.FontSize)) + u"color="_s + q(o.FontColor) +
                 u'>' + o.BoldTag + o.ItalicTag + o.UnderlineTag + o.StrikeTag + heading +
                 o.CloseTags + u"</font></font></p>"_s;
    lines << u"<p align="_s + q(u"Center"_s) + u'>';
    return lines;
}

QString navigationButton(const QString& href, const QString& image, const QString& alt) {
    return u"<a HREF="_s + href + u"><img SRC="_s + q(image) + u" BORDER="_s + q(u"0"_s) +
           u" ALT="_s + q(alt) + u" ALIGN="_s + q(u"middle"_s) + u" WIDTH="_s + q(u"75"_s) +
           u" HEIGHT="_s + q(u"20"_s) + u"></a>"_s;
}

QString tableOpen() {
    return u"<table border="_s + q(u"0"_s) + u" cellpadding="_s + q(u"4"_s) + u" cellspacing="_s +
           q(u"0"_s) + u" style="_s + q(u"border-collapse: collapse"_s) + u" bordercolor="_s +
           q(u"#111111"_s) + u" width="_s + q(u"100%"_s) + u" id="_s + q(u"AutoNumber1"_s) + u'>';
}

QStringList closingLines() {
    return {u"</td>"_s, u"</tr>"_s, u"</table>"_s, u"</td>"_s, u"</body>"_s, u"</html>"_s};
}

QString cellOpen(const QString& textPosition) {
    const QString position = textPosition.isEmpty() ? u"top"_s : textPosition;
    return u"<td width="_s + q(u"100"_s) + u" align="_s + q(u"Left"_s) + u" valign="_s +
           q(position) + u'>';
}

void RowGrid::cellDone(QStringList& lines, bool anotherFollows) {
    if (++m_inRow < m_perRow)
        return;
    m_inRow = 0;
    if (anotherFollows)
        lines << u"</tr>"_s << u"<tr>"_s;
}

QString catalogueMoney(Money value) {
    return value.format(u"#,###.#0"_s);
}

QString pictureMoney(Money value) {
    return value.format(u"$#,###.00"_s);
}

bool isSafePageName(const QString& name) {
    if (name.trimmed().isEmpty())
        return false;
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(u".."_s))
        return false;
    for (const QChar c : name)
        if (c.unicode() < 0x20)
            return false;
    return true;
}

QByteArray fileBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

void writeLines(const QString& path, const QStringList& lines, const OutputRules& rules) {
    OutputFile::write(path, fileBytes(lines), rules);
}

} // namespace tovin::PageMarkup
