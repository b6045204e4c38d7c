#include "core/catalogue/DemoCatalogue.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RowWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace tovin::DemoCatalogue {

namespace {

QJsonObject readSeed(const QString& seedFile) {
    const QString path = seedFile.isEmpty() ? u":/demo/catalogue.json"_s : seedFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RunTimeError(ErrorNumber::FileNotFound, u"File not found: "_s + path);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (doc.isNull())
        throw RunTimeError(ErrorNumber::TypeMismatch, u"The seed file "_s + path +
                                                          u" is not valid JSON: "_s +
                                                          error.errorString());
    return doc.object().value(u"tables"_s).toObject();
}

} // namespace

void create(const QString& path, const QString& seedFile) {
    const QJsonObject tables = readSeed(seedFile);
    CatalogueDatabase::create(path);
    CatalogueDatabase db(path);
    ScopedTransaction transaction(db);
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        const QString table = it.key();
        const QList<ColumnInfo>& columns = db.columns(table);
        const QJsonArray rows = it.value().toArray();
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const QJsonObject row = rows.at(r).toObject();
            ColumnValueList values;
            for (auto c = row.begin(); c != row.end(); ++c) {
                int index = -1;
                for (int i = 0; i < columns.size(); ++i)
                    if (columns.at(i).name == c.key())
                        index = i;
                if (index < 0)
                    throw RunTimeError(ErrorNumber::ItemNotFound,
                                       u"Seed row %1 of %2 names an unknown column %3"_s.arg(r).arg(
                                           table, c.key()));
                values << qMakePair(index, c.value().toVariant());
            }
            try {
                RowWriter::insert(db, table, values);
            } catch (const RunTimeError& error) {
                throw RunTimeError(error.number(), u"Seed row %1 of %2: "_s.arg(r).arg(table) +
                                                       error.description());
            }
        }
    }
    transaction.commit();
    db.checkpoint();
}

} // namespace tovin::DemoCatalogue
