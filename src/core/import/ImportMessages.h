#pragma once

#include "core/import/Divider.h"

#include <QDate>
#include <QList>
#include <QString>

// Every text the import screen's tasks show: questions, prompts, instructions, captions and
// status lines, worded exactly as users know them (misspellings included).
//
// Texts shown on screen break lines with "\n" (lineBreak()). Texts stored in a row (change lines,
// notes) end with CR LF instead.
namespace tovin::ImportMessages {

QString lineBreak();

// The label under which a task of the import screen reports a run-time error, for example
// "(Form) BuildDB::Sub GetFiles".
QString errorLabel(const QString& procedure);

// ---- Reading any text file, a supplier file or a database -------------------------------------

// Yes/no question when Products already holds rows: Yes = edit existing items only.
QString editOnlyQuestion();
// The five-line critical message for a missing supplier file.
QString missingSupplierFile(const QString& firstLine, const QString& secondLine);
// Yes/no question before reading the stock file: No = pass over discontinued items.
QString stockDiscontinuedQuestion();

// File dialog for any text file.
QString textFileDialogName(); // "*.*"
// Suppliers send their lists as .txt, .csv or .tab: all of them show in the first entry.
QString textFileFilter();
// Lines shown in the preview list at most.
inline constexpr int PreviewLineCount = 100;
// Instruction above the preview of the first `lineCount` lines.
QString preview(int lineCount);

// The proposal made from the start line (comma, tab, two spaces or bracket; empty for any other
// divider), followed by the way out to the manual choice.
QString dividerProposal(Divider::Kind kind);
// Instruction while the user types a divider for "Other".
QString otherDividerPrompt();
// Critical message for a typed divider that is empty or longer than two characters.
QString invalidChoice();
// Instruction for "Seperate Lines".
QString linesPerItemPrompt();
// Retry/cancel message (critical) when the start line lacks the chosen divider.
QString wrongSeparatorTitle();
QString wrongSeparator(const QString& divider);
// Critical message when the start line does not hold the divider.
QString notProperType();

// Note prompt (input box).
QString noteTitle();
QString notePrompt();
// Default note: the date as MM/DD/YY, a space, the file's bare name.
QString noteDefault(const QDate& today, const QString& bareFileName);

// Input box for slots to add after the first item's `fieldCount` fields.
QString addMoreTitle();
QString addMorePrompt(int fieldCount);

// File dialog for a database.
QString databaseDialogName(); // "*.mdb"
QString databaseFilter();
QString chooseTable();
// List entry standing in for a system table, which cannot be picked.
QString systemTableEntry();
// True for a system table: its upper-cased name contains "MSYS".
bool isSystemTable(const QString& tableName);
QString chooseFields();
QString emptyDatabase();

// Mapping the fields.
// Status line for a field without text.
QString emptyField();
// The status line while a field is mapped: which field of how many, and what it holds, so that
// a file of twenty fields does not leave the user guessing how far along the mapping is.
QString mappingField(int number, int count, const QString& label);
// Yes/no question when a field is mapped to "discontinued": No = pass over discontinued items.
QString mappingDiscontinuedQuestion();
// Critical message when no field was mapped to the stock number.
QString stockNumberRequired();
// Critical message when the stock number is mapped to `position` (counted from 0) but no item
// of the first ones reaches it: their most fields are `fieldCount`. Nothing would be imported.
QString stockNumberPastFields(int position, int fieldCount, bool columns = false);

// Window caption while a file is read.
QString gettingInformationFrom(const QString& bareFileName);
// Exclamation message before the supplier screen is shown.
QString selectSupplier();

// What is reported when a value of an item, or the whole item, is refused and passed over.
QString refusedValue(const QString& stockNumber, const QString& column, const QString& why);
QString refusedItem(const QString& stockNumber, const QString& why);
// The longest stock number a progress line shows.
inline constexpr int ProgressStockNumberLength = 60;

// A stock number on several items of one file (`lines` counted from 1, in order): "AB12 is on
// lines 12 and 20; the later line was used".
QString repeatedStockNumber(const QString& stockNumber, const QList<qsizetype>& lines,
                            bool rows = false);
// Yes/no question when most prices of the first items only make sense with a decimal comma
// (`sign` is the first such price): Yes reads them so.
QString decimalCommaQuestion(const QString& sign);

// Money values that held no number: "3 prices left as they were" (one: "1 price left as it
// was"). A stored product keeps its price; a new one gets the column's default, as every new
// product does.
QString pricesLeft(qint64 count);
// One of them: "line 4: S2 Retail '20,95'" (`place` counted from 0; a database's rows as "row").
QString priceLeft(qsizetype place, bool rows, const QString& stockNumber, const QString& column,
                  const QString& value);
// The most of them named where a run is told (the command line, the journal of runs).
inline constexpr int PricesNamed = 20;
// The block told after a run's totals: pricesLeft(count) and a colon, then the first `named` on
// lines of their own, then how many more there were. Empty for none.
QStringList pricesLeftBlock(qint64 count, const QStringList& named, int most = PricesNamed);

// Status line after each item, and the totals at the end.
QString progress(const QString& stockNumber, int checked, int added, int edited);
QString totals(int checked, int added, int edited);

// ---- Folder import ----------------------------------------------------------------------------

QString folderCaption();
// Filter of the picture file dialogs (folder import and picture paths).
QString pictureFilter();
// Note prompt of the folder tasks (title as noteTitle()).
QString folderNotePrompt();
QString folderNoteDefault(const QDate& today, const QString& folder);
// Name of a product made from a file: "New JPG Picture" and so on for .jpg, .gif and .bmp
// files (any letter case), "New Text File" for anything else.
QString newItemName(const QString& fileName);
// Appended to a row's notes after the note (each followed by CR LF in the row).
QString addedThisItem();
QString editedThisItem();
QString folderProgress(int index, int fileCount, int added, int edited);
QString folderTotals(int index, int added, int edited);

// ---- Picture paths ----------------------------------------------------------------------------

QString picturePathCaption();
QString internetPicturesQuestion();
QString internetAddressTitle();
QString internetAddressPrompt();
QString internetAddressDefault();
QString fileTypeTitle();
QString fileTypePrompt();
QString fileTypeDefault();
QString invalidExtension();
QString picturePathNoteDefault(const QDate& today);
QString picturePathProgress(int count);
QString picturePathTotal(int count);

// ---- Deleting records -------------------------------------------------------------------------

QString deleteCaption();
// The selection deleted when a search is active.
QString deleteSelection(const QString& searchWhere);
QString deleteProgress(int count);
QString deleteTotal(int count);

// Why a task stopped before its end (a damaged file, a catalogue that cannot be written).
QString taskStopped(const QString& reason);

} // namespace tovin::ImportMessages
