#pragma once

#include "core/journal/RunHistory.h"
#include "core/journal/RunRowCounts.h"
#include "core/journal/RunUndo.h"
#include "core/storage/ColumnKind.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace tovin {

// The words of the history screen and of the undo questions and answers: values as the
// catalogue's screens show them, runs by their number and what they were, and every count in
// rows (products when the run touched only products), so the question, the outcome and the
// lists count the same things.
namespace HistoryWording {

// A value as the journal keeps it, shown as the Products screen shows it: money "$1,234.50",
// a date "12/07/2026", a flag "Yes" or "No", a text as it is; "(empty)" for no value.
QString value(const QVariant& stored, ColumnKind kind);
// A text on one line: each line break shown as " ↵ ", a last one dropped.
QString oneLine(const QString& text);
// A column's change, "$6.80 → $7.10"; with `singleLine` the texts on one line.
QString change(const RunHistory::RowChange& change, bool singleLine);
// A time the journal keeps (UTC, ISO), local, in the date display format: "12/07/2026 08:01".
QString when(const QString& started);
// The file name of a run's source path; any other source as it is.
QString sourceName(const QString& source);
// What a run was, by its kind and source: "import of kestrel.txt", "bulk edit",
// "undo of run 7".
QString runName(const RunHistory::RunInfo& run);
// "12 products added, 6 changed"; "no products changed" when it touched none.
QString counted(const RunRowCounts& counts);

// Taking back `run` does run `undone` (the run it took back) again when `run` is the undo of
// a run that was no undo itself.
bool isRedo(const RunHistory::RunInfo& run, const std::optional<RunHistory::RunInfo>& undone);

// The question asked before `run` is taken back: "Take back run 7, import of kestrel.txt:
// 12 products added, 6 changed?", or for an undo taken back "Do run 7, import of kestrel.txt,
// again by taking back its undo, run 9: ...?" in the first run's terms.
QString question(const RunHistory::RunInfo& run, const RunRowCounts& counts,
                 const std::optional<RunHistory::RunInfo>& undone);
// What taking a run back did (or with `trial` would do), in rows of the same kind as the
// question counted, and the rows left as they are for being changed since, one line each (the
// first `keptShown`, the others counted). `redone` is the run done again when the run taken
// back was its undo, 0 otherwise.
QString outcome(const RunUndo::Result& result, bool trial, qint64 redone, bool productsOnly,
                qsizetype keptShown);
// "AB15 Retail: changed since, now $7.50, the run wrote $7.10"
QString kept(const RunUndo::Kept& kept);

} // namespace HistoryWording

} // namespace tovin
