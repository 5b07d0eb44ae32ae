// Feeds arbitrary bytes to the Metakit reader, then reads every cell and writes the
// result out again: nothing may crash, hang or run out of memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mk/dump.h"
#include "mk/mk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto s = mk::Storage::FromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!s) return 0;
    std::string json = mk::DumpJson(*s, {"fuzz", size});
    for (const std::string& name : s->ViewNames()) {
        mk::View v = s->GetView(name);
        if (v.RowCount() > 0 && v.ColumnCount() > 0) (void)v.SortOn({v.Column(0).name}).RowCount();
    }
    return json.empty() ? 1 : 0;
}
