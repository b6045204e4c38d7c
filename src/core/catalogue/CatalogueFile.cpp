#include "core/catalogue/CatalogueFile.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/files/FileIdentity.h"
#include "core/files/OpenCatalogues.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin::CatalogueFile {

namespace {

const QStringList& catalogueSuffixes() {
    static const QStringList suffixes{u"mde"_s, u"mdb"_s, u"accdb"_s};
    return suffixes;
}

// The header of an Access file: a page of type 0 followed by the engine name at offset 4.
bool isAccessHeader(const QByteArray& head) {
    const QByteArray engine = head.mid(4, 15);
    return engine == "Standard Jet DB" || engine == "Standard ACE DB";
}

// The first table or column of the catalogue the file lacks ("" when it has them all).
QString missingPart(CatalogueDatabase& database) {
    for (const TableDefinition& table : CatalogueSchema::tables()) {
        if (!database.hasTable(table.name))
            return u"it has no table "_s + table.name;
        const QList<ColumnInfo>& present = database.columns(table.name);
        for (const ColumnDefinition& column : table.columns) {
            const bool found =
                std::any_of(present.cbegin(), present.cend(), [&](const ColumnInfo& info) {
                    return info.name.compare(column.name, Qt::CaseInsensitive) == 0;
                });
            if (!found)
                return u"its table "_s + table.name + u" has no column "_s + column.name;
        }
    }
    return QString();
}

// Why the first bytes of a file no connection has open show it is no catalogue.
std::optional<QString> headerRefusal(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return u"The file "_s + path + u" cannot be read: "_s + file.errorString() + u'.';
    const QByteArray head = file.read(32);
    file.close();
    if (isAccessHeader(head))
        return u"The file "_s + path +
               u" is an Access database, not a catalogue of this program, so it cannot be "
               u"opened as the catalogue."_s;
    if (!head.startsWith(QByteArrayLiteral("SQLite format 3")))
        return u"The file "_s + path + u" is not a catalogue."_s;
    return std::nullopt;
}

} // namespace

QString withCatalogueSuffix(const QString& fileName) {
    if (fileName.isEmpty())
        return fileName;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (catalogueSuffixes().contains(suffix))
        return fileName;
    return fileName + u".mde"_s;
}

std::optional<QString> refusal(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return u"The file "_s + path + u" does not exist."_s;
    if (!info.isFile())
        return path + u" is a folder, not a catalogue file."_s;
    // A catalogue this program already has open is known to be one, and its header is never
    // read past the database: that would drop the database's locks on it.
    if (const std::optional<QString> open = OpenCatalogues::holding(path)) {
        if (!FileIdentity::sameFile(path, *open))
            return u"The file "_s + path + u" is a working file of the open catalogue "_s + *open +
                   u", not a catalogue."_s;
    } else if (const std::optional<QString> header = headerRefusal(path)) {
        return header;
    }
    QString missing;
    try {
        CatalogueDatabase database(path);
        missing = missingPart(database);
    } catch (const RunTimeError& error) {
        // The database's own refusal (a damaged file, a catalogue of a newer program).
        return error.description();
    }
    if (!missing.isEmpty())
        return u"The file "_s + path + u" is not a catalogue of this program: "_s + missing + u'.';
    return std::nullopt;
}

} // namespace tovin::CatalogueFile
