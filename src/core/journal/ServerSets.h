#pragma once

#include "core/storage/ColumnKind.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace tovin {

class CatalogueDatabase;

// Many rows written by one statement on a server: the values of a column for all of them go
// as one array parameter, written as the server reads an array from text, and are cast to the
// column's type there. Each row sent alone would cost a round trip and a savepoint, several
// times the server's own work on it.
namespace ServerSets {

// How many rows one statement takes: large enough that the round trips cost little, small
// enough that a statement refused for one row and made again row by row costs little too.
constexpr qsizetype RowsPerStatement = 5000;

// True for a catalogue on a server, where the work goes in sets.
bool apply(const CatalogueDatabase& db);

// "{1,2,3}", for CAST(? AS bigint[]).
QString keys(const std::vector<qint64>& keys);
// The values as an array of texts ("{\"a b\",NULL,12}"), each as its column's type reads it
// back exactly: whole numbers as they are, floating numbers in as many digits as tell them
// apart, texts quoted.
QString texts(const std::vector<QVariant>& values);
// A value as the server gives it back once written (see StorageStatement::stored): whole
// numbers as qlonglong, a null text as null; what the journal keeps of a written value.
QVariant storedForm(const QVariant& value);
// The server's type a column of this kind is cast to from text.
QString typeOf(ColumnKind kind);

} // namespace ServerSets

} // namespace tovin
