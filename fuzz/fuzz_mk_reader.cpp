// Feeds arbitrary bytes to the Metakit reader, then reads every cell and writes the
// result out again: nothing may crash, hang or run out of memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mk/dump.h"
#include "mk/mk.h"

namespace {

// A few bytes may validly declare two billion rows of default cells (they take no
// room in the file nor in memory); reading every one of them would only measure the
// loop, so such storages get their first and last rows read instead.
constexpr int64_t kCellsToVisit = 5'000'000;

void ReadEdges(mk::View v, int depth) {
    for (int r : {0, v.RowCount() - 1}) {
        if (r < 0) continue;
        for (int c = 0; c < v.ColumnCount(); ++c) {
            if (v.Column(c).type == mk::Type::View) {
                if (depth < 3) ReadEdges(v.GetSubview(r, c), depth + 1);
            } else {
                (void)v.GetBytes(r, c);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto s = mk::Storage::FromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!s) return 0;
    int64_t cells = 0;
    for (const std::string& name : s->ViewNames()) {
        mk::View v = s->GetView(name);
        cells += int64_t(v.RowCount()) * (v.ColumnCount() + 1);
    }
    if (cells > kCellsToVisit) {
        for (const std::string& name : s->ViewNames()) ReadEdges(s->GetView(name), 0);
        return 0;
    }
    std::string json = mk::DumpJson(*s, {"fuzz", size});
    for (const std::string& name : s->ViewNames()) {
        mk::View v = s->GetView(name);
        if (v.RowCount() > 0 && v.ColumnCount() > 0) (void)v.SortOn({v.Column(0).name}).RowCount();
    }
    return json.empty() ? 1 : 0;
}
