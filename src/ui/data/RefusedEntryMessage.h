#pragma once

#include "core/storage/ColumnKind.h"

#include <QString>

namespace tovin::RefusedEntryMessage {

// What a record screen tells the user when the catalogue refuses to write the row being
// edited: which box holds the value its column cannot take, what to type instead, and that
// nothing typed was lost.
QString forBox(const QString& boxCaption, const QString& typed, ColumnKind kind);

// The same when the refusal cannot be traced to one box; `reason` is the catalogue's own words.
QString forRow(const QString& reason);

} // namespace tovin::RefusedEntryMessage
