#include "core/journal/HistoryWording.h"

#include "core/catalogue/DisplayFormat.h"
#include "core/journal/JournalRun.h"
#include "core/storage/ColumnValues.h"
#include "core/text/DateText.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace tovin::HistoryWording {

namespace {

const QString Empty = u"(empty)"_s;
const QString Arrow = u" \u2192 "_s;
// Values in a message box are cut here: the message says which rows, not all they hold.
constexpr qsizetype KeptValueLength = 60;

QString noun(qint64 n, bool products) {
    if (products)
        return n == 1 ? u"product"_s : u"products"_s;
    return n == 1 ? u"row"_s : u"rows"_s;
}

// "12 products deleted, 6 set back and 2 put back": the parts that are not zero, the noun on
// the first one only; `verbFirst` puts the verb before the number ("delete 12 products").
QString parts(const QList<std::pair<qint64, QString>>& counts, bool products, bool verbFirst) {
    QStringList said;
    for (const auto& [n, verb] : counts) {
        if (n == 0)
            continue;
        QString number = QString::number(n);
        if (said.isEmpty())
            number += u' ' + noun(n, products);
        said << (verbFirst ? verb + u' ' + number : number + u' ' + verb);
    }
    if (said.size() > 1)
        said.last() = u"and "_s + said.last();
    return said.join(said.size() > 2 ? u", "_s : u" "_s);
}

QString shortened(const QString& text) {
    const QString line = oneLine(text);
    return line.size() > KeptValueLength ? line.left(KeptValueLength) + u"\u2026"_s : line;
}

} // namespace

QString value(const QVariant& stored, ColumnKind kind) {
    if (!stored.isValid() || stored.isNull())
        return Empty;
    if (stored.typeId() == QMetaType::QByteArray)
        return u"(%1 bytes)"_s.arg(stored.toByteArray().size());
    QString text;
    switch (kind) {
    case ColumnKind::Money:
        // Kept as ten-thousandths; a file of an older version may hold a real number.
        if (stored.typeId() == QMetaType::LongLong || stored.typeId() == QMetaType::Double)
            text = DisplayFormat::text(ColumnValues::fromStorage(kind, stored),
                                       DisplayFormat::Currency);
        else
            text = stored.toString();
        break;
    case ColumnKind::Date:
        text = DisplayFormat::text(ColumnValues::fromStorage(kind, stored), DisplayFormat::Date);
        break;
    case ColumnKind::YesNo:
        text = stored.toLongLong() != 0 ? u"Yes"_s : u"No"_s;
        break;
    case ColumnKind::Number:
    case ColumnKind::Counter:
        text = DisplayFormat::text(ColumnValues::fromStorage(kind, stored), DisplayFormat::Plain);
        break;
    case ColumnKind::Text:
    case ColumnKind::Memo:
        text = stored.toString();
        break;
    }
    return text.isEmpty() ? Empty : text;
}

QString oneLine(const QString& text) {
    QString line = text;
    line.replace(u"\r\n"_s, u"\n"_s);
    while (line.endsWith(u'\n'))
        line.chop(1);
    return line.replace(u'\n', u" \u21b5 "_s);
}

QString change(const RunHistory::RowChange& change, bool singleLine) {
    const QString before = value(change.oldValue, change.kind);
    const QString after = value(change.newValue, change.kind);
    if (singleLine)
        return oneLine(before) + Arrow + oneLine(after);
    // A value of several lines reads better under the other than beside it.
    if (before.contains(u'\n') || after.contains(u'\n'))
        return before + u"\n\u2192\n"_s + after;
    return before + Arrow + after;
}

QString when(const QString& started) {
    const QDateTime at = QDateTime::fromString(started, Qt::ISODate);
    if (!at.isValid())
        return started;
    const QDateTime local = at.toLocalTime();
    return TextRules::formatDate(local.date(), DisplayFormat::Date) + u' ' +
           local.time().toString(u"HH:mm"_s);
}

QString sourceName(const QString& source) {
    const qsizetype slash = source.lastIndexOf(u'/');
    return slash >= 0 && slash + 1 < source.size() ? source.mid(slash + 1) : source;
}

QString runName(const RunHistory::RunInfo& run) {
    const QString source = sourceName(run.source);
    if (source.isEmpty())
        return run.kind;
    if (run.kind == JournalRun::TextImport)
        return u"import of "_s + source;
    if (run.kind == JournalRun::Undo)
        return u"undo of "_s + source;
    // The source of a deletion is the search that found the rows, no name for the user.
    if (run.kind == JournalRun::Delete)
        return source.compare(u"Products"_s, Qt::CaseInsensitive) == 0
                   ? run.kind
                   : u"delete of the products found"_s;
    return run.kind + u' ' + source;
}

QString counted(const RunRowCounts& counts) {
    if (counts.total() == 0)
        return u"no "_s + noun(0, counts.productsOnly) + u" changed"_s;
    QStringList said;
    for (const auto& [n, verb] :
         {std::pair{counts.added, u"added"_s}, std::pair{counts.changed, u"changed"_s},
          std::pair{counts.deleted, u"deleted"_s}}) {
        if (n == 0)
            continue;
        said << QString::number(n) +
                    (said.isEmpty() ? u' ' + noun(n, counts.productsOnly) : QString()) + u' ' +
                    verb;
    }
    return said.join(u", "_s);
}

bool isRedo(const RunHistory::RunInfo& run, const std::optional<RunHistory::RunInfo>& undone) {
    return run.undoOf != 0 && undone && undone->number == run.undoOf &&
           undone->kind != JournalRun::Undo;
}

QString question(const RunHistory::RunInfo& run, const RunRowCounts& counts,
                 const std::optional<RunHistory::RunInfo>& undone) {
    if (!isRedo(run, undone))
        return u"Take back run %1, %2: %3?\n\nWhat was changed since the run is left as it is."_s
            .arg(run.number)
            .arg(runName(run), counted(counts));
    // The undo deleted what the run added and put back what it deleted: in the run's terms.
    RunRowCounts again = counts;
    std::swap(again.added, again.deleted);
    return u"Do run %1, %2, again by taking back its undo, run %3: %4?\n\nWhat was changed "
           u"since the undo is left as it is."_s.arg(undone->number)
               .arg(runName(*undone))
               .arg(run.number)
               .arg(counted(again));
}

QString outcome(const RunUndo::Result& result, bool trial, qint64 redone, bool productsOnly,
                qsizetype keptShown) {
    QString text;
    if (redone == 0) {
        const QList<std::pair<qint64, QString>> counts{
            {result.rowsDeleted, trial ? u"delete"_s : u"deleted"_s},
            {result.rowsRestored, u"set back"_s},
            {result.rowsReinserted, u"put back"_s}};
        const QString done = parts(counts, productsOnly, trial);
        if (trial)
            text = u"Undoing run %1 would %2."_s.arg(result.run)
                       .arg(done.isEmpty() ? u"change nothing"_s : done);
        else
            text = u"Run %1 taken back: %2."_s.arg(result.run)
                       .arg(done.isEmpty() ? u"nothing needed changing"_s : done);
    } else {
        const QList<std::pair<qint64, QString>> counts{
            {result.rowsReinserted, trial ? u"add"_s : u"added"_s},
            {result.rowsRestored, trial ? u"change"_s : u"changed"_s},
            {result.rowsDeleted, trial ? u"delete"_s : u"deleted"_s}};
        const QString done = parts(counts, productsOnly, trial);
        if (trial)
            text = u"Doing run %1 again would %2."_s.arg(redone).arg(
                done.isEmpty() ? u"change nothing"_s : done);
        else
            text = u"Run %1 done again (its undo, run %2, taken back): %3."_s.arg(redone)
                       .arg(result.run)
                       .arg(done.isEmpty() ? u"nothing needed changing"_s : done);
    }
    QSet<QString> rows;
    for (const RunUndo::Kept& kept : result.kept)
        rows.insert(kept.table + u'\n' + QString::number(kept.key));
    // A row may be set back in some columns and keep newer values in others: these say where
    // values were kept, not that the whole row was.
    if (!rows.isEmpty())
        text += u"\n\nIn %1 %2 values changed since the run %3 left as they are:"_s.arg(rows.size())
                    .arg(noun(rows.size(), productsOnly), trial ? u"would be"_s : u"are"_s);
    for (qsizetype i = 0; i < result.kept.size() && i < keptShown; ++i)
        text += u'\n' + kept(result.kept.at(i));
    if (result.kept.size() > keptShown)
        text += u"\n... and %1 more"_s.arg(result.kept.size() - keptShown);
    if (trial)
        text += u"\n\nNothing was changed."_s;
    return text;
}

QString kept(const RunUndo::Kept& kept) {
    QString where = kept.stockNumber.isEmpty() ? kept.table + u" row "_s + QString::number(kept.key)
                                               : kept.stockNumber;
    if (!kept.column.isEmpty())
        where += u' ' + kept.column;
    if (kept.heldBy != 0 ||
        (kept.column.isEmpty() && !kept.current.isValid() && !kept.runValue.isValid()))
        return where + u": "_s + kept.reason;
    return where + u": "_s + kept.reason + u", now "_s + shortened(value(kept.current, kept.kind)) +
           u", the run wrote "_s + shortened(value(kept.runValue, kept.kind));
}

} // namespace tovin::HistoryWording
