#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/base/RunTimeError.h"
#include "core/bulkedit/BulkEdit.h"
#include "core/catalogue/CatalogueDatabase.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString BulkEditName = u"tovin-catalog bulk-edit: "_s;

int runBulkEdit(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        CommandArguments args;
        args.option(u"db"_s, u"CATALOGUE"_s)
            .option(u"where"_s, u"CONDITION"_s)
            .option(u"set"_s, u"COLUMN=VALUE"_s)
            .option(u"picture-type"_s, u"TYPE"_s)
            .flag(u"include-blank"_s)
            .flag(u"clear-notes"_s)
            .withWait()
            .parse(arguments);
        const QString catalogue = args.value(u"db"_s);
        const QString where = args.value(u"where"_s);
        BulkEdit edit;
        QString supplier;
        bool supplierGiven = false;
        for (const QString& pair : args.values(u"set"_s)) {
            const qsizetype eq = pair.indexOf(u'=');
            if (eq <= 0)
                throw CommandRefusal{u"--set takes COLUMN=VALUE, not \""_s + pair + u"\""_s};
            const QString name = pair.left(eq).trimmed();
            bool isNumber = false;
            int column = name.toInt(&isNumber);
            if (!isNumber)
                column = BulkEdit::columnOf(name);
            if (column < 1 || column > 30)
                throw CommandRefusal{u"there is no column \""_s + name + u"\""_s};
            if (column == BulkEdit::StockNoColumn)
                throw CommandRefusal{u"StockNo is never changed by a bulk edit"_s};
            const QString value = pair.mid(eq + 1);
            if (column == 1 && !value.trimmed().isEmpty()) {
                supplier = value;
                supplierGiven = true;
            }
            edit.set(column, value);
        }
        edit.setIncludeBlank(args.isSet(u"include-blank"_s));
        edit.setClearNotes(args.isSet(u"clear-notes"_s));
        for (const QString& type : args.values(u"picture-type"_s)) {
            const QString upper = type.toUpper();
            if (upper != u".JPG"_s && upper != u".GIF"_s && upper != u".BMP"_s)
                throw CommandRefusal{u"That Is NOT A Valid Extention, Try Again? "_s
                                     u"(--picture-type is .jpg, .gif or .bmp)"_s};
            edit.setPictureExtension(type);
        }
        if (edit.isEmpty())
            throw CommandRefusal{u"nothing to change: give at least one --set COLUMN=VALUE"_s};
        if (const QString refused = edit.refusal(); !refused.isEmpty())
            throw CommandRefusal{refused};
        auto db = openCommandCatalogue(catalogue);
        db->requireWritable();
        if (supplierGiven) {
            const std::optional<QString> stored = BulkEdit::storedSupplier(*db, supplier);
            if (!stored)
                throw CommandRefusal{BulkEdit::supplierMissing() + u" (\""_s + supplier +
                                     u"\" is not in the Supplier table)"_s};
            edit.set(1, *stored);
        }
        int refused = 0;
        const ImportOutcome outcome = edit.run(*db, where, {}, [&](const RunTimeError& error) {
            if (++refused <= 20)
                err << BulkEditName << "passed over a product: " << error.description() << '\n';
        });
        out << outcome.totals << '\n';
        if (refused > 0) {
            err << BulkEditName << refused << " products could not be changed\n";
            return ExitFailure;
        }
        return ExitOk;
    } catch (const CommandRefusal& refusal) {
        err << BulkEditName << refusal.message << '\n';
    } catch (const RunTimeError& error) {
        err << BulkEditName << error.description() << '\n';
    }
    return ExitFailure;
}

} // namespace

BatchCommand bulkEditCommand() {
    return {u"bulk-edit"_s, u"write the same values into chosen columns of many products"_s,
            u"Usage: tovin-catalog bulk-edit --db CATALOGUE [--where CONDITION]\n"
            u"         --set COLUMN=VALUE [--set COLUMN=VALUE ...]\n"
            u"         [--include-blank] [--clear-notes] [--picture-type .jpg|.gif|.bmp]\n"
            u"         [--wait SECONDS]\n\n"
            u"Writes each VALUE into its COLUMN of every product matching CONDITION (every\n"
            u"product without --where), the way the bulk edit screen does. COLUMN is a\n"
            u"column name of Products (Retail, Supplier, ...) or its number (1 to 30, as for\n"
            u"export); StockNo is never changed. How a value is read:\n"
            u"  Supplier          a supplier of the Supplier table, in any letter case; the\n"
            u"                    name is stored as the table spells it (an unknown supplier\n"
            u"                    changes nothing and ends with exit status 2)\n"
            u"  Cost1-Cost5, Retail\n"
            u"                    a number, or a percentage: 10% raises each product's own\n"
            u"                    value by 10 per cent, -10% lowers it (a product without a\n"
            u"                    value keeps none)\n"
            u"  Price             a number, or 25%: the product's Retail less 25 per cent (a\n"
            u"                    product without Retail keeps its price)\n"
            u"  MinOrdW, MinOrdR, Catagory, Inventory, OnOrder, ReOrder, NoSold\n"
            u"                    a number; an empty value stores no value with\n"
            u"                    --include-blank\n"
            u"  OnSpecial, Disco, Orderable, Taxable\n"
            u"                    yes, true, y or 1 for yes; no, false, n or 0 for no\n"
            u"                    (any other word changes nothing)\n"
            u"  Picture           a folder or internet address: each product gets it, \"/\",\n"
            u"                    its stock number and the picture type (--picture-type, else\n"
            u"                    the last four characters of the first product's picture)\n"
            u"  Notes             added after a line break to the product's notes; with\n"
            u"                    --clear-notes the notes become the value\n"
            u"  any other column  the text as typed\n"
            u"An empty value is passed over unless --include-blank is given (an empty ProdDesc\n"
            u"is always passed over). A word for a number column changes nothing.\n\n"
            u"Prints \"Updating Records: #N Of N\". A bad argument, an unknown supplier or\n"
            u"column, an unusable condition, a read-only catalogue or a product the catalogue\n"
            u"refuses ends with exit status 2. The products are written all together: a run\n"
            u"that is stopped part way (killed, or the disk full) changes none of them.\n"
            u"While another program writes the catalogue, the edit waits for it:\n"_s +
                CommandArguments::waitHelp(),
            &runBulkEdit};
}

} // namespace tovin
