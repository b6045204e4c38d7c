#include "core/import/ImportMessages.h"

#include "core/text/DateText.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ImportMessages {

namespace {

QString lines(std::initializer_list<QString> parts) {
    return QStringList(parts).join(lineBreak());
}

QString shortDate(const QDate& date) {
    return TextRules::formatDate(date, u"MM/DD/YY"_s);
}

QString discontinuedQuestion(const QString& firstLine) {
    return lines(
        {firstLine, u"Do You Want To Include The Items That Are Discontinued In The Database?"_s});
}

} // namespace

QString lineBreak() {
    return u"\n"_s;
}

QString errorLabel(const QString& procedure) {
    return u"(Form) BuildDB::Sub "_s + procedure;
}

QString editOnlyQuestion() {
    return u"Want To EDIT The Items ONLY, Then Click Yes... To ADD Any New Items And Edit "
           u"Exitsting Items Then Press NO!"_s;
}

QString missingSupplierFile(const QString& firstLine, const QString& secondLine) {
    return lines({firstLine, secondLine, u"This File Must Be In Your "_s + u"Supplier Folder"_s,
                  QString(),
                  u"Choose 'Text Files' If This Was Not The File You Intended To Use!"_s});
}

QString stockDiscontinuedQuestion() {
    return discontinuedQuestion(u"This List Includes Discontinued Items!"_s);
}

QString textFileDialogName() {
    return u"*.*"_s;
}

QString textFileFilter() {
    return u"Text|*.txt;*.csv;*.tab|Documents|*.doc|All Files|*.*"_s;
}

QString preview(int lineCount) {
    return lines({u"Below Is The First "_s + QString::number(lineCount) +
                      u" Lines Of The File You Selected!"_s,
                  u"If There Are Lines At The Top Which Are NOT Valid,"_s,
                  u"Such As Blanks, Or Dates, Non-Item Information, Etc..."_s,
                  u"Click The Line You Want To Start With"_s});
}

QString dividerProposal(Divider::Kind kind) {
    QString word;
    switch (kind) {
    case Divider::Kind::Comma:
        word = u"Commas"_s;
        break;
    case Divider::Kind::Tab:
        word = u"Tabs"_s;
        break;
    case Divider::Kind::TwoSpaces:
        word = u"Spaces"_s;
        break;
    case Divider::Kind::Bracket:
        word = u"Brackets"_s;
        break;
    case Divider::Kind::Other:
    case Divider::Kind::SeparateLines:
        return QString();
    }
    return lines(
        {u"This File Seems To Use "_s + word + u" To Seperate The Fields, Click OK To Accept"_s,
         u"Click Cancel To Choose The Seperator Yourself"_s});
}

QString otherDividerPrompt() {
    return lines({u"Select ONLY The Divider Or Seperator Betweeen Each Field,"_s,
                  u"From The Lines Below That Seperates EACH Field!"_s});
}

QString invalidChoice() {
    return u"Sorry, that is not a valid choice!"_s;
}

QString linesPerItemPrompt() {
    return u"How Many Lines Per Each Item Or Product?"_s;
}

QString wrongSeparatorTitle() {
    return u"Wrong Seperator Type"_s;
}

QString wrongSeparator(const QString& divider) {
    return lines({u"Sorry, "_s + divider, u" Is NOT A Valid Item Seperator!"_s,
                  u"Try Again, Or Cancel To Exit"_s});
}

QString notProperType() {
    return u"This file is NOT Of A Proper Type!"_s;
}

QString noteTitle() {
    return u"Want A Note?"_s;
}

QString notePrompt() {
    return lines({u"Would You Like To Put A Note For This?"_s,
                  u"Enter It In The Text Box Below, Or Use The One Already In There"_s});
}

QString noteDefault(const QDate& today, const QString& bareFileName) {
    return shortDate(today) + u" "_s + bareFileName;
}

QString addMoreTitle() {
    return u"Add More Items?"_s;
}

QString addMorePrompt(int fieldCount) {
    return lines({u"The Data Shows There Are "_s + QString::number(fieldCount) + u" Items."_s,
                  u"There May Be Other Lines With More Items,"_s,
                  u"If You Want To Add Slots For Them, Enter How Many To Add"_s,
                  u"Which May Not Be On This One Line?"_s});
}

QString databaseDialogName() {
    return u"*.mdb"_s;
}

QString databaseFilter() {
    return u"Access DataBase|*.mdb"_s;
}

QString chooseTable() {
    return u"Choose The Table Below Where The Data You Want Is Located"_s;
}

QString systemTableEntry() {
    return u"** DON'T USE **"_s;
}

bool isSystemTable(const QString& tableName) {
    return tableName.toUpper().contains(u"MSYS"_s);
}

QString chooseFields() {
    return u"Choose The Fields That You Want For Each Field"_s;
}

QString emptyDatabase() {
    return u"This DataBase Does Not Have Any Data In It"_s;
}

QString emptyField() {
    return u"This One Is Empty"_s;
}

QString mappingField(int number, int count, const QString& label) {
    return u"Field "_s + QString::number(number) + u" Of "_s + QString::number(count) + u":   "_s +
           label;
}

QString mappingDiscontinuedQuestion() {
    return discontinuedQuestion(u"If This List Includes Discontinued Items!"_s);
}

QString stockNumberRequired() {
    return lines({u"You Did NOT Enter A Product ID/Stock Number!"_s,
                  u"You Must Enter One Of The Fields As This!"_s});
}

QString gettingInformationFrom(const QString& bareFileName) {
    return u"Getting Information From: "_s + bareFileName;
}

QString selectSupplier() {
    return u"Select Who The Supplier Is For These Items?"_s;
}

QString refusedValue(const QString& stockNumber, const QString& column, const QString& why) {
    return u"item "_s + stockNumber + u", column "_s + column + u": "_s + why;
}

QString refusedItem(const QString& stockNumber, const QString& why) {
    return u"item "_s + stockNumber + u": the catalogue refused it ("_s + why + u')';
}

QString repeatedStockNumber(const QString& stockNumber, const QList<qsizetype>& lines, bool rows) {
    const QString place = rows ? u"row"_s : u"line"_s;
    QString listed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            listed += i + 1 == lines.size() ? u" and "_s : u", "_s;
        listed += QString::number(lines.at(i));
    }
    return stockNumber + u" is on "_s + place + u"s "_s + listed + u"; the "_s +
           (lines.size() > 2 ? u"last "_s : u"later "_s) + place + u" was used"_s;
}

QString decimalCommaQuestion(const QString& sign) {
    return u"Most Prices In This File Only Make Sense With A Decimal Comma, Like "_s + sign +
           lineBreak() + u"Read The Prices With A Decimal Comma (1.234,50 Is 1234.50)?"_s +
           lineBreak() + u"If You Choose No, Those Prices Are Passed Over And Counted."_s;
}

QString progress(const QString& stockNumber, int checked, int added, int edited) {
    // A stock number read from a damaged file can be a whole line long; the status line keeps
    // to its start.
    const QString shown = stockNumber.size() > ProgressStockNumberLength
                              ? stockNumber.left(ProgressStockNumberLength) + u"..."_s
                              : stockNumber;
    return u"Adding Product ID # "_s + shown + u"   Checked: "_s + QString::number(checked) +
           u"   New: "_s + QString::number(added) + u"   Edited: "_s + QString::number(edited);
}

QString stockNumberPastFields(int position, int fieldCount, bool columns) {
    const QString what = columns ? u"column"_s : u"field"_s;
    return u"The stock number is mapped to "_s + what + u" "_s + QString::number(position) +
           u" (counted from 0), but the first items have only "_s + QString::number(fieldCount) +
           u" "_s + what + (fieldCount == 1 ? QString() : u"s"_s) +
           u": no item would be imported. Nothing was written."_s;
}

QString pricesLeft(qint64 count) {
    return count == 1 ? u"1 price left as it was"_s
                      : QString::number(count) + u" prices left as they were"_s;
}

QString priceLeft(qsizetype place, bool rows, const QString& stockNumber, const QString& column,
                  const QString& value) {
    const QString where =
        place < 0 ? QString()
                  : (rows ? u"row "_s : u"line "_s) + QString::number(place + 1) + u": "_s;
    return where + stockNumber + u" "_s + column + u" '"_s + value + u"'"_s;
}

QStringList pricesLeftBlock(qint64 count, const QStringList& named, int most) {
    if (count <= 0)
        return {};
    QStringList block{pricesLeft(count) + u':'};
    for (const QString& name : named.mid(0, most))
        block << u"   "_s + name;
    const qint64 shown = qMin<qint64>(most, named.size());
    if (count > shown)
        block << u"   and "_s + QString::number(count - shown) + u" more"_s;
    return block;
}

QString totals(int checked, int added, int edited) {
    return u"Total Checked: "_s + QString::number(checked) + u"   Total Added: "_s +
           QString::number(added) + u"   Total Edited: "_s + QString::number(edited);
}

QString folderCaption() {
    return u"Getting Information From A Folder"_s;
}

QString pictureFilter() {
    return u"Jpeg Pictures|*.jpg|Gif Pictures|*.gif|Bitmap Pictures|*.bmp|All Files|*.*"_s;
}

QString folderNotePrompt() {
    return u"Would You Like To Put A Note For This?"_s;
}

QString folderNoteDefault(const QDate& today, const QString& folder) {
    return shortDate(today) + u" Updated From Folder: "_s + folder;
}

QString newItemName(const QString& fileName) {
    const QString type = fileName.right(3).toUpper();
    if (type == u"JPG"_s || type == u"GIF"_s || type == u"BMP"_s)
        return u"New "_s + type + u" Picture"_s;
    return u"New Text File"_s;
}

QString addedThisItem() {
    return u" - Added This Item"_s;
}

QString editedThisItem() {
    return u" - Edited This Item"_s;
}

QString folderProgress(int index, int fileCount, int added, int edited) {
    return u"Searching: "_s + QString::number(index) + u" of "_s + QString::number(fileCount) +
           u"  Found New: "_s + QString::number(added) + u"  Edited: "_s + QString::number(edited);
}

QString folderTotals(int index, int added, int edited) {
    return u"Searched: "_s + QString::number(index) + u"   Found New: "_s + QString::number(added) +
           u"  Edited: "_s + QString::number(edited);
}

QString picturePathCaption() {
    return u"Changing Pictures Path"_s;
}

QString internetPicturesQuestion() {
    return u"Want ALL Pictures To Come From An Internet Site?"_s;
}

QString internetAddressTitle() {
    return u"Choose Internet Address"_s;
}

QString internetAddressPrompt() {
    return lines({u"Enter The Internet Address,"_s,
                  u"Include The 'HTTP://' or 'FTP://' Before The Address"_s});
}

QString internetAddressDefault() {
    return u"http://"_s;
}

QString fileTypeTitle() {
    return u"Choose File Type"_s;
}

QString fileTypePrompt() {
    return lines({u"Choose File Type '.jpg','.gif' or '.bmp' (Include The Period Before It!)"_s,
                  u"Be Sure To Type It Like One Of These!"_s});
}

QString fileTypeDefault() {
    return u".jpg"_s;
}

QString invalidExtension() {
    return u"That Is NOT A Valid Extention, Try Again?"_s;
}

QString picturePathNoteDefault(const QDate& today) {
    return shortDate(today) + u" Updated Picture Path"_s;
}

QString picturePathProgress(int count) {
    return u"Changing Paths For: "_s + QString::number(count) + u" Records"_s;
}

QString picturePathTotal(int count) {
    return u"Total Records Changed Was: "_s + QString::number(count);
}

QString deleteCaption() {
    return u"Deleting Records!"_s;
}

QString deleteSelection(const QString& searchWhere) {
    return u"select * from products where "_s + searchWhere;
}

QString deleteProgress(int count) {
    return u"Deleting Records... "_s + QString::number(count) + u"     Please Wait!"_s;
}

QString deleteTotal(int count) {
    return u"Deleted A Total Of  "_s + QString::number(count) + u"  Records"_s;
}

QString taskStopped(const QString& reason) {
    return u"The task stopped: "_s + reason;
}

} // namespace tovin::ImportMessages
