#include "core/catalogue/CatalogueDatabase.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportReport.h"
#include "core/import/ProductImporter.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/StorageStatement.h"

#include <bit>

using namespace Qt::Literals::StringLiterals;

// How the importer takes its items in groups: looked up together, compared one by one, written
// together.

namespace tovin {

void ProductImporter::Waiting::refuse(int number, const QString& words) {
    errors.append(RunTimeError(number, ImportMessages::refusedItem(stockNumber, words)));
}

// The server's case-blind comparison takes more texts as equal than the letters A to Z folded
// (accented capitals, ligatures, composed and decomposed accents): the key is coarser still, so
// two items that the catalogue may take as one product are never looked up in one group.
QString ProductImporter::groupKey(const QString& stockNumber) {
    const QString folded = stockNumber.normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString key;
    key.reserve(folded.size());
    for (const QChar c : folded)
        if (c.isLetterOrNumber())
            key += c;
    return key;
}

void ProductImporter::addWaiting(Waiting waiting) {
    if (m_stopped)
        return;
    if (waiting.kind == Waiting::Kind::Item) {
        const QString key = groupKey(waiting.stockNumber);
        if (m_waitingKeys.contains(key) && !writeGroup())
            return;
        m_waitingKeys.insert(key);
    }
    if (waiting.kind != Waiting::Kind::ProgressOnly)
        ++m_waitingRows;
    m_waiting.push_back(std::move(waiting));
    // A group never spans two transactions, so that a commit keeps whole groups.
    if (m_waitingRows >= qMin(GroupSize, rowsUntilCommit()) ||
        qsizetype(m_waiting.size()) >= MostWaiting)
        writeGroup();
}

// The held group's rows are counted in the transaction only once they are told.
int ProductImporter::rowsUntilCommit() const {
    return m_transaction->rowsUntilCommit() - (m_held ? m_held->rows : 0);
}

bool ProductImporter::writeGroup() {
    if (m_waiting.empty()) {
        sendHeld();
        return !m_stopped;
    }
    if (m_held && m_held->keys.intersects(m_waitingKeys))
        sendHeld();
    m_compared = 0;
    m_goOn = true;
    lookUpGroup();
    compareWaiting();
    const bool endsBatch = m_waitingRows >= rowsUntilCommit();
    holdWrites(m_compared);
    m_waitingRows = 0;
    // Items after the one the callback stopped at are not written; those before it are, now.
    if (endsBatch || !m_goOn)
        sendHeld();
    m_stopped = !m_goOn;
    return m_goOn;
}

void ProductImporter::compareWaiting() {
    while (m_goOn && m_compared < qsizetype(m_waiting.size())) {
        Waiting& waiting = m_waiting[size_t(m_compared++)];
        if (waiting.kind == Waiting::Kind::Item && waiting.lookedUp)
            compare(waiting);
        m_goOn = tellProgress(waiting.progressValue);
    }
}

void ProductImporter::lookUpGroup() {
    bool refusedTogether = false;
    std::vector<StorageConnection::GroupedRun> runs = lookups(refusedTogether);
    const StorageConnection::Meanwhile meanwhile{runs.size(), [this, &refusedTogether] {
                                                     if (!refusedTogether)
                                                         compareWaiting();
                                                 }};
    if (m_held) {
        // The group keeps the runs until it is told: its inserts' values are still wanted for
        // the new rows of a refused one, which go before any later lookup.
        m_held->firstSpan += runs.size();
        std::move(m_held->runs.begin(), m_held->runs.end(), std::back_inserter(runs));
        m_held->runs = std::move(runs);
        std::unique_ptr<HeldGroup> sent = std::move(m_held);
        m_db.connection().runTogether(sent->runs, meanwhile);
        tellHeld(std::move(sent));
    } else {
        m_db.connection().runTogether(runs, meanwhile);
    }
    if (refusedTogether) {
        std::vector<StorageConnection::GroupedRun> each = lookups(refusedTogether);
        m_db.connection().runTogether(each);
    }
}

// A refusal of the one run says nothing of which item the catalogue could not look up (a
// stock number the server cannot be sent): the items are then looked up one by one, and only
// the one refused is passed over.
std::vector<StorageConnection::GroupedRun> ProductImporter::lookups(bool& refusedTogether) {
    std::vector<StorageConnection::GroupedRun> runs;
    std::vector<Waiting*> items;
    QStringList keys;
    for (Waiting& waiting : m_waiting) {
        if (waiting.kind != Waiting::Kind::Item)
            continue;
        items.push_back(&waiting);
        keys << waiting.stockNumber;
    }
    if (m_findEach && !refusedTogether && items.size() > 1) {
        runs.push_back({m_findEach.get(),
                        {m_db.dialect().keyList(keys)},
                        [this, items](StorageStatement& found) { readTogether(items, found); },
                        [&refusedTogether](const StatementRefused&) { refusedTogether = true; }});
        return runs;
    }
    for (Waiting* waiting : items)
        runs.push_back({m_find.get(),
                        {QVariant(waiting->stockNumber)},
                        [this, waiting](StorageStatement& found) { readFound(*waiting, found); },
                        [waiting](const StatementRefused& error) {
                            waiting->refuse(error.number(), error.databaseMessage());
                        }});
    return runs;
}

void ProductImporter::readTogether(const std::vector<Waiting*>& items, StorageStatement& found) {
    while (found.next()) {
        const qint64 place = found.integer(m_placeColumn);
        if (place < 1 || place > qint64(items.size()))
            throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                                   u"The catalogue answered a lookup for no item"_s);
        readRow(*items[size_t(place - 1)], found);
    }
    for (Waiting* waiting : items)
        waiting->lookedUp = waiting->errors.isEmpty();
}

void ProductImporter::readFound(Waiting& waiting, StorageStatement& found) {
    try {
        if (found.next())
            readRow(waiting, found);
        waiting.lookedUp = waiting.errors.isEmpty();
    } catch (const CatalogueFailure&) {
        throw;
    } catch (const RunTimeError& error) {
        waiting.refuse(error.number(), error.description());
    }
}

void ProductImporter::readRow(Waiting& waiting, StorageStatement& found) {
    try {
        waiting.found = true;
        waiting.rowId = found.integer(0);
        waiting.stored = std::make_unique<std::array<QVariant, ColumnCount>>();
        for (int column = 1; column < ColumnCount; ++column)
            if (m_columns[column].selectIndex >= 0)
                (*waiting.stored)[column] =
                    found.value(m_columns[column].selectIndex, m_columns[column].kind);
    } catch (const CatalogueFailure&) {
        throw;
    } catch (const StatementRefused&) {
        throw;
    } catch (const RunTimeError& error) {
        waiting.refuse(error.number(), error.description());
    }
}

void ProductImporter::compare(Waiting& waiting) {
    m_stockNumber = waiting.stockNumber;
    m_writing = &waiting;
    try {
        if (waiting.found) {
            m_current = std::move(*waiting.stored);
            editRow(waiting.item, waiting.rowId);
        } else if (!m_options.editOnly) {
            addRow(waiting.item);
        }
        if (m_progressCallback && (waiting.found || !m_options.editOnly))
            m_progress.status = ImportMessages::progress(m_stockNumber, int(m_rowsChecked),
                                                         int(m_rowsAdded), int(m_rowsEdited));
    } catch (const CatalogueFailure&) {
        m_writing = nullptr;
        throw;
    } catch (const StatementRefused& error) {
        waiting.refuse(error.number(), error.databaseMessage());
    } catch (const RunTimeError& error) {
        waiting.refuse(error.number(), error.description());
    }
    m_writing = nullptr;
    waiting.item.clear();
}

std::function<void(const StatementRefused&)> ProductImporter::refusalOf(Waiting& waiting) {
    return [this, &waiting](const StatementRefused& error) {
        waiting.refuse(error.number(), error.databaseMessage());
        // The item was counted when it was compared.
        if (waiting.written == Waiting::Written::Added) {
            --m_rowsChecked;
            --m_rowsAdded;
        } else if (waiting.written == Waiting::Written::Edited) {
            --m_rowsEdited;
        }
        waiting.written = Waiting::Written::Nothing;
    };
}

// Rows of the same columns that follow one another go in one statement, new ones keyed in the
// order of the items. A statement refused goes again row by row, so that only the row the
// catalogue refuses is passed over.
void ProductImporter::holdWrites(qsizetype told) {
    auto held = std::make_unique<HeldGroup>();
    held->runs = std::exchange(m_writes, {});
    held->firstSpan = held->runs.size();
    holdTogether(*held, m_edited, true);
    holdTogether(*held, m_added, false);
    m_edited.clear();
    m_added.clear();
    // The vectors take turns, so that no group allocates its places anew.
    held->waiting = std::exchange(m_waiting, std::move(m_spare));
    m_waiting.clear();
    m_waiting.reserve(MostWaiting);
    held->told = told;
    for (qsizetype i = 0; i < told; ++i)
        held->rows += held->waiting[size_t(i)].kind != Waiting::Kind::ProgressOnly;
    held->keys = std::exchange(m_waitingKeys, {});
    m_held = std::move(held);
}

void ProductImporter::holdTogether(HeldGroup& held, std::vector<RowWrite>& rows, bool edits) {
    for (size_t first = 0; first < rows.size();) {
        size_t end = first + 1;
        while (end < rows.size() && rows[end].mask == rows[first].mask)
            ++end;
        // Statements of 1, 2, 4 ... rows: a few kept statements serve groups of any size.
        while (first < end) {
            const size_t count = std::bit_floor(qMin<size_t>(end - first, GroupSize));
            HeldGroup::Span span;
            span.mask = rows[first].mask;
            span.edits = edits;
            std::vector<QVariant> values;
            for (size_t row = first; row < first + count; ++row) {
                span.items.push_back(rows[row].waiting);
                for (QVariant& value : rows[row].values)
                    values.push_back(std::move(value));
            }
            const size_t number = held.spans.size();
            HeldGroup* group = &held;
            StorageStatement& statement = edits ? updateStatement(span.mask, int(count))
                                                : insertStatement(span.mask, int(count));
            held.runs.push_back({&statement,
                                 std::move(values),
                                 {},
                                 count == 1 ? refusalOf(*span.items.front())
                                            : [group, number](const StatementRefused&) {
                                                  group->spans[number].refused = true;
                                              }});
            held.spans.push_back(std::move(span));
            first += count;
        }
    }
}

void ProductImporter::sendHeld() {
    if (!m_held)
        return;
    m_db.connection().runTogether(m_held->runs);
    tellHeld(std::move(m_held));
}

void ProductImporter::tellHeld(std::unique_ptr<HeldGroup> held) {
    std::vector<StorageConnection::GroupedRun> again;
    for (size_t number = 0; number < held->spans.size(); ++number) {
        const HeldGroup::Span& span = held->spans[number];
        if (!span.refused)
            continue;
        const std::vector<QVariant>& values = held->runs[held->firstSpan + number].values;
        const size_t width = values.size() / span.items.size();
        StorageStatement& one =
            span.edits ? updateStatement(span.mask, 1) : insertStatement(span.mask, 1);
        for (size_t row = 0; row < span.items.size(); ++row)
            again.push_back({&one,
                             {values.begin() + qsizetype(row * width),
                              values.begin() + qsizetype((row + 1) * width)},
                             {},
                             refusalOf(*span.items[row])});
    }
    m_db.connection().runTogether(again);
    for (qsizetype i = 0; i < held->told; ++i) {
        Waiting& waiting = held->waiting[size_t(i)];
        m_stockNumber = waiting.stockNumber;
        for (const RunTimeError& error : std::as_const(waiting.errors))
            reportError(error);
        if (waiting.written == Waiting::Written::Added && m_options.report)
            m_options.report->addAdded(waiting.stockNumber);
        if (waiting.written != Waiting::Written::Nothing && waiting.margin)
            m_summary.add(*waiting.margin);
        waiting.margin.reset();
        if (waiting.kind != Waiting::Kind::ProgressOnly)
            m_transaction->rowDone();
    }
    held->waiting.clear();
    m_spare = std::move(held->waiting);
}

} // namespace tovin
