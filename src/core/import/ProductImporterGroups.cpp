#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueFailure.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportReport.h"
#include "core/import/ProductImporter.h"
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
    const int limit = qMin(GroupSize, m_transaction->rowsUntilCommit());
    if (m_waitingRows >= limit || qsizetype(m_waiting.size()) >= MostWaiting)
        writeGroup();
}

bool ProductImporter::writeGroup() {
    if (m_waiting.empty())
        return !m_stopped;
    lookUpGroup();
    qsizetype told = 0;
    bool goOn = true;
    while (told < qsizetype(m_waiting.size())) {
        Waiting& waiting = m_waiting[size_t(told++)];
        if (waiting.kind == Waiting::Kind::Item && waiting.lookedUp)
            compare(waiting);
        if (!tellProgress(waiting.progressValue)) {
            goOn = false;
            break;
        }
    }
    writeAndTell(told);
    m_waiting.clear();
    m_waitingRows = 0;
    m_waitingKeys.clear();
    m_stopped = !goOn;
    return goOn;
}

void ProductImporter::lookUpGroup() {
    if (m_findEach && lookUpTogether())
        return;
    std::vector<StorageConnection::GroupedRun> lookups;
    for (Waiting& waiting : m_waiting) {
        if (waiting.kind != Waiting::Kind::Item)
            continue;
        lookups.push_back({m_find.get(),
                           {QVariant(waiting.stockNumber)},
                           [this, &waiting](StorageStatement& found) { readFound(waiting, found); },
                           [&waiting](const StatementRefused& error) {
                               waiting.refuse(error.number(), error.databaseMessage());
                           }});
    }
    m_db.connection().runTogether(lookups);
}

// A refusal of the one statement says nothing of which item the catalogue could not look up
// (a stock number the server cannot be sent): the items are then looked up one by one, and
// only the one refused is passed over.
bool ProductImporter::lookUpTogether() {
    std::vector<Waiting*> items;
    QStringList keys;
    for (Waiting& waiting : m_waiting) {
        if (waiting.kind != Waiting::Kind::Item)
            continue;
        items.push_back(&waiting);
        keys << waiting.stockNumber;
    }
    if (items.size() < 2)
        return false;
    StorageStatement& found = *m_findEach;
    found.reset();
    found.bind(1, m_db.dialect().keyList(keys));
    try {
        while (found.next()) {
            const qint64 place = found.integer(m_placeColumn);
            if (place < 1 || place > qint64(items.size()))
                throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                                       u"The catalogue answered a lookup for no item"_s);
            readRow(*items[size_t(place - 1)], found);
        }
    } catch (const StatementRefused&) {
        found.reset();
        for (Waiting* waiting : items) {
            waiting->found = false;
            waiting->errors.clear();
        }
        return false;
    }
    found.reset();
    for (Waiting* waiting : items)
        waiting->lookedUp = waiting->errors.isEmpty();
    return true;
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
        for (int column = 1; column < ColumnCount; ++column)
            if (m_columns[column].selectIndex >= 0)
                waiting.stored[column] =
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
            m_current = std::move(waiting.stored);
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

// New rows of the same columns that follow one another go in one statement, keyed in the order
// of the items. A statement refused goes again row by row, so that only the row the catalogue
// refuses is passed over.
void ProductImporter::writeAdded() {
    std::vector<StorageConnection::GroupedRun> runs;
    std::vector<std::pair<size_t, size_t>> spans; // the first row of each statement, and how many
    std::vector<bool> refused;
    for (size_t first = 0; first < m_added.size();) {
        size_t end = first + 1;
        while (end < m_added.size() && m_added[end].mask == m_added[first].mask)
            ++end;
        // Statements of 1, 2, 4 ... rows: a few kept statements serve groups of any size.
        while (first < end) {
            const size_t count = std::bit_floor(qMin<size_t>(end - first, GroupSize));
            std::vector<QVariant> values;
            for (size_t row = first; row < first + count; ++row)
                for (QVariant& value : m_added[row].values)
                    values.push_back(std::move(value));
            const size_t span = spans.size();
            spans.emplace_back(first, count);
            refused.push_back(false);
            runs.push_back(
                {&insertStatement(m_added[first].mask, int(count)),
                 std::move(values),
                 {},
                 count == 1 ? refusalOf(*m_added[first].waiting)
                            : [&refused, span](const StatementRefused&) { refused[span] = true; }});
            first += count;
        }
    }
    m_db.connection().runTogether(runs);
    std::vector<StorageConnection::GroupedRun> again;
    for (size_t span = 0; span < spans.size(); ++span) {
        if (!refused[span])
            continue;
        const auto [first, count] = spans[span];
        const std::vector<QVariant>& values = runs[span].values;
        const size_t width = values.size() / count;
        for (size_t row = 0; row < count; ++row)
            again.push_back({&insertStatement(m_added[first].mask, 1),
                             {values.begin() + qsizetype(row * width),
                              values.begin() + qsizetype((row + 1) * width)},
                             {},
                             refusalOf(*m_added[first + row].waiting)});
    }
    m_db.connection().runTogether(again);
    m_added.clear();
}

// Writes the rows of the first `told` items of the group, then tells their errors and the
// products added in the order of the items, and counts them in their transaction.
void ProductImporter::writeAndTell(qsizetype told) {
    std::vector<StorageConnection::GroupedRun> writes = std::exchange(m_writes, {});
    m_db.connection().runTogether(writes);
    writeAdded();
    for (qsizetype i = 0; i < told; ++i) {
        Waiting& waiting = m_waiting[size_t(i)];
        m_stockNumber = waiting.stockNumber;
        for (const RunTimeError& error : std::as_const(waiting.errors))
            reportError(error);
        if (waiting.written == Waiting::Written::Added && m_options.report)
            m_options.report->addAdded(waiting.stockNumber);
        if (waiting.kind != Waiting::Kind::ProgressOnly)
            m_transaction->rowDone();
    }
}

} // namespace tovin
