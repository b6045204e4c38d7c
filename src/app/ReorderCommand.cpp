#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/ReorderList.h"
#include "core/storage/CatalogueLocation.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

int runReorder(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString catalogue;
    try {
        // A missing value is told as an unknown argument, as this command always has.
        CommandArguments args({u"unknown argument \"%1\""_s, QString(), QString()});
        args.option(u"db"_s, u"CATALOGUE"_s).parse(arguments);
        catalogue = args.value(u"db"_s);
    } catch (const CommandRefusal& refusal) {
        err << "tovin-catalog reorder: " << refusal.message << "\n";
        return ExitFailure;
    }
    if (catalogue.isEmpty()) {
        err << "tovin-catalog reorder: --db CATALOGUE is required\n";
        return ExitFailure;
    }
    if (CatalogueLocation::isMissingFile(catalogue)) {
        err << "tovin-catalog reorder: " << catalogue << " does not exist\n";
        return ExitFailure;
    }
    try {
        CatalogueDatabase db(catalogue);
        out << ReorderList::asText(ReorderList::build(db));
    } catch (const RunTimeError& error) {
        err << "tovin-catalog reorder: " << error.description() << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace

BatchCommand reorderCommand() {
    return {u"reorder"_s, u"list the products to order again, by supplier"_s,
            u"Usage: tovin-catalog reorder --db CATALOGUE\n\n"
            u"Lists the orderable, not discontinued products whose Inventory is at or below\n"
            u"their ReOrder level (above 0) and not already covered by goods on order, grouped\n"
            u"by supplier, with the quantity to order: enough to bring Inventory plus OnOrder\n"
            u"one above the ReOrder level, and at least the minimum order MinOrdW. A quantity\n"
            u"above 32767, more than one order line takes, is marked under its line.\n"
            u"The catalogue is only read. A catalogue that can't be read gives exit status 2.\n"_s,
            &runReorder};
}

} // namespace tovin
