#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/DemoCatalogue.h"
#include "core/storage/CatalogueLocation.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

int runCreate(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    bool demo = false;
    QString seed;
    QStringList files;
    try {
        CommandArguments args({u"unknown option %1"_s, QString(), QString()});
        args.flag(u"demo"_s).option(u"seed"_s, u"SEED.json"_s).withPositionals().parse(arguments);
        seed = args.value(u"seed"_s);
        demo = args.isSet(u"demo"_s) || args.isSet(u"seed"_s);
        files = args.positionals();
    } catch (const CommandRefusal& refusal) {
        err << "tovin-catalog create: " << refusal.message << "\n";
        return ExitFailure;
    }
    if (files.size() != 1) {
        err << "tovin-catalog create: give exactly one catalogue file to make\n";
        return ExitFailure;
    }
    // A database on a server is made by its administrator; the catalogue's tables go into it
    // only while it holds none, which making them checks.
    const QString path = CatalogueLocation::absolute(files.first());
    if (!CatalogueLocation::isServer(path) && QFileInfo::exists(path)) {
        err << "tovin-catalog create: " << path << " already exists; nothing was changed\n";
        return ExitFailure;
    }
    try {
        if (demo)
            DemoCatalogue::create(path, seed);
        else
            CatalogueDatabase::create(path);
    } catch (const RunTimeError& error) {
        err << "tovin-catalog create: " << error.description() << "\n";
        return ExitFailure;
    }
    out << (demo ? "Made the demo catalogue " : "Made the empty catalogue ")
        << CatalogueLocation::forMessages(path) << "\n";
    return ExitOk;
}

} // namespace

BatchCommand createCommand() {
    return {u"create"_s, u"make a new empty catalogue file, or the demo catalogue"_s,
            u"Usage: tovin-catalog create [--demo | --seed SEED.json] FILE\n\n"
            u"Makes a new catalogue file with the eight tables of the program.\n"
            u"  --demo           fill it with the demo catalogue built into the program\n"
            u"  --seed SEED.json fill it from a seed file of the same form\n"
            u"An existing FILE is never overwritten (exit status 2).\n"_s,
            &runCreate};
}

} // namespace tovin
