#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/margins/BelowMarginList.h"
#include "core/margins/MarginSettings.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString MarginsName = u"tovin-catalog margins: "_s;

// The limit of --below, or the shop's minimum margin; checked before the catalogue is opened.
Money belowLimit(const CommandArguments& args) {
    if (!args.isSet(u"below"_s))
        return MarginSettings::fromProgram().minimumPercent;
    const QString text = args.value(u"below"_s);
    const std::optional<Money> percent = MarginSettings::readPercent(text);
    if (!percent)
        throw CommandRefusal{u"--below \""_s + text +
                             u"\" is not a percentage from 0 to 100 (such as 20 or 17.5%)"_s};
    return *percent;
}

int runMargins(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        CommandArguments args;
        args.option(u"db"_s, u"CATALOGUE"_s)
            .option(u"below"_s, u"PCT"_s)
            .option(u"where"_s, u"COND"_s)
            .parse(arguments);
        const QString catalogue = args.value(u"db"_s);
        if (catalogue.isEmpty())
            throw CommandRefusal{u"--db CATALOGUE is required"_s};
        const Money below = belowLimit(args);
        auto db = openCommandCatalogue(catalogue);
        const BelowMarginList list = BelowMarginList::find(*db, below, args.value(u"where"_s));
        for (const BelowMarginRow& row : list.rows)
            out << BelowMarginList::rowLine(row) << '\n';
        out << list.countLine() << '\n';
        return ExitOk;
    } catch (const CommandRefusal& refusal) {
        err << MarginsName << refusal.message << '\n';
    } catch (const RunTimeError& error) {
        err << MarginsName << error.description() << '\n';
    }
    return ExitFailure;
}

} // namespace

BatchCommand marginsCommand() {
    return {u"margins"_s, u"list the products whose margin is under a limit, worst first"_s,
            u"Usage: tovin-catalog margins --db CATALOGUE [--below PCT] [--where CONDITION]\n\n"
            u"Lists the products whose margin is under PCT percent, the worst first, each with\n"
            u"its stock number, name, cost (Cost1), selling price and margin, and ends with a\n"
            u"count line. The margin is (selling price - Cost1) / selling price, the selling\n"
            u"price being Price, or Retail when Price is empty (0 or none). Products without a\n"
            u"selling price or a Cost1 have no margin: they are not listed, and the count line\n"
            u"says how many were passed over. A Cost1 of 0 is a cost.\n\n"
            u"  --db CATALOGUE   the catalogue to read (it is only read)\n"
            u"  --below PCT      the limit, a percentage from 0 to 100 (20, 17.5 or 20%);\n"
            u"                   default the setting MinimumMargin of section Margins (20)\n"
            u"  --where COND     only the products matching COND, a condition as the search\n"
            u"                   screens write them, e.g. \"Supplier = 'Acme'\"\n\n"
            u"Ends with exit status 0 whether or not any product is listed. A bad --below, an\n"
            u"unreadable MinimumMargin setting, an unusable condition or a catalogue that\n"
            u"cannot be read prints the reason and ends with exit status 2.\n"_s,
            &runMargins};
}

} // namespace tovin
