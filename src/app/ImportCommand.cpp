#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "app/CommandProgress.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/ProgramFolder.h"
#include "core/import/AccessTableImport.h"
#include "core/import/FixedMappings.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportReport.h"
#include "core/import/ImportWords.h"
#include "core/import/RememberedMapping.h"
#include "core/import/SourceFile.h"
#include "core/import/SupplierFileImport.h"
#include "core/import/TextImportSession.h"
#include "core/margins/MarginSettings.h"
#include "core/storage/CatalogueFailure.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString ImportName = u"tovin-catalog import: "_s;

// Everything the command line says about one import.
struct ImportRequest {
    QString catalogue;
    QString source;
    std::optional<QString> divider;
    std::optional<qsizetype> startLine;
    std::optional<FieldMap> map;
    QString table;
    QList<FixedMappings::SupplierFile> supplierFiles;
    bool editOnly = false;
    bool skipDiscontinued = false;
    QString supplier;
    std::optional<QString> note;
    QString encoding;
    bool decimalComma = false;
    bool dryRun = false;
    bool mappingFromLast = false;
    bool keepMargins = false;
};

// Prints the progress lines at a readable rate (every 1000 items, and the last one) when a
// person watches, the rows refused along the way, and the totals.
class ProgressPrinter {
public:
    ProgressPrinter(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

    ProgressCallback callback() {
        return [this](const ImportProgress& progress) {
            if (progress.status.isEmpty())
                return true; // nothing has been read yet
            m_last = progress.status;
            m_printed = (++m_calls % Every) == 0;
            if (m_printed)
                CommandProgress::print(m_out, progress.status);
            return true;
        };
    }
    std::function<void(const RunTimeError&)> errorHandler() {
        return [this](const RunTimeError& error) {
            if (++m_errors <= MaxErrorLines)
                m_err << ImportName << "passed over " << error.description() << '\n';
        };
    }
    void finish(const ImportOutcome& outcome) {
        if (!m_printed && m_calls > 0)
            CommandProgress::print(m_out, m_last);
        if (m_errors > MaxErrorLines)
            m_err << ImportName << m_errors << " values or items were passed over in all\n";
        m_out << outcome.totals << '\n';
        m_calls = 0;
        m_errors = 0;
        m_printed = false;
    }

private:
    static constexpr qint64 Every = 1000;
    static constexpr int MaxErrorLines = 20;
    QTextStream& m_out;
    QTextStream& m_err;
    qint64 m_calls = 0;
    int m_errors = 0;
    bool m_printed = false;
    QString m_last;
};

int parseNumber(const QString& text, const QString& what) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0)
        throw CommandRefusal{what + u" must be a whole number of 0 or more, not \""_s + text +
                             u"\""_s};
    return value;
}

ImportRequest parseArguments(const QStringList& arguments) {
    CommandArguments args;
    const std::pair<QString, QString> valued[] = {
        {u"db"_s, u"CATALOGUE"_s},    {u"source"_s, u"FILE"_s},      {u"divider"_s, u"D"_s},
        {u"start-line"_s, u"N"_s},    {u"map"_s, u"POS=CODE,..."_s}, {u"table"_s, u"NAME"_s},
        {u"supplier-file"_s, u"F"_s}, {u"supplier"_s, u"NAME"_s},    {u"note"_s, u"TEXT"_s},
        {u"encoding"_s, u"NAME"_s}};
    for (const auto& [name, valueName] : valued)
        args.option(name, valueName);
    for (const QString& name : {u"edit-only"_s, u"skip-discontinued"_s, u"decimal-comma"_s,
                                u"dry-run"_s, u"mapping-from-last"_s, u"keep-margins"_s})
        args.flag(name);
    args.withWait().parse(arguments);

    ImportRequest request;
    const auto given = [&args](const QString& name) {
        return args.isSet(name) ? std::optional<QString>(args.value(name)) : std::nullopt;
    };
    request.catalogue = args.value(u"db"_s);
    request.source = args.value(u"source"_s);
    request.divider = given(u"divider"_s);
    // Each value given is checked; the last one counts.
    for (const QString& line : args.values(u"start-line"_s))
        request.startLine = parseNumber(line, u"--start-line"_s);
    for (const QString& map : args.values(u"map"_s)) {
        ImportWords::MapReading reading = ImportWords::readMap(map);
        if (!reading.refusal.isEmpty())
            throw CommandRefusal{reading.refusal};
        request.map = reading.map;
    }
    for (const QString& files : args.values(u"supplier-file"_s)) {
        ImportWords::SupplierFilesReading reading = ImportWords::readSupplierFiles(files);
        if (!reading.refusal.isEmpty())
            throw CommandRefusal{reading.refusal};
        request.supplierFiles = reading.files;
    }
    request.table = args.value(u"table"_s);
    request.supplier = args.value(u"supplier"_s);
    request.note = given(u"note"_s);
    request.encoding = args.value(u"encoding"_s);
    request.editOnly = args.isSet(u"edit-only"_s);
    request.skipDiscontinued = args.isSet(u"skip-discontinued"_s);
    request.decimalComma = args.isSet(u"decimal-comma"_s);
    request.dryRun = args.isSet(u"dry-run"_s);
    request.mappingFromLast = args.isSet(u"mapping-from-last"_s);
    request.keepMargins = args.isSet(u"keep-margins"_s);
    if (request.catalogue.isEmpty())
        throw CommandRefusal{u"--db CATALOGUE is required"_s};
    if (request.source.isEmpty() && request.supplierFiles.isEmpty())
        throw CommandRefusal{u"give --source FILE or --supplier-file NAME"_s};
    if (!request.supplierFiles.isEmpty()) {
        if (request.map || request.divider || request.startLine || !request.table.isEmpty())
            throw CommandRefusal{
                u"a supplier file has its own divider and mapping; --map, --divider, "_s
                u"--start-line and --table do not go with --supplier-file"_s};
        if (!request.source.isEmpty() && request.supplierFiles.size() > 1)
            throw CommandRefusal{
                u"--source names one file, but several price lists were asked for"_s};
    }
    return request;
}

// A divider found by the program, not confirmed by anyone, is trusted only when it cuts the
// first items alike: a wrong one (commas in the text of a tab file) would import whole lines as
// stock numbers. Every divider the start line holds is named with what it gave.
void requireEvenProposal(const TextImportSession& session) {
    const QList<TextImportSession::DividerFit> fits = session.candidateFits();
    if (fits.isEmpty() || fits.first().even())
        return;
    QStringList tried;
    for (const TextImportSession::DividerFit& fit : fits)
        tried << ImportWords::dividerDescription(fit.divider.withQuotes(false)) + u": "_s +
                     (fit.even() ? QString::number(fit.mostFields)
                                 : QString::number(fit.fewestFields) + u" to "_s +
                                       QString::number(fit.mostFields)) +
                     u" fields"_s;
    throw CommandRefusal{u"the divider cannot be told for sure: the first "_s +
                         QString::number(TextImportSession::FitItems) +
                         u" items do not all split into the same number of fields (tried "_s +
                         tried.join(u", "_s) + u"); give one with --divider"_s};
}

// The divider of the command line, or the one found in the start line.
void chooseDivider(TextImportSession& session, const std::optional<QString>& given) {
    if (!given) {
        if (!session.acceptProposal())
            throw CommandRefusal{u"no divider could be found in the start line ("_s +
                                 QString::number(session.startLine()) +
                                 u"); give one with --divider"_s};
        requireEvenProposal(session);
        return;
    }
    const ImportWords::DividerReading reading = ImportWords::readDivider(*given);
    if (!reading.refusal.isEmpty())
        throw CommandRefusal{reading.refusal};
    if (session.chooseDivider(*reading.divider) ==
        TextImportSession::DividerOutcome::WrongSeparator)
        throw CommandRefusal{session.wrongSeparator()};
}

// A path given as --source must be a plain file, and not the catalogue written to.
void requireFile(const QString& path, const QString& what, const QString& catalogue) {
    if (const std::optional<QString> refusal = SourceFile::refusal(path, what, catalogue))
        throw CommandRefusal{*refusal};
}

void requireStockNumber(const FieldMapping& mapping) {
    if (!mapping.hasStockNumber())
        throw CommandRefusal{ImportMessages::stockNumberRequired() +
                             u"\n(map a field to code 2 with --map POS=2)"_s};
}

// The choices every kind of source shares: decimal comma, the trial run and the margins. The
// margin settings are read here, before the catalogue is touched.
void applyRunChoices(const ImportRequest& request, ImportOptions& options, ImportReport& report) {
    try {
        options.margins = MarginSettings::fromProgram();
    } catch (const RunTimeError& error) {
        throw CommandRefusal{error.description() + u" (nothing was written)"_s};
    }
    options.keepMargins = request.keepMargins;
    options.decimalComma = request.decimalComma;
    options.dryRun = request.dryRun;
    options.report = request.dryRun ? &report : nullptr;
}

constexpr qsizetype MaxRepeatedLines = 20;

// A mapping whose stock number no item reaches would import nothing and still succeed.
void requireStockNumberInReach(const std::optional<QString>& refusal) {
    if (refusal)
        throw CommandRefusal{*refusal + u"\n(give the stock number's position with --map POS=2)"_s};
}

// After the totals: the prices left as they were, the stock numbers found on several lines, and
// what a trial run would have done. A trial names every price it kept, as it does the changes.
void printReport(const ImportRequest& request, const ImportOutcome& outcome,
                 const ImportReport& report, QTextStream& out) {
    for (const QString& line : ImportMessages::pricesLeftBlock(
             outcome.passedOver, outcome.passedOverNamed,
             request.dryRun ? ImportReport::Kept : ImportMessages::PricesNamed))
        out << line << '\n';
    for (const QString& line : outcome.repeated.mid(0, MaxRepeatedLines))
        out << line << '\n';
    if (outcome.repeatedCount > MaxRepeatedLines)
        out << outcome.repeatedCount << " stock numbers are on more than one line in all\n";
    for (const QString& line : outcome.margins.lines())
        out << line << '\n';
    if (!request.dryRun)
        return;
    out << "Trial run: nothing was changed.\n";
    out << "Changes: " << report.changeCount
        << (report.changeCount > ImportReport::Kept ? " (the first 200 follow)" : "") << '\n';
    for (const QString& line : report.changes)
        out << line << '\n';
    out << "Would add: " << report.addedCount << '\n';
    for (const QString& stock : report.added)
        out << "   " << stock << '\n';
}

QString noteFor(const ImportRequest& request, const QString& defaultNote) {
    return request.note ? *request.note : defaultNote;
}

// A wait for another writer is told by the command line as a whole (see --wait).
std::unique_ptr<CatalogueDatabase> openCatalogue(const ImportRequest& request) {
    auto db = openCommandCatalogue(request.catalogue);
    try {
        db->requireWritable();
    } catch (const RunTimeError& error) {
        throw CommandRefusal{error.description()};
    }
    return db;
}

int runText(const ImportRequest& request, QTextStream& out, QTextStream& err) {
    requireFile(request.source, u"the file"_s, request.catalogue);
    TextImportSession session;
    session.open(request.source, request.encoding);
    if (session.lineCount() == 0)
        throw CommandRefusal{u"the file "_s + request.source + u" holds no lines"_s};
    std::optional<RememberedMapping> last;
    if (request.mappingFromLast) {
        last = RememberedMapping::find(session.bareFileName());
        if (!last)
            throw CommandRefusal{u"no mapping is remembered for a file named "_s +
                                 session.bareFileName()};
    }
    const qsizetype startLine = request.startLine.value_or(last ? last->startLine : 0);
    if (!session.chooseStartLine(startLine))
        throw CommandRefusal{u"--start-line "_s + QString::number(startLine) +
                             u" is past the end of "_s + u"the file ("_s +
                             QString::number(session.lineCount()) + u" lines)"_s};
    chooseDivider(session, request.divider || !last ? request.divider
                                                    : std::optional<QString>(last->divider));
    session.readFirstItem();
    if (last && !request.map && last->fieldCount != session.mapping().fieldCount())
        throw CommandRefusal{u"the remembered mapping is for "_s +
                             QString::number(last->fieldCount) +
                             u" fields, but the first item now has "_s +
                             QString::number(session.mapping().fieldCount())};
    if (!request.map && !last)
        throw CommandRefusal{ImportMessages::stockNumberRequired() +
                             u"\n(give the mapping with --map POS=CODE,...)"_s};
    session.mapping().setMap(request.map ? *request.map : last->map);
    requireStockNumber(session.mapping());
    requireStockNumberInReach(session.stockNumberOutOfReach());
    session.setEditOnly(request.editOnly);
    session.setSupplier(request.supplier);
    session.setNote(noteFor(request, session.noteDefault()));
    session.options().skipDiscontinued = request.skipDiscontinued;
    session.options().decimalComma = request.decimalComma;
    if (const std::optional<QString> sign = session.decimalCommaSign())
        throw CommandRefusal{
            u"most prices of the first items only make sense with a decimal comma, "_s
            u"like \""_s +
            *sign + u"\"; give --decimal-comma to read them so (nothing was written)"_s};

    auto db = openCatalogue(request);
    ProgressPrinter printer(out, err);
    session.options().onError = printer.errorHandler();
    ImportReport report;
    applyRunChoices(request, session.options(), report);
    CommandProgress::print(out, session.caption());
    CommandProgress::print(out,
                           u"Divider: "_s + ImportWords::dividerDescription(session.divider()));
    const ImportOutcome outcome = session.run(*db, printer.callback());
    printer.finish(outcome);
    printReport(request, outcome, report, out);
    if (!request.dryRun) {
        session.remembered().save();
    }
    return ExitOk;
}

int runSupplierFiles(const ImportRequest& request, QTextStream& out, QTextStream& err) {
    QList<SupplierFileImport> imports;
    for (const FixedMappings::SupplierFile& file : request.supplierFiles) {
        SupplierFileImport import(file, ProgramFolder::path());
        if (!request.source.isEmpty()) {
            requireFile(request.source, u"the file"_s, request.catalogue);
            import.setPath(request.source);
        }
        if (!import.exists())
            throw CommandRefusal{import.missingMessage() + u"\n(looked for "_s + import.path() +
                                 u")"_s};
        import.setEditOnly(request.editOnly);
        import.setSkipDiscontinued(request.skipDiscontinued);
        import.setSupplier(request.supplier);
        import.setNote(noteFor(request, import.noteDefault()));
        imports.append(import);
    }
    auto db = openCatalogue(request);
    ProgressPrinter printer(out, err);
    for (SupplierFileImport& import : imports) {
        import.options().onError = printer.errorHandler();
        ImportReport report;
        applyRunChoices(request, import.options(), report);
        // With several files, each one's name heads its totals.
        if (imports.size() > 1)
            out << import.caption() << '\n';
        else
            CommandProgress::print(out, import.caption());
        const ImportOutcome outcome = import.run(*db, printer.callback());
        printer.finish(outcome);
        printReport(request, outcome, report, out);
    }
    return ExitOk;
}

int runAccess(const ImportRequest& request, QTextStream& out, QTextStream& err) {
    if (request.divider || request.startLine)
        throw CommandRefusal{u"--divider and --start-line do not apply to a database table"_s};
    requireFile(request.source, u"the database"_s, request.catalogue);
    std::unique_ptr<AccessTableImport> import;
    try {
        import = std::make_unique<AccessTableImport>(request.source);
    } catch (const RunTimeError& error) {
        throw CommandRefusal{error.description()};
    }
    using Choice = AccessTableImport::TableChoice;
    Choice choice;
    if (request.table.isEmpty() && import->isTovinDatabase())
        choice = import->useFixedMapping();
    else if (request.table.isEmpty())
        throw CommandRefusal{u"choose the table with --table NAME; the database holds: "_s +
                             import->tableChoices().join(u", "_s)};
    else
        choice = import->chooseTable(request.table);
    if (choice == Choice::Refused)
        throw CommandRefusal{u"the table "_s + request.table + u" is a system table ("_s +
                             ImportMessages::systemTableEntry() + u")"_s};
    if (choice == Choice::Invalid)
        throw CommandRefusal{
            u"the database has no table "_s +
            (request.table.isEmpty() ? u"with the product columns"_s : request.table) +
            u"; it holds: "_s + import->tableChoices().join(u", "_s)};
    if (request.map)
        import->mapping().setMap(*request.map);
    else if (import->isTovinDatabase())
        import->mapping().setMap(FixedMappings::tovinDatabaseMap());
    requireStockNumber(import->mapping());
    requireStockNumberInReach(import->stockNumberOutOfReach());
    if (import->isEmpty())
        throw CommandRefusal{ImportMessages::emptyDatabase()};
    import->setEditOnly(request.editOnly);
    import->setSupplier(request.supplier);
    import->setNote(noteFor(request, import->noteDefault()));
    import->options().skipDiscontinued = request.skipDiscontinued;

    auto db = openCatalogue(request);
    ProgressPrinter printer(out, err);
    import->options().onError = printer.errorHandler();
    ImportReport report;
    applyRunChoices(request, import->options(), report);
    CommandProgress::print(out, import->caption());
    const ImportOutcome outcome = import->run(*db, printer.callback());
    printer.finish(outcome);
    printReport(request, outcome, report, out);
    return ExitOk;
}

int runImport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        const ImportRequest request = parseArguments(arguments);
        if (!request.supplierFiles.isEmpty())
            return runSupplierFiles(request, out, err);
        if (AccessTableImport::readsFile(request.source))
            return runAccess(request, out, err);
        return runText(request, out, err);
    } catch (const CommandRefusal& refusal) {
        err << ImportName << refusal.message << '\n';
    } catch (const CatalogueFailure& failure) {
        err << ImportName << "stopped: " << failure.description()
            << "\nThe items of the batches finished before stopping are in the catalogue; "
               "nothing after them was written.\n";
    } catch (const RunTimeError& error) {
        err << ImportName << error.description() << '\n';
    }
    return ExitFailure;
}

} // namespace

BatchCommand importCommand() {
    return {
        u"import"_s, u"add or refresh products from a supplier file, text file or database"_s,
        u"Usage: tovin-catalog import --db CATALOGUE --source FILE\n"
        u"         [--divider comma|tab|spaces|bracket|lines:N|TEXT] [--start-line N]\n"
        u"         [--map POS=CODE,POS=CODE,...] [--table NAME]\n"
        u"         [--supplier-file fulldesc|stock|white|yellow|openparty|canadian|retail]\n"
        u"         [--edit-only] [--skip-discontinued] [--supplier NAME] [--note TEXT]\n"
        u"         [--encoding NAME] [--decimal-comma] [--dry-run] [--mapping-from-last]\n"
        u"         [--keep-margins] [--wait SECONDS]\n\n"
        u"Adds the items of FILE to the catalogue's products, or refreshes the products\n"
        u"whose stock number is already there, the way the import screen does.\n\n"
        u"  --db CATALOGUE       the catalogue file to change\n"
        u"  --source FILE        a text file, or an Access database (.mdb, .accdb)\n"
        u"  --divider D          what divides the fields: comma, tab, spaces (two or more),\n"
        u"                       bracket (\"]\"), lines:N (each field on its own line, N\n"
        u"                       lines to an item) or any text of one or two characters\n"
        u"                       other than a double quote or a line break; without it\n"
        u"                       the divider is found from the start line and used only\n"
        u"                       when it splits the first 100 items into the same number\n"
        u"                       of fields\n"
        u"  --start-line N       the line the items start on, counted from 0 (default 0);\n"
        u"                       give 1 to pass over a heading line\n"
        u"  --map POS=CODE,...   which column each field goes to: POS is the field's\n"
        u"                       position counted from 0 (for a database, the column's\n"
        u"                       position), CODE the mapping code below or its column's\n"
        u"                       name (0=StockNo,1=ProdName,2=Retail); code 2, the stock\n"
        u"                       number, is required\n"
        u"  --table NAME         the table of an Access database to read\n"
        u"  --supplier-file F    a supplier file with its own layout, read from the\n"
        u"                       program folder's Supplier/ folder unless --source names it:\n"
        u"                       fulldesc (fulldesc.tab), stock (stock.txt), or the price\n"
        u"                       lists white, yellow, openparty, canadian and retail\n"
        u"                       (several price lists separated by commas are read in\n"
        u"                       that order)\n"
        u"  --edit-only          only refresh products already in the catalogue\n"
        u"  --skip-discontinued  pass over items marked discontinued\n"
        u"  --supplier NAME      store NAME as the supplier of every item\n"
        u"  --note TEXT          the note added to the Notes of each product added or\n"
        u"                       edited (default: today's date and the file's name)\n"
        u"  --encoding NAME      read the text file in this encoding: UTF-8, windows-1252,\n"
        u"                       ISO-8859-1, macintosh (Mac Roman) or UTF-16 (default: UTF-16\n"
        u"                       when the file starts with its byte-order mark, else UTF-8\n"
        u"                       when the bytes are valid UTF-8, else windows-1252)\n"
        u"  --decimal-comma      prices are written 1.234,50: \".\" groups thousands and \",\"\n"
        u"                       is the decimal point (30,36 is 30.36)\n"
        u"  --dry-run            do the whole import, print the totals, the first 200\n"
        u"                       changes, the products it would add and the prices it\n"
        u"                       would leave as they were, then undo it: nothing is\n"
        u"                       changed\n"
        u"  --mapping-from-last  take the start line, divider and mapping last used for a\n"
        u"                       file of this name (by the import screen or this command);\n"
        u"                       refused when the first item has another number of fields\n"
        u"  --keep-margins       a product whose Cost1 changes and whose selling price the\n"
        u"                       file does not give gets its selling price (Price, or Retail\n"
        u"                       when Price is empty) moved with the cost, so its margin\n"
        u"                       stays: old price x new cost / old cost, rounded up to the\n"
        u"                       setting PriceEnding (none, .99, .95 or .49/.99) of section\n"
        u"                       Margins; undo takes it back with the rest of the run\n"_s +
            CommandArguments::waitHelp() +
            u"\n"
            u"Prices are read with a leading currency sign ($12.50, \u20ac 2.50, US$ 3) and\n"
            u"letters after the number (12.50 ea). A price with no number in it (N/A, call)\n"
            u"or whose commas and points do not make one (44,38 without --decimal-comma:\n"
            u"thousands separators stand only between groups of three digits) leaves the\n"
            u"stored price alone (a new product gets 0, as for a price not given); such\n"
            u"prices are counted and named after the totals, with their line, and in the\n"
            u"run's entry of the history. When most prices of the first 100 items only make\n"
            u"sense with a decimal comma, the import stops before writing anything and asks\n"
            u"for --decimal-comma.\n\n"
            u"Lines with the same stock number make one product, imported once: a later\n"
            u"line's fields win, an empty one keeps an earlier line's value. Each such\n"
            u"stock number is named after the totals.\n\n"
            u"A database file named TOVIN.MDB is read with its own 19-column mapping.\n\n"
            u"Mapping codes: 0 not used, 1 Supplier, 2 StockNo, 3 ProdName, 4 ProdDesc,\n"
            u"5 PageNo, 6 Packaging, 7 Cost1, 8 Cost2, 9 Cost3, 10 Cost4, 11 Cost5, 12 Retail,\n"
            u"13 Price, 14 Weight, 15 MinOrdW, 16 MinOrdR, 17 Picture, 18 Catagory,\n"
            u"19 OnSpecial, 20 OutStock, 21 Disco, 22 Orderable, 25 ReOrder, 27 Ship1,\n"
            u"28 Ship2, 29 Notes, 30 Taxable (23, 24 and 26 cannot be imported).\n\n"
            u"Prints a progress line every 1000 items and ends with the totals:\n"
            u"  Total Checked: N   Total Added: N   Total Edited: N\n"
            u"and a summary of the margins of the products added or changed: how many costs\n"
            u"rose and fell, the largest rise, and the products at or below their cost, below\n"
            u"the minimum margin (setting MinimumMargin of section Margins, default 20%) or\n"
            u"without a price or cost, up to 20 of each named. An unreadable MinimumMargin or\n"
            u"PriceEnding changes nothing and ends with exit status 2.\n"
            u"A missing file, an unusable divider, a missing stock-number mapping or one past\n"
            u"every field of the first 100 items (every column of a table), a damaged\n"
            u"database, a read-only catalogue or a bad argument changes nothing and ends with\n"
            u"exit status 2. A value or item the catalogue refuses is passed over and named\n"
            u"on the error output; the rest of the file is read. When the catalogue itself\n"
            u"cannot be written (disk full, or another program kept it locked for longer\n"
            u"than --wait) the import stops with exit status 2, keeping the items written\n"
            u"in the batches finished before. Imports and other writers run at the same\n"
            u"time on one catalogue take turns batch by batch, each waiting while another\n"
            u"writes, and each adds all of its products.\n"_s,
        &runImport};
}

} // namespace tovin
