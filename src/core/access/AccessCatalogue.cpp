#include "core/access/AccessCatalogue.h"

#include "core/access/AccessHandles.h"

#include <cstdlib>
#include <vector>

namespace tovin {

namespace {

// A text buffer bound to one column of the catalogue table.
struct BoundText {
    std::vector<char> text;

    bool bind(MdbTableDef* table, const char* column, std::size_t size) {
        text.assign(size, '\0');
        return mdb_bind_column_by_name(table, const_cast<gchar*>(column), text.data(), nullptr) > 0;
    }
    long number() const { return std::atol(text.data()); }
};

} // namespace

bool readTableCatalogue(MdbHandle* mdb) {
    MdbCatalogEntry catalogueEntry{};
    catalogueEntry.mdb = mdb;
    catalogueEntry.object_type = MDB_TABLE;
    catalogueEntry.table_pg = AccessCataloguePage;
    g_strlcpy(catalogueEntry.object_name, "MSysObjects", sizeof catalogueEntry.object_name);

    const AccessTablePtr table(mdb_read_table(&catalogueEntry));
    if (!table || !table->usage_map || table->map_sz < 1 || !mdb_read_columns(table.get()))
        return false;
    BoundText id, name, type, flags;
    if (!id.bind(table.get(), "Id", mdb->bind_size) ||
        !name.bind(table.get(), "Name", mdb->bind_size) ||
        !type.bind(table.get(), "Type", mdb->bind_size) ||
        !flags.bind(table.get(), "Flags", mdb->bind_size))
        return false;

    mdb_free_catalog(mdb);
    mdb->catalog = g_ptr_array_new();
    mdb->num_catalog = 0;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        if (type.number() != MDB_TABLE)
            continue;
        auto* entry = static_cast<MdbCatalogEntry*>(g_malloc0(sizeof(MdbCatalogEntry)));
        entry->mdb = mdb;
        g_strlcpy(entry->object_name, name.text.data(), sizeof entry->object_name);
        entry->object_type = MDB_TABLE;
        entry->table_pg = static_cast<unsigned long>(id.number()) & 0x00FFFFFF;
        entry->flags = static_cast<int>(flags.number());
        g_ptr_array_add(mdb->catalog, entry);
        ++mdb->num_catalog;
    }
    // The bound buffers go out of scope with the table definition.
    return true;
}

} // namespace tovin
