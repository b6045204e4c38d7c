#pragma once

// mdbtools.h includes glib.h inside an extern "C" block, where glib's C++ parts cannot
// stand; included first, glib.h is already complete there.
#include <glib.h>
#include <mdbtools.h>
#include <memory>

// Owners of libmdb's handles, so that every path out of a reading function closes what it
// opened. A table definition belongs to the database handle it was read from and must be freed
// before that handle is closed.
namespace tovin {

struct AccessHandleCloser {
    void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
using AccessHandlePtr = std::unique_ptr<MdbHandle, AccessHandleCloser>;

struct AccessTableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using AccessTablePtr = std::unique_ptr<MdbTableDef, AccessTableFreer>;

} // namespace tovin
