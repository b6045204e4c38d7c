#pragma once

#include "core/access/AccessHandles.h"

namespace tovin {

// The page every Jet and ACE database's system catalogue starts on.
inline constexpr int AccessCataloguePage = 2;

// Reads the tables listed in a database's system catalogue (the MSysObjects table) into the
// handle's catalogue, in catalogue order, user and system tables alike.
//
// libmdb's own catalogue reader also decodes every object's property blocks, and on a damaged
// block it can read past its buffer or loop forever. The import needs only each table's name
// and place, so this reader leaves the properties out (as libmdb does for a cloned handle).
// Returns false when the catalogue cannot be read.
bool readTableCatalogue(MdbHandle* mdb);

} // namespace tovin
