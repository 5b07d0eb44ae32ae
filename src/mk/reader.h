#pragma once
// Decoding a file image into tables.
#include <memory>
#include <string>

#include "mk/table.h"

namespace mk::detail {

struct Loaded {
    std::shared_ptr<const Image> image;
    uint32_t base = 0;     // where the header is
    bool big = false;
    bool hasData = false;  // false for a 0-byte file
    bool recovered = false;
    std::shared_ptr<Table> root;  // one row; its columns are the top-level views
    std::string walk;             // bytes of the committed structure walk
    Ref walkRef;
    uint64_t tailEnd = 0;  // end of the tail pair of the loaded state
};

Result<Loaded> Load(std::shared_ptr<const Image> image);

}  // namespace mk::detail
