#include "core/import/PicturePathChange.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/import/ImportMessages.h"
#include "core/journal/JournalRun.h"
#include "core/journal/ServerSets.h"
#include "core/storage/CatalogueFailure.h"

#include <QFileInfo>
#include <limits>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
constexpr int ReadChunk = 1000;
}

QString PicturePathChange::caption() {
    return ImportMessages::picturePathCaption();
}

QString PicturePathChange::internetQuestion() {
    return ImportMessages::internetPicturesQuestion();
}

QString PicturePathChange::addressTitle() {
    return ImportMessages::internetAddressTitle();
}

QString PicturePathChange::addressPrompt() {
    return ImportMessages::internetAddressPrompt();
}

QString PicturePathChange::addressDefault() {
    return ImportMessages::internetAddressDefault();
}

QString PicturePathChange::fileTypeTitle() {
    return ImportMessages::fileTypeTitle();
}

QString PicturePathChange::fileTypePrompt() {
    return ImportMessages::fileTypePrompt();
}

QString PicturePathChange::fileTypeDefault() {
    return ImportMessages::fileTypeDefault();
}

QString PicturePathChange::invalidExtension() {
    return ImportMessages::invalidExtension();
}

QString PicturePathChange::fileFilter() {
    return ImportMessages::pictureFilter();
}

bool PicturePathChange::isValidExtension(const QString& type) {
    const QString upper = type.toUpper();
    return upper == u".JPG"_s || upper == u".GIF"_s || upper == u".BMP"_s;
}

PicturePathChange::Choice PicturePathChange::useInternetAddress(const QString& address,
                                                                const QString& type) {
    if (address.isEmpty() || type.isEmpty())
        return Choice::Ended;
    if (!isValidExtension(type))
        return Choice::InvalidExtension;
    m_base = address;
    if (m_base.endsWith(u'/'))
        m_base.chop(1);
    m_extension = type;
    return Choice::Ok;
}

PicturePathChange::Choice PicturePathChange::useFolderOf(const QString& chosenFile) {
    if (chosenFile.isEmpty())
        return Choice::Ended;
    const QFileInfo chosen(chosenFile);
    m_base = chosen.absolutePath();
    m_extension = chosen.fileName().right(4);
    return Choice::Ok;
}

QString PicturePathChange::picturePath(const QString& stockNumber) const {
    return m_base + u"/"_s + stockNumber + m_extension;
}

QString PicturePathChange::noteTitle() const {
    return ImportMessages::noteTitle();
}

QString PicturePathChange::notePrompt() const {
    return ImportMessages::folderNotePrompt();
}

QString PicturePathChange::noteDefault(const QDate& today) const {
    return ImportMessages::picturePathNoteDefault(today);
}

ImportOutcome PicturePathChange::run(CatalogueDatabase& db, const ProgressCallback& progress) {
    // On a server each row written alone costs a round trip: the rows read together are
    // written by one statement.
    const bool server = ServerSets::apply(db);
    const std::unique_ptr<StorageStatement> read =
        db.prepare(u"SELECT rowid, StockNo FROM Products WHERE rowid > ? "
                   u"ORDER BY rowid LIMIT "_s +
                   QString::number(server ? ServerSets::RowsPerStatement : ReadChunk));
    m_updateSet = server ? db.prepare(u"UPDATE Products SET Picture = v.picture, "
                                      u"Notes = coalesce(Notes || ?1, Notes, ?1) FROM "
                                      u"unnest(CAST(?2 AS bigint[]), CAST(?3 AS text[])) AS "
                                      u"v(k, picture) WHERE rowid = v.k"_s)
                         : nullptr;
    const std::unique_ptr<StorageStatement> update =
        db.prepare(u"UPDATE Products SET Picture = ?1, "
                   u"Notes = coalesce(Notes || ?2, Notes, ?2) "
                   u"WHERE rowid = ?3"_s);
    const QString& note = options().note;
    const QVariant noteLine = note.isEmpty() ? QVariant() : QVariant(note + u"\r\n"_s);
    m_updateOne = [&](qint64 rowId, const QString& stockNumber) {
        update->reset();
        update->bind(1, QVariant(picturePath(stockNumber)));
        update->bind(2, noteLine);
        update->bind(3, rowId);
        update->next();
        update->reset();
    };
    m_noteLine = noteLine;

    ImportProgress report;
    report.maximum = db.scalar(u"SELECT count(*) FROM Products"_s).toLongLong();
    int changed = 0;
    Run run(*this, db, progress, JournalRun::PicturePaths, m_base);
    qint64 lastRow = std::numeric_limits<qint64>::min();
    std::vector<std::pair<qint64, QString>> rows;
    bool stopped = false;
    while (!stopped) {
        rows.clear();
        read->reset();
        read->bind(1, lastRow);
        while (read->next())
            rows.emplace_back(read->integer(0), read->value(1, ColumnKind::Text).toString());
        read->reset();
        if (rows.empty())
            break;
        lastRow = rows.back().first;
        if (server) {
            stopped = !writeSet(rows, run, report, changed);
            continue;
        }
        for (const auto& row : rows) {
            const auto& rowId = row.first;
            const QString& stockNumber = row.second;
            run.step(stockNumber, [&] {
                update->bind(1, QVariant(picturePath(stockNumber)));
                update->bind(2, noteLine);
                update->bind(3, rowId);
                update->next();
                update->reset();
                ++changed;
            });
            ++report.value;
            report.counts.edited = changed;
            report.status = ImportMessages::picturePathProgress(changed);
            if (!run.tell(report)) {
                stopped = true;
                break;
            }
        }
    }
    return run.finish(report.counts, ImportMessages::picturePathTotal(changed));
}

// The progress is told of each row before the set goes, and the row it stops at is the last
// one written; a set the server refuses goes again row by row, each refused row told and
// passed over. False when the progress stopped the run.
bool PicturePathChange::writeSet(const std::vector<std::pair<qint64, QString>>& rows, Run& run,
                                 ImportProgress& report, int& changed) {
    std::vector<qint64> keys;
    std::vector<QVariant> paths;
    bool going = true;
    for (size_t i = 0; going && i < rows.size(); ++i) {
        keys.push_back(rows[i].first);
        paths.push_back(picturePath(rows[i].second));
        ++report.value;
        report.counts.edited = changed + int(keys.size());
        report.status = ImportMessages::picturePathProgress(report.counts.edited);
        going = run.tell(report);
    }
    StorageStatement& set = *m_updateSet;
    try {
        set.reset();
        set.bind(1, m_noteLine);
        set.bindText(2, ServerSets::keys(keys));
        set.bindText(3, ServerSets::texts(paths));
        set.execute();
        set.reset();
        changed += int(keys.size());
    } catch (const StatementRefused&) {
        set.reset();
        for (size_t i = 0; i < keys.size(); ++i)
            run.step(rows[i].second, [&] {
                m_updateOne(keys[i], rows[i].second);
                ++changed;
            });
    }
    report.counts.edited = changed;
    return going;
}

} // namespace tovin
