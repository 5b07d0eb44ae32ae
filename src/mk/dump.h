#pragma once
// A storage as JSON: every view with its columns and rows (large views as checksums
// and sample rows), the form in which test dumps of Metakit files are kept.
#include <cstdint>
#include <string>

#include "mk/mk.h"

namespace mk {

struct DumpSource {
    std::string fileName;  // as shown in "file"
    uint64_t fileSize = 0;
};

std::string DumpJson(Storage& storage, const DumpSource& source);

}  // namespace mk
