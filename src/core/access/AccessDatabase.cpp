#include "core/access/AccessDatabase.h"

#include "core/access/AccessCatalogue.h"
#include "core/access/AccessHandles.h"
#include "core/access/AccessRowReader.h"
#include "core/access/LibraryOutputCatch.h"
#include "core/base/RunTimeError.h"
#include "core/files/OpenCatalogues.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The start of every Jet and ACE database file: a page of type 0 followed by the engine name.
constexpr char JetSignature[] = "\x00\x01\x00\x00Standard Jet DB";
constexpr char AceSignature[] = "\x00\x01\x00\x00Standard ACE DB";
constexpr qsizetype SignatureLength = sizeof(JetSignature) - 1;
constexpr int VersionOffset = 0x14;

[[noreturn]] void throwUnreadable(const QString& path) {
    throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                       u"The file '%1' is not an Access database that can be read."_s.arg(
                           QFileInfo(path).fileName()));
}

[[noreturn]] void throwUnknownTable(const QString& table) {
    throw RunTimeError(ErrorNumber::ItemNotFound,
                       u"The database has no table named '%1'."_s.arg(table));
}

// libmdb trusts the file it is given and can crash on one that is not a database, or reads an
// empty file as an empty database. Its header is checked first: the signature, a known engine
// version and enough pages to hold the catalogue.
bool looksLikeAccessDatabase(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(VersionOffset + 1);
    if (head.size() <= VersionOffset)
        return false;
    if (std::memcmp(head.constData(), JetSignature, SignatureLength) != 0 &&
        std::memcmp(head.constData(), AceSignature, SignatureLength) != 0)
        return false;
    const int version = static_cast<unsigned char>(head.at(VersionOffset));
    if (version > MDB_VER_ACCDB_2019)
        return false;
    const qint64 pageSize = version == MDB_VER_JET3 ? 2048 : 4096;
    return file.size() >= pageSize * (AccessCataloguePage + 1);
}

// The character set a Jet 3 file's texts are stored in, from the code page in its header.
const char* jet3Charset(int codePage) {
    switch (codePage) {
    case 874:
        return "WINDOWS-874";
    case 932:
        return "SHIFT_JIS";
    case 936:
        return "GBK";
    case 949:
        return "CP949";
    case 950:
        return "BIG5";
    case 1250:
        return "WINDOWS-1250";
    case 1251:
        return "WINDOWS-1251";
    case 1253:
        return "WINDOWS-1253";
    case 1254:
        return "WINDOWS-1254";
    case 1255:
        return "WINDOWS-1255";
    case 1256:
        return "WINDOWS-1256";
    case 1257:
        return "WINDOWS-1257";
    case 1258:
        return "WINDOWS-1258";
    default:
        return "WINDOWS-1252";
    }
}

// libmdb converts stored texts with the iconv handles it opened from the environment
// (MDBICONV picks the target). The program reads every text as UTF-8, so the handles are
// replaced: Jet 4 and ACE store UTF-16 (libmdb expands the compressed form first), Jet 3 stores
// its code page, which MDB_JET3_CHARSET can override for files that record it wrongly.
bool convertTextsToUtf8(MdbHandle* mdb) {
    const char* stored = "UTF-16LE";
    if (IS_JET3(mdb)) {
        const char* forced = std::getenv("MDB_JET3_CHARSET");
        stored = forced && *forced ? forced : jet3Charset(mdb->f->code_page);
    }
    mdb_iconv_close(mdb);
    mdb->iconv_in = iconv_open("UTF-8", stored);
    mdb->iconv_out = iconv_open(stored, "UTF-8");
    if (mdb->iconv_in == (iconv_t)-1 && IS_JET3(mdb)) {
        if (mdb->iconv_out != (iconv_t)-1)
            iconv_close(mdb->iconv_out);
        mdb->iconv_in = iconv_open("UTF-8", "WINDOWS-1252");
        mdb->iconv_out = iconv_open("WINDOWS-1252", "UTF-8");
    }
    return mdb->iconv_in != (iconv_t)-1;
}

std::uint32_t uint32At(const QByteArray& bytes, qsizetype at) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

std::uint16_t uint16At(const QByteArray& bytes, qsizetype at) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return std::uint16_t(b[0] | b[1] << 8);
}

// A row slot of a data page marked this way holds a deleted row, which is not read.
constexpr std::uint16_t DeletedRowFlag = 0x4000;

// libmdb ends a table's rows quietly at the first page it cannot read, and passes over a row it
// cannot take apart: a file cut short or a damaged page would be read up to the damage and look
// whole. So before the rows are read, every page the table's usage map lists must lie within the
// file and be a data page of that table; the rows those pages hold (deleted ones aside) are
// counted, for the rows read to be compared with. The count in the table's definition cannot
// serve: real files keep stale ones.
std::optional<qint64> rowsOnTablePages(const QString& path, MdbTableDef* table) {
    MdbHandle* mdb = table->entry->mdb;
    const qint64 pageSize = mdb->fmt->pg_size;
    const qsizetype countAt = mdb->fmt->row_count_offset;
    QFile file(path);
    if (pageSize <= 0 || !file.open(QIODevice::ReadOnly) || file.size() % pageSize != 0)
        return std::nullopt;
    const qint64 pageCount = file.size() / pageSize;
    const auto readPage = [&](qint64 page, QByteArray& bytes) {
        if (page <= 0 || page >= pageCount || !file.seek(page * pageSize))
            return false;
        bytes = file.read(pageSize);
        return bytes.size() == pageSize;
    };
    qint64 rows = 0;
    // Adds the live rows of a data page of the table; false for any other page.
    const auto countDataPage = [&](qint64 page) {
        QByteArray bytes;
        if (!readPage(page, bytes) || bytes.at(0) != 0x01 ||
            uint32At(bytes, 4) != std::uint32_t(table->entry->table_pg))
            return false;
        const int rowSlots = uint16At(bytes, countAt);
        if (countAt + 2 + 2 * qsizetype(rowSlots) > pageSize)
            return false;
        for (int slot = 0; slot < rowSlots; ++slot)
            if (!(uint16At(bytes, countAt + 2 + 2 * slot) & DeletedRowFlag))
                ++rows;
        return true;
    };
    const QByteArray map(reinterpret_cast<const char*>(table->usage_map), qsizetype(table->map_sz));
    if (map.isEmpty())
        return std::nullopt;
    // A bitmap over pages from `firstPage` on, from byte `from` of `bits`.
    const auto checkBitmap = [&](const QByteArray& bits, qsizetype from, qint64 firstPage) {
        for (qsizetype i = from; i < bits.size(); ++i)
            for (int bit = 0; bit < 8; ++bit)
                if ((static_cast<unsigned char>(bits.at(i)) >> bit) & 1)
                    if (!countDataPage(firstPage + (i - from) * 8 + bit))
                        return false;
        return true;
    };
    if (map.at(0) == 0) {
        if (map.size() < 5 || !checkBitmap(map, 5, uint32At(map, 1)))
            return std::nullopt;
        return rows;
    }
    if (map.at(0) == 1) {
        const qint64 pagesPerMapPage = (pageSize - 4) * 8;
        for (qsizetype i = 0; 1 + 4 * (i + 1) <= map.size(); ++i) {
            const qint64 mapPage = uint32At(map, 1 + 4 * i);
            if (mapPage == 0)
                continue;
            QByteArray bits;
            if (!readPage(mapPage, bits) || !checkBitmap(bits, 4, i * pagesPerMapPage))
                return std::nullopt;
        }
        return rows;
    }
    return std::nullopt;
}

void useProgramFormats(MdbHandle* mdb) {
    mdb_set_bind_size(mdb, MDB_BIND_SIZE);
    mdb_set_boolean_fmt_numbers(mdb);
}

} // namespace

struct AccessDatabase::Impl {
    QString path;
    AccessHandlePtr mdb;
    // The tables' names in catalogue order. The handle's catalogue lists the same tables in the
    // same order, and so does the catalogue of a clone of the handle.
    QStringList names;
    // The row counts of the tables read whole so far, by catalogue position: the file is opened
    // read-only, so a table once found readable need not be read through again.
    mutable QHash<int, qint64> verifiedRows;

    static MdbCatalogEntry* entryOf(MdbHandle* handle, int index) {
        if (!handle->catalog || guint(index) >= handle->catalog->len)
            return nullptr;
        return static_cast<MdbCatalogEntry*>(g_ptr_array_index(handle->catalog, index));
    }

    int indexOf(const QString& table) const {
        const int exact = int(names.indexOf(table));
        if (exact >= 0)
            return exact;
        // Access compares object names without regard to case.
        for (int i = 0; i < names.size(); ++i)
            if (names.at(i).compare(table, Qt::CaseInsensitive) == 0)
                return i;
        throwUnknownTable(table);
    }

    // Reads a table's definition and columns from the given handle (the main one or a clone).
    AccessTablePtr readTable(MdbHandle* handle, int index) const {
        MdbCatalogEntry* entry = entryOf(handle, index);
        LibraryOutputCatch libraryOutput;
        AccessTablePtr table(entry ? mdb_read_table(entry) : nullptr);
        // libmdb follows the usage map without checking it is there.
        if (!table || !table->usage_map || table->map_sz < 1 || !mdb_read_columns(table.get()) ||
            table->columns->len != table->num_cols || libraryOutput.caughtAny())
            throwUnreadableTable(index);
        return table;
    }

    [[noreturn]] void throwUnreadableTable(int index) const {
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           u"The table '%1' of '%2' cannot be read."_s.arg(
                               names.at(index), QFileInfo(path).fileName()));
    }

    [[noreturn]] void throwDamagedTable(int index) const {
        throw RunTimeError(
            ErrorNumber::CannotOpenDatabase,
            u"The table '%1' of '%2' is damaged or the file is cut short; "
            u"it cannot be read whole."_s.arg(names.at(index), QFileInfo(path).fileName()));
    }

    // Reads every row of the table, values and long texts included, and returns how many there
    // are. A table is refused whole, before any row reaches the caller, when a page it lists is
    // missing or foreign, when libmdb complains about anything on the way, or when the rows read
    // are not the rows its pages hold (libmdb passes over a row it cannot take apart).
    qint64 verifiedRowCount(MdbTableDef* table, int index) const {
        if (const auto known = verifiedRows.constFind(index); known != verifiedRows.cend())
            return *known;
        const std::optional<qint64> stored = rowsOnTablePages(path, table);
        if (!stored)
            throwDamagedTable(index);
        qint64 rows = 0;
        {
            LibraryOutputCatch libraryOutput;
            AccessRowReader reader(table);
            QStringList values;
            while (reader.next(values))
                ++rows;
            if (libraryOutput.caughtAny())
                throwDamagedTable(index);
        }
        if (rows != *stored)
            throwDamagedTable(index);
        verifiedRows.insert(index, rows);
        return rows;
    }
};

AccessDatabase::AccessDatabase(const QString& path) : m_impl(std::make_unique<Impl>()) {
    const QFileInfo info(path);
    if (!info.exists())
        throw RunTimeError(ErrorNumber::FileNotFound, u"File not found"_s);
    // The open catalogue is never read as another file: closing that descriptor would drop the
    // catalogue connection's locks.
    if (const std::optional<QString> refusal = OpenCatalogues::plainOpenRefusal(path))
        throw RunTimeError(ErrorNumber::CannotOpenDatabase, *refusal);
    if (!info.isFile() || !looksLikeAccessDatabase(path))
        throwUnreadable(path);

    m_impl->path = info.absoluteFilePath();
    LibraryOutputCatch libraryOutput;
    m_impl->mdb.reset(mdb_open(QFile::encodeName(m_impl->path).constData(), MDB_NOFLAGS));
    if (!m_impl->mdb || !convertTextsToUtf8(m_impl->mdb.get()))
        throwUnreadable(path);
    useProgramFormats(m_impl->mdb.get());
    if (!readTableCatalogue(m_impl->mdb.get()) || libraryOutput.caughtAny())
        throwUnreadable(path);
    libraryOutput.release();

    const GPtrArray* catalogue = m_impl->mdb->catalog;
    for (guint i = 0; i < catalogue->len; ++i)
        m_impl->names.append(QString::fromUtf8(
            static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalogue, i))->object_name));
}

AccessDatabase::~AccessDatabase() = default;
AccessDatabase::AccessDatabase(AccessDatabase&& other) noexcept = default;
AccessDatabase& AccessDatabase::operator=(AccessDatabase&& other) noexcept = default;

QString AccessDatabase::systemTableCaption() {
    return u"** DON'T USE **"_s;
}

QStringList AccessDatabase::tableNames() const {
    return m_impl->names;
}

bool AccessDatabase::isSystemTable(const QString& name) {
    return name.toUpper().contains(u"MSYS"_s);
}

QStringList AccessDatabase::tableChoiceList() const {
    QStringList choices;
    choices.reserve(m_impl->names.size());
    for (const QString& name : m_impl->names)
        choices.append(isSystemTable(name) ? systemTableCaption() : name);
    return choices;
}

QStringList AccessDatabase::columnNames(const QString& table) const {
    const AccessTablePtr def = m_impl->readTable(m_impl->mdb.get(), m_impl->indexOf(table));
    QStringList names;
    names.reserve(def->num_cols);
    for (guint i = 0; i < def->num_cols; ++i)
        names.append(
            QString::fromUtf8(static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i))->name));
    return names;
}

qint64 AccessDatabase::rowCount(const QString& table) const {
    const int index = m_impl->indexOf(table);
    const AccessTablePtr def = m_impl->readTable(m_impl->mdb.get(), index);
    return m_impl->verifiedRowCount(def.get(), index);
}

void AccessDatabase::readRows(const QString& table,
                              const std::function<bool(const QStringList& values)>& onRow) const {
    const int index = m_impl->indexOf(table);
    // The rows are walked on a handle of their own (sharing the open file), so that the page it
    // stands on survives whatever onRow asks of this object meanwhile.
    AccessHandlePtr walker(mdb_clone_handle(m_impl->mdb.get()));
    if (!walker || !convertTextsToUtf8(walker.get()))
        throwUnreadable(m_impl->path);
    useProgramFormats(walker.get());
    const AccessTablePtr def = m_impl->readTable(walker.get(), index);
    // The whole table is read once (unless rowCount did so) before the first row is handed on,
    // so that a damaged one is refused before the caller has written anything.
    m_impl->verifiedRowCount(def.get(), index);
    AccessRowReader reader(def.get());
    QStringList values;
    while (reader.next(values))
        if (!onRow(values))
            return;
}

} // namespace tovin
