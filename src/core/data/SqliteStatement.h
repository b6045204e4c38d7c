#pragma once

// The raw statement now lives with the other storage classes; the run journal's readers still
// include it by this name.
#include "core/storage/SqliteStatement.h"
