#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "app/CommandProgress.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/export/DelimitedExport.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString ExportName = u"tovin-catalog export: "_s;

QList<int> parseColumns(const QString& text) {
    if (text.trimmed().compare(u"all"_s, Qt::CaseInsensitive) == 0) {
        QList<int> all;
        for (int column = 1; column <= 30; ++column)
            all << column;
        return all;
    }
    QList<int> columns;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int column = part.trimmed().toInt(&ok);
        if (!ok || column < 1 || column > 30)
            throw CommandRefusal{u"--columns takes column numbers from 1 to 30 (or all), not \""_s +
                                 part.trimmed() + u"\""_s};
        columns << column;
    }
    if (columns.isEmpty())
        throw CommandRefusal{u"--columns needs at least one column number"_s};
    return columns;
}

DelimitedExport::Encoding encodingFromWord(const QString& word) {
    const QString encoding = word.toLower();
    if (encoding == u"utf-8"_s || encoding == u"utf8"_s)
        return DelimitedExport::Encoding::Utf8;
    if (encoding == u"windows-1252"_s || encoding == u"cp1252"_s)
        return DelimitedExport::Encoding::Windows1252;
    throw CommandRefusal{u"--encoding is utf-8 or windows-1252"_s};
}

int runExport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        CommandArguments args;
        args.option(u"db"_s, u"CATALOGUE"_s)
            .option(u"out"_s, u"FILE"_s)
            .option(u"columns"_s, u"LIST"_s)
            .option(u"divider"_s, u"D"_s)
            .option(u"where"_s, u"COND"_s)
            .option(u"encoding"_s, u"E"_s)
            .flag(u"heading"_s)
            .parse(arguments);
        const QString catalogue = args.value(u"db"_s);
        const QString file = args.value(u"out"_s);
        DelimitedExport exporter;
        // Each value given is checked; the last one counts.
        for (const QString& columns : args.values(u"columns"_s))
            exporter.setColumns(parseColumns(columns));
        if (args.isSet(u"divider"_s)) {
            const QString divider = dividerFromWord(args.value(u"divider"_s));
            if (const std::optional<QString> refusal = DelimitedExport::dividerRefusal(divider))
                throw CommandRefusal{*refusal};
            exporter.setDivider(divider);
        }
        if (args.isSet(u"where"_s))
            exporter.setSearchWhere(args.value(u"where"_s));
        for (const QString& encoding : args.values(u"encoding"_s))
            exporter.setEncoding(encodingFromWord(encoding));
        exporter.setHeading(args.isSet(u"heading"_s));
        if (file.isEmpty())
            throw CommandRefusal{u"--out FILE is required"_s};
        if (!args.isSet(u"columns"_s))
            throw CommandRefusal{
                u"--columns is required (column numbers such as 2,3,12, or all)"_s};
        auto db = openCommandCatalogue(catalogue);
        const ImportOutcome outcome = exporter.run(*db, file);
        CommandProgress::print(out, outcome.totals);
        out << "Wrote " << outcome.counts.edited << " products to " << file << '\n';
        return ExitOk;
    } catch (const CommandRefusal& refusal) {
        err << ExportName << refusal.message << '\n';
    } catch (const RunTimeError& error) {
        err << ExportName << error.description() << '\n';
    }
    return ExitFailure;
}

} // namespace

BatchCommand exportCommand() {
    return {u"export"_s, u"write chosen columns of the products to a delimited text file"_s,
            u"Usage: tovin-catalog export --db CATALOGUE --out FILE --columns N,N,...|all\n"
            u"         [--divider comma|tab|spaces|bracket|TEXT] [--where CONDITION]\n"
            u"         [--encoding utf-8|windows-1252] [--heading]\n\n"
            u"Writes one line per product, in stock-number order, the way the export screen\n"
            u"does: the chosen columns in column order, CR LF line ends.\n\n"
            u"  --db CATALOGUE   the catalogue to read\n"
            u"  --out FILE       the file to write (an existing plain file is replaced only\n"
            u"                   when the whole export succeeded; the catalogue, another\n"
            u"                   catalogue, a folder or a device is refused)\n"
            u"  --columns LIST   column numbers 1 to 30, separated by commas (all: every one):\n"
            u"                   1 Supplier, 2 StockNo, 3 ProdName, 4 ProdDesc, 5 PageNo,\n"
            u"                   6 Packaging, 7-11 Cost1-Cost5, 12 Retail, 13 Price, 14 Weight,\n"
            u"                   15 MinOrdW, 16 MinOrdR, 17 Picture, 18 Catagory, 19 OnSpecial,\n"
            u"                   20 OutStock, 21 Disco, 22 Orderable, 23 Inventory, 24 OnOrder,\n"
            u"                   25 ReOrder, 26 NoSold, 27 Ship1, 28 Ship2, 29 Notes, 30 Taxable\n"
            u"  --divider D      comma (the default), tab, spaces (two spaces), bracket (\"]\")\n"
            u"                   or one or two other characters (not a double quote or a\n"
            u"                   line break, which the import could not read back)\n"
            u"  --where COND     only the products matching COND, a condition as the search\n"
            u"                   screens write them, e.g. \"Supplier = 'Acme' and Retail > 10\"\n"
            u"  --encoding E     utf-8 (the default) or windows-1252 for older programs; a\n"
            u"                   product holding a character windows-1252 lacks is named and\n"
            u"                   nothing is written\n"
            u"  --heading        a first line naming the chosen columns (Stock Number,\n"
            u"                   Retail Price, ...), for spreadsheets; without it there is none\n\n"
            u"Numbers are written in plain decimal, yes/no columns as True or False. A value\n"
            u"holding the divider, a double quote or a line break is put in double quotes\n"
            u"(quotes doubled). An unwritable file, an unusable condition or a bad argument\n"
            u"writes nothing and ends with exit status 2.\n"_s,
            &runExport};
}

} // namespace tovin
