#pragma once
// The 100,000-row tree table that the engine's tests and benchmark run on. The rows come
// from a splitmix64 sequence (seed 20240601), twelve draws per row, so the content is
// the same on every machine; tests/data/metakit/README.md documents the recipe and the
// per-column checksums the result must have.
#include "mk/mk.h"

namespace testdata {

// Writes the table "Trees" into an empty storage and commits.
mk::Status WriteLargeTrees(mk::Storage& storage);

}  // namespace testdata
