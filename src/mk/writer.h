#pragma once
// Encoding tables into blocks, and the two ways of committing them: a fresh packed
// file, or an incremental commit in place that is safe at every single write.
#include <string>
#include <utility>
#include <vector>

#include "mk/file_io.h"
#include "mk/table.h"

namespace mk::detail {

struct Span {
    uint64_t begin, end;  // absolute [begin, end)
};

// The committed state of a file that a storage works on.
struct Committed {
    uint32_t base = 0;
    bool big = false;
    bool hasData = false;      // false: the file holds no storage yet (0 bytes)
    std::string walk;
    Ref walkRef;
    uint64_t tailEnd = 0;      // the tail pair of this state ends here
    uint64_t gen = kLoadedGen;  // counts the commits that wrote
    std::vector<Span> used;    // every byte this state needs
};

// The whole storage as a packed little-endian file; empty when nothing is defined.
Result<std::string> BuildPacked(Table& root);

// Commits root into file. Nothing is written when nothing changed (a changed column
// whose blocks come out as committed counts as unchanged), unless `rewrite`
// asks for a commit all the same (a file whose last commit was cut short). On success
// the columns' committed blocks and `state` describe the new state; on failure the
// file holds the old state.
Status CommitInPlace(File& file, Table& root, Committed& state, bool rewrite = false);

// The state just written by a packed build of root (after BuildPacked + a successful write).
void AdoptPacked(Table& root, Committed& state, uint64_t fileSize);
// Recomputes the space a loaded state uses.
void CollectUsed(const Table& root, Committed& state);

}  // namespace mk::detail
