#include "core/catalogue/CatalogueSchema.h"

#include "core/base/RunTimeError.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

int TableDefinition::columnIndex(const QString& column) const {
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).name.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

namespace CatalogueSchema {

namespace {

using K = ColumnKind;

QList<TableDefinition> makeTables() {
    return {
        {u"Products"_s,
         {{u"PID"_s, K::Counter},     {u"Supplier"_s, K::Text},   {u"StockNo"_s, K::Text},
          {u"ProdName"_s, K::Text},   {u"ProdDesc"_s, K::Memo},   {u"PageNo"_s, K::Text},
          {u"Packaging"_s, K::Text},  {u"Cost1"_s, K::Money},     {u"Cost2"_s, K::Money},
          {u"Cost3"_s, K::Money},     {u"Cost4"_s, K::Money},     {u"Cost5"_s, K::Money},
          {u"Retail"_s, K::Money},    {u"Price"_s, K::Money},     {u"Weight"_s, K::Text},
          {u"MinOrdW"_s, K::Number},  {u"MinOrdR"_s, K::Number},  {u"Picture"_s, K::Text},
          {u"Catagory"_s, K::Number}, {u"OnSpecial"_s, K::YesNo}, {u"OutStock"_s, K::Text},
          {u"Disco"_s, K::YesNo},     {u"Orderable"_s, K::YesNo}, {u"Inventory"_s, K::Number},
          {u"OnOrder"_s, K::Number},  {u"ReOrder"_s, K::Number},  {u"NoSold"_s, K::Number},
          {u"Ship1"_s, K::Text},      {u"Ship2"_s, K::Text},      {u"Notes"_s, K::Memo},
          {u"Taxable"_s, K::YesNo}}},
        {u"Supplier"_s,
         {{u"SID"_s, K::Counter},    {u"Name"_s, K::Text},      {u"Contact"_s, K::Text},
          {u"Add1"_s, K::Text},      {u"Add2"_s, K::Text},      {u"City"_s, K::Text},
          {u"State"_s, K::Text},     {u"Zip"_s, K::Text},       {u"Phone1"_s, K::Text},
          {u"Phone2"_s, K::Text},    {u"Fax"_s, K::Text},       {u"Email"_s, K::Text},
          {u"URL"_s, K::Text},       {u"UserName"_s, K::Text},  {u"PassWord"_s, K::Text},
          {u"Discounts"_s, K::Text}, {u"OtherChgs"_s, K::Text}, {u"Ship1"_s, K::Text},
          {u"Ship2"_s, K::Text},     {u"Ship3"_s, K::Text},     {u"Ship4"_s, K::Text},
          {u"TaxRate"_s, K::Number}, {u"Notes"_s, K::Memo}}},
        {u"Catagory"_s, {{u"CID"_s, K::Counter}, {u"CatName"_s, K::Text}, {u"CatNum"_s, K::Text}}},
        {u"Inventory"_s,
         {{u"Product Id"_s, K::Text},
          {u"Description"_s, K::Text},
          {u"Number"_s, K::Number},
          {u"Cost"_s, K::Money},
          {u"Wholesale"_s, K::Money},
          {u"Retail"_s, K::Money},
          {u"Date In"_s, K::Date},
          {u"Date Sold"_s, K::Date}}},
        {u"Orders"_s,
         {{u"Order ID"_s, K::Text},
          {u"ProductOrderID"_s, K::Text},
          {u"Description"_s, K::Text},
          {u"NumberOrdered"_s, K::Number},
          {u"Packing"_s, K::Text},
          {u"WtPrice"_s, K::Money},
          {u"Cost"_s, K::Money},
          {u"Discount"_s, K::Money},
          {u"Shipping"_s, K::Money},
          {u"Fees"_s, K::Money},
          {u"TotalItems"_s, K::Number},
          {u"Back Ordered"_s, K::Text},
          {u"Date Ordered"_s, K::Date},
          {u"Date Received"_s, K::Date}}},
        {u"Invoice"_s,
         {{u"Order ID"_s, K::Text},
          {u"Total Order"_s, K::Money},
          {u"Discount"_s, K::Money},
          {u"Sub Total"_s, K::Money},
          {u"Sub Total2"_s, K::Money},
          {u"Shipping"_s, K::Money},
          {u"Tax"_s, K::Money},
          {u"Grand Total"_s, K::Money}}},
        {u"Sales"_s,
         {{u"Sales Product ID"_s, K::Text},
          {u"Number Sold"_s, K::Number},
          {u"Cost"_s, K::Money},
          {u"Price Sold"_s, K::Money},
          {u"Expenses"_s, K::Money},
          {u"Date Sold"_s, K::Date},
          {u"Where Sold"_s, K::Text}}},
        // The setup screen shows eleven of these columns by their position in the table
        // (0, 2-6, 9, 10, 17, 19, 23); the others keep the shop's further details.
        {u"Setup"_s,
         {{u"Company Name"_s, K::Text},
          {u"Company Slogan"_s, K::Text},
          {u"Company Address"_s, K::Text},
          {u"Company Address 2"_s, K::Text},
          {u"Company City"_s, K::Text},
          {u"Company State"_s, K::Text},
          {u"Company Zip"_s, K::Text},
          {u"Company Country"_s, K::Text},
          {u"Contact Name"_s, K::Text},
          {u"Email"_s, K::Text},
          {u"Fax"_s, K::Text},
          {u"Federal Tax ID"_s, K::Text},
          {u"State Tax ID"_s, K::Text},
          {u"Resale Number"_s, K::Text},
          {u"Business Type"_s, K::Text},
          {u"Fiscal Year Start"_s, K::Text},
          {u"Logo Picture"_s, K::Text},
          {u"Owner Name"_s, K::Text},
          {u"Owner Title"_s, K::Text},
          {u"Phone"_s, K::Text},
          {u"Phone 2"_s, K::Text},
          {u"Toll Free"_s, K::Text},
          {u"Web Host"_s, K::Text},
          {u"Web Page"_s, K::Text}}},
    };
}

QString quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', u"\"\""_s) + u'"';
}

// The rules are written with plain comparisons: an IN list of three or more values makes the
// database build a temporary table on every write, which slows a large import several times.
QString columnDefinition(const ColumnDefinition& column) {
    const QString q = quoted(column.name);
    const QString type = u"typeof("_s + q + u") = "_s;
    switch (column.kind) {
    case K::Counter:
        // AUTOINCREMENT: the key of a deleted row is never given to a new one, so a screen
        // still showing the deleted row cannot write into a new row.
        return q + u" INTEGER PRIMARY KEY AUTOINCREMENT"_s;
    case K::Number:
        return q + u" DOUBLE DEFAULT 0 CHECK ("_s + q + u" IS NULL OR "_s + type + u"'real' OR "_s +
               type + u"'integer')"_s;
    case K::Money:
        // Money is kept exactly as a whole number of ten-thousandths.
        return q + u" CURRENCY DEFAULT 0 CHECK ("_s + q + u" IS NULL OR "_s + type +
               u"'integer')"_s;
    case K::Date:
        // "+0 days" makes the date function roll an impossible day over, so 2024-02-30 fails.
        return q + u" DATETIME CHECK ("_s + q + u" IS NULL OR ("_s + type + u"'text' AND date("_s +
               q + u", '+0 days') = "_s + q + u"))"_s;
    case K::YesNo:
        return q + u" BOOLEAN NOT NULL DEFAULT 0 CHECK ("_s + q + u" = 0 OR "_s + q + u" = 1)"_s;
    case K::Text:
        return q + u" TEXT COLLATE NOCASE CHECK ("_s + q + u" IS NULL OR "_s + type + u"'text')"_s;
    case K::Memo:
        return q + u" LONGTEXT COLLATE NOCASE CHECK ("_s + q + u" IS NULL OR "_s + type +
               u"'text')"_s;
    }
    return q;
}

QString serverColumnDefinition(const ColumnDefinition& column) {
    const QString q = quoted(column.name);
    switch (column.kind) {
    case K::Counter:
        return q + u" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"_s;
    case K::Number:
        return q + u" double precision DEFAULT 0"_s;
    case K::Money:
        return q + u" currency DEFAULT 0"_s;
    case K::Date:
        return q + u" date"_s;
    case K::YesNo:
        return q + u" yesno NOT NULL DEFAULT 0"_s;
    case K::Text:
        return q + u" text COLLATE nocase"_s;
    case K::Memo:
        return q + u" longtext"_s;
    }
    return q;
}

// A table whose key is one of its columns has rowid follow it; any other table has rowid as its
// key. `keyColumn` is empty for the latter.
QStringList serverTable(const QString& name, const QStringList& columns, const QString& keyColumn,
                        bool keyFromSequence = true) {
    QStringList all = columns;
    if (keyColumn.isEmpty())
        all.prepend(u"rowid bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"_s);
    else
        all << u"rowid bigint GENERATED ALWAYS AS ("_s + quoted(keyColumn) + u") STORED"_s;
    QStringList statements{u"CREATE TABLE "_s + quoted(name) + u" ("_s + all.join(u", "_s) + u')'};
    if (!keyColumn.isEmpty() && keyFromSequence) {
        // A null written into the counter takes the next key, as the file gives one for it. The
        // function names the key's sequence, found once as it is made: finding it for every row
        // cost more than the rest of the row's insert.
        const QString key = keyColumn.toLower();
        const QString function = quoted(name.toLower() + u"_counter"_s);
        statements << u"DO $made$ BEGIN EXECUTE format($function$CREATE FUNCTION "_s + function +
                          u"() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF NEW."_s + key +
                          u" IS NULL THEN NEW."_s + key +
                          u" := nextval(%L); END IF; RETURN NEW; END $$ $function$, "
                          u"(SELECT quote_ident(relname) FROM pg_class WHERE oid = "
                          u"CAST(pg_get_serial_sequence('"_s +
                          name.toLower() + u"', '"_s + key + u"') AS regclass))); END $made$"_s;
        statements << u"CREATE TRIGGER "_s + quoted(name + u" counts null keys"_s) +
                          u" BEFORE INSERT ON "_s + quoted(name) +
                          u" FOR EACH ROW EXECUTE FUNCTION "_s + function + u"()"_s;
    }
    if (!keyColumn.isEmpty())
        statements << u"CREATE UNIQUE INDEX "_s + quoted(name + u"RowKey"_s) + u" ON "_s +
                          quoted(name) + u" (rowid)"_s;
    // A row written with a key of its own moves the table's sequence past it, so the sequence
    // never hands that key out again.
    // A function of the table's own names its key in plain SQL, so the server plans the look at
    // the written keys once a session rather than on every insert.
    if (keyFromSequence) {
        const QString key = keyColumn.isEmpty() ? u"rowid"_s : keyColumn.toLower();
        const QString function = quoted(name.toLower() + u"_keys_ahead"_s);
        statements
            << u"CREATE FUNCTION "_s + function +
                   u"() RETURNS trigger LANGUAGE plpgsql AS $$\n"
                   u"DECLARE\n"
                   u"  sequence text := pg_get_serial_sequence(quote_ident(TG_TABLE_NAME), '"_s +
                   key +
                   u"');\n"
                   u"  top bigint;\n"
                   u"BEGIN\n"
                   u"  SELECT max("_s +
                   key +
                   u") INTO top FROM added;\n"
                   u"  IF top > coalesce(pg_sequence_last_value(sequence::regclass), 0) THEN\n"
                   u"    PERFORM setval(sequence, top);\n"
                   u"  END IF;\n"
                   u"  RETURN NULL;\n"
                   u"END $$"_s;
        statements
            << u"CREATE TRIGGER "_s + quoted(name + u" keeps its keys ahead"_s) +
                   u" AFTER INSERT ON "_s + quoted(name) +
                   u" REFERENCING NEW TABLE AS added FOR EACH STATEMENT EXECUTE FUNCTION "_s +
                   function + u"()"_s;
    }
    return statements;
}

} // namespace

const QList<TableDefinition>& tables() {
    static const QList<TableDefinition> all = makeTables();
    return all;
}

const TableDefinition& table(const QString& name) {
    for (const TableDefinition& t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    throw RunTimeError(ErrorNumber::ItemNotFound, u"Unknown table: "_s + name);
}

QString declaredType(ColumnKind kind) {
    switch (kind) {
    case K::Counter:
        return u"INTEGER"_s;
    case K::Number:
        return u"DOUBLE"_s;
    case K::Money:
        return u"CURRENCY"_s;
    case K::Date:
        return u"DATETIME"_s;
    case K::YesNo:
        return u"BOOLEAN"_s;
    case K::Text:
        return u"TEXT"_s;
    case K::Memo:
        return u"LONGTEXT"_s;
    }
    return u"TEXT"_s;
}

ColumnKind kindFromDeclaredType(const QString& declared, bool isPrimaryKey) {
    const QString t = declared.toUpper();
    if (t.startsWith(u"INT"_s) && isPrimaryKey)
        return K::Counter;
    if (t.contains(u"CURRENCY"_s) || t.contains(u"MONEY"_s))
        return K::Money;
    if (t.contains(u"DATE"_s) || t.contains(u"TIME"_s))
        return K::Date;
    if (t.contains(u"BOOL"_s) || t.contains(u"YESNO"_s) || t == u"BIT"_s)
        return K::YesNo;
    if (t.contains(u"INT"_s) || t.contains(u"REAL"_s) || t.contains(u"DOUB"_s) ||
        t.contains(u"FLOA"_s) || t.contains(u"NUM"_s) || t.contains(u"DEC"_s))
        return K::Number;
    if (t.contains(u"LONGTEXT"_s) || t.contains(u"MEMO"_s) || t.contains(u"CLOB"_s))
        return K::Memo;
    return K::Text;
}

QStringList createStatements() {
    QStringList statements;
    for (const TableDefinition& t : tables()) {
        QStringList columns;
        for (const ColumnDefinition& c : t.columns)
            columns << columnDefinition(c);
        statements << u"CREATE TABLE "_s + quoted(t.name) + u" ("_s + columns.join(u", "_s) + u')';
    }
    statements << u"CREATE INDEX ProductsStockNo ON Products (StockNo)"_s;
    statements << u"CREATE INDEX InventoryProductId ON Inventory (\"Product Id\")"_s;
    statements << u"CREATE INDEX OrdersOrderId ON Orders (\"Order ID\")"_s;
    statements << u"CREATE TABLE RowKeys (TableName TEXT PRIMARY KEY, LastKey INTEGER NOT NULL)"_s;
    for (const TableDefinition& t : tables())
        if (counterColumn(t) < 0)
            statements << rowKeyStatements(t.name);
    statements << receivedLinesStatements();
    statements << journalStatements();
    statements << u"CREATE TABLE SchemaVersion (Version INTEGER NOT NULL)"_s;
    statements << u"INSERT INTO SchemaVersion (Version) VALUES (%1)"_s.arg(Version);
    return statements;
}

QStringList serverCreateStatements(const StorageDialect& dialect) {
    QStringList statements{
        u"CREATE COLLATION IF NOT EXISTS nocase (provider = icu, locale = 'und-u-ks-level2', "
        u"deterministic = false)"_s,
        u"CREATE DOMAIN currency AS bigint"_s, u"CREATE DOMAIN longtext AS text COLLATE nocase"_s,
        u"CREATE DOMAIN yesno AS smallint CHECK (VALUE IN (0, 1))"_s};
    for (const TableDefinition& t : tables()) {
        QStringList columns;
        for (const ColumnDefinition& c : t.columns)
            columns << serverColumnDefinition(c);
        const int counter = counterColumn(t);
        statements << serverTable(t.name, columns,
                                  counter < 0 ? QString() : t.columns.at(counter).name);
    }
    statements << u"CREATE INDEX ProductsStockNo ON Products (StockNo)"_s;
    statements << u"CREATE INDEX InventoryProductId ON Inventory (\"Product Id\")"_s;
    statements << u"CREATE INDEX OrdersOrderId ON Orders (\"Order ID\")"_s;
    // The Products screen lists every product in stock-number order when it opens; with the
    // order's own expression and the row key in one index (and the stock number beside them,
    // so the server need not visit the table) that list is read straight off the index.
    statements << u"CREATE INDEX ProductsStockNoOrder ON Products (("_s +
                      dialect.textOrder(u"\"StockNo\""_s) + u"), rowid) INCLUDE (StockNo)"_s;
    // A lookup by one of these columns also reads the rows whose text holds a long s.
    statements << u"CREATE INDEX ProductsStockNoLongS ON Products (rowid) WHERE "_s +
                      dialect.containsLongS(u"\"StockNo\""_s);
    statements << u"CREATE INDEX InventoryProductIdLongS ON Inventory (rowid) WHERE "_s +
                      dialect.containsLongS(u"\"Product Id\""_s);
    statements << u"CREATE INDEX OrdersOrderIdLongS ON Orders (rowid) WHERE "_s +
                      dialect.containsLongS(u"\"Order ID\""_s);
    statements << serverTable(ReceivedLinesTable, {u"OrderRow bigint PRIMARY KEY"_s}, u"OrderRow"_s,
                              false);
    statements << u"CREATE FUNCTION orders_leave_received_lines() RETURNS trigger "
                  u"LANGUAGE plpgsql AS $$ BEGIN DELETE FROM receivedlines WHERE orderrow = "
                  u"OLD.rowid; RETURN NULL; END $$"_s;
    statements << u"CREATE TRIGGER \"Orders leave ReceivedLines\" AFTER DELETE ON Orders FOR EACH "
                  u"ROW EXECUTE FUNCTION orders_leave_received_lines()"_s;
    // A run's number is one the user reads and types, so a run rolled back (a trial undo, a
    // trial import) gives its number back as it does in the file: the number is the next
    // after the newest run, which is never dropped. Runs are added only by writers, who take
    // turns. The sequence takes no part but to remember the numbers a copy brought along.
    statements << serverTable(RunsTable,
                              {u"Run bigint PRIMARY KEY"_s, u"Kind text NOT NULL"_s,
                               u"Started text NOT NULL"_s, u"Source text"_s, u"Totals text"_s,
                               u"Added bigint"_s, u"Changed bigint"_s, u"Deleted bigint"_s,
                               u"UndoOf bigint"_s, u"UndoneBy bigint"_s},
                              u"Run"_s, false);
    statements << u"CREATE SEQUENCE runs_run_seq OWNED BY runs.run"_s;
    statements << u"CREATE FUNCTION runs_counter() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                  u"IF NEW.run IS NULL THEN NEW.run := 1 + greatest((SELECT max(run) FROM runs), "
                  u"pg_sequence_last_value('runs_run_seq'), 0); END IF; RETURN NEW; END $$"_s;
    statements << u"CREATE TRIGGER \"Runs counts null keys\" BEFORE INSERT ON Runs FOR EACH ROW "
                  u"EXECUTE FUNCTION runs_counter()"_s;
    statements << serverTable(RunRowsTable,
                              {u"Seq bigint PRIMARY KEY"_s, u"Run bigint NOT NULL"_s,
                               u"Added bigint NOT NULL"_s, u"Changed bigint NOT NULL"_s,
                               u"Deleted bigint NOT NULL"_s, u"Entries bytea NOT NULL"_s},
                              u"Seq"_s, false);
    statements << serverTable(u"SchemaVersion"_s, {u"Version integer NOT NULL"_s}, QString());
    statements << u"INSERT INTO SchemaVersion (Version) VALUES (%1)"_s.arg(Version);
    return statements;
}

bool isBookkeepingTable(const QString& name) {
    return name.compare(u"SchemaVersion"_s, Qt::CaseInsensitive) == 0 ||
           name.compare(RowKeysTable, Qt::CaseInsensitive) == 0 ||
           name.compare(ReceivedLinesTable, Qt::CaseInsensitive) == 0 ||
           name.compare(RunsTable, Qt::CaseInsensitive) == 0 ||
           name.compare(RunRowsTable, Qt::CaseInsensitive) == 0 ||
           name.compare(RunVersionsTable, Qt::CaseInsensitive) == 0 ||
           name.startsWith(u"sqlite_"_s, Qt::CaseInsensitive);
}

int counterColumn(const TableDefinition& table) {
    for (int i = 0; i < table.columns.size(); ++i)
        if (table.columns.at(i).kind == K::Counter)
            return i;
    return -1;
}

QStringList rowKeyStatements(const QString& table) {
    const QString name = quoted(table);
    const QString literal = u'\'' + QString(table).replace(u'\'', u"''"_s) + u'\'';
    const QString trigger = quoted(table + u" keeps its row keys"_s);
    return {u"CREATE TRIGGER "_s + trigger + u" AFTER DELETE ON "_s + name +
            u" BEGIN INSERT OR REPLACE INTO RowKeys (TableName, LastKey) VALUES ("_s + literal +
            u", max(old.rowid, coalesce((SELECT LastKey FROM RowKeys WHERE TableName = "_s +
            literal + u"), 0))); END"_s};
}

QStringList receivedLinesStatements() {
    return {u"CREATE TABLE ReceivedLines (OrderRow INTEGER PRIMARY KEY)"_s,
            u"CREATE TRIGGER \"Orders leave ReceivedLines\" AFTER DELETE ON Orders BEGIN "
            u"DELETE FROM ReceivedLines WHERE OrderRow = old.rowid; END"_s};
}

QString markDatedLinesReceived(const StorageDialect& dialect) {
    return dialect.ignoringDuplicates(u"INSERT INTO ReceivedLines (OrderRow) SELECT rowid FROM "
                                      u"Orders WHERE \"Date Received\" IS NOT NULL"_s);
}

// One Runs row per run; RunRows holds a run's changes packed in chunks, numbered by the run (see
// JournalValues::firstRowOf) so that it needs no index, each with the number of rows it tells
// were added, changed and deleted. A run's counts are stored in Runs when it ends; a run that
// never ended has none, and its chunks' counts are added up when it is listed.
QStringList journalStatements() {
    return {u"CREATE TABLE Runs (Run INTEGER PRIMARY KEY AUTOINCREMENT, Kind TEXT NOT NULL, "
            u"Started TEXT NOT NULL, Source TEXT, Totals TEXT, Added INTEGER, Changed INTEGER, "
            u"Deleted INTEGER, UndoOf INTEGER, UndoneBy INTEGER)"_s,
            runRowsStatement()};
}

QString runRowsStatement() {
    return u"CREATE TABLE RunRows (Seq INTEGER PRIMARY KEY, Run INTEGER NOT NULL, "
           u"Added INTEGER NOT NULL, Changed INTEGER NOT NULL, Deleted INTEGER NOT NULL, "
           u"Entries BLOB NOT NULL)"_s;
}

} // namespace CatalogueSchema

} // namespace tovin
