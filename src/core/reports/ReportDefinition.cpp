#include "core/reports/ReportDefinition.h"

#include "core/base/RunTimeError.h"
#include "core/reports/ProgramList.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Error 321: the file is not in the form the program reads.
constexpr int InvalidFileFormat = 321;

[[noreturn]] void refuse(int lineNumber, const QString& why) {
    throw RunTimeError(InvalidFileFormat,
                       u"Line %1 of the report file: %2"_s.arg(lineNumber).arg(why));
}

QStringList fieldList(const QString& value) {
    QStringList fields;
    for (const QString& part : value.split(u',', Qt::SkipEmptyParts))
        if (const QString field = part.trimmed(); !field.isEmpty())
            fields << field;
    return fields;
}

bool isSingleSelect(const QString& sql) {
    static const QRegularExpression start(u"^\\s*(select|with)\\b"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    // One statement only: the report reads, it never writes.
    QString rest = sql.trimmed();
    if (rest.endsWith(u';'))
        rest.chop(1);
    return start.match(rest).hasMatch() && !rest.contains(u';');
}

} // namespace

ReportDefinition ReportDefinition::parse(const QString& text) {
    ReportDefinition report;
    const QStringList lines = text.split(u'\n');
    // Header entries with the number of the line they start on; continuation lines join them.
    QList<std::pair<int, QString>> entries;
    qsizetype pageLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed() == u"page:"_s) {
            pageLine = i;
            break;
        }
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        if (line.at(0).isSpace() && !entries.isEmpty())
            entries.last().second += u' ' + line.trimmed();
        else
            entries.append({int(i + 1), line.trimmed()});
    }
    if (pageLine < 0)
        throw RunTimeError(InvalidFileFormat, u"The report file has no \"page:\" line"_s);
    report.page = lines.mid(pageLine + 1).join(u'\n');

    static const QRegularExpression listName(u"^[A-Za-z_][A-Za-z0-9_]*$"_s);
    static const QRegularExpression dataKey(u"^data\\s+([A-Za-z_][A-Za-z0-9_]*)"
                                            u"(?:\\.([A-Za-z_][A-Za-z0-9_]*))?$"_s);
    for (const auto& [number, entry] : entries) {
        const qsizetype colon = entry.indexOf(u':');
        if (colon <= 0)
            refuse(number, u"expected \"key: value\""_s);
        const QString key = entry.left(colon).trimmed();
        const QString value = entry.mid(colon + 1).trimmed();
        if (key == u"title"_s) {
            report.title = value;
        } else if (key == u"landscape"_s) {
            report.landscape = value.compare(u"yes"_s, Qt::CaseInsensitive) == 0;
        } else if (key == u"money"_s) {
            report.moneyFields << fieldList(value);
        } else if (key == u"date"_s) {
            report.dateFields << fieldList(value);
        } else if (const auto match = dataKey.match(key); match.hasMatch()) {
            Data data;
            data.name = match.captured(2).isEmpty() ? match.captured(1) : match.captured(2);
            data.parent = match.captured(2).isEmpty() ? QString() : match.captured(1);
            data.select = value;
            if (!isSingleSelect(value))
                refuse(number, u"\"%1\" must be one SELECT statement"_s.arg(key));
            const bool parentKnown =
                data.parent.isEmpty() ||
                std::any_of(report.data.cbegin(), report.data.cend(),
                            [&](const Data& d) { return d.name == data.parent; });
            if (!parentKnown)
                refuse(number, u"the list \"%1\" is not declared before it"_s.arg(data.parent));
            // The program's lists hold no stored row to read a list under.
            if (std::any_of(report.data.cbegin(), report.data.cend(), [&](const Data& d) {
                    return d.name == data.parent && !d.source.isEmpty();
                }))
                refuse(number, u"the list \"%1\" can have no lists under it"_s.arg(data.parent));
            report.data.append(data);
        } else if (key.startsWith(u"rows "_s)) {
            Data data;
            data.name = key.mid(5).trimmed();
            data.source = value;
            if (!listName.match(data.name).hasMatch())
                refuse(number, u"\"%1\" is no list name"_s.arg(data.name));
            if (!ProgramList::exists(value))
                refuse(number, u"the program makes no list \"%1\""_s.arg(value));
            report.data.append(data);
        } else {
            refuse(number, u"unknown key \"%1\""_s.arg(key));
        }
    }
    if (report.title.isEmpty())
        throw RunTimeError(InvalidFileFormat, u"The report file has no title"_s);
    return report;
}

ReportDefinition ReportDefinition::read(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw RunTimeError(ErrorNumber::FileNotFound, u"File not found: "_s + path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError)
        throw RunTimeError(ErrorNumber::PathFileAccessError, u"Could not read "_s + path);
    return parse(QString::fromUtf8(bytes));
}

} // namespace tovin
