// The generated 100,000-row table holds exactly the documented data: every column
// hashes to the checksum recorded with the library's own file.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <map>
#include <string>

#include "mk/mk.h"
#include "test_util.h"

namespace {

struct Fnv1a64 {
    uint64_t h = 0xcbf29ce484222325ull;
    void Byte(uint8_t b) { h = (h ^ b) * 0x100000001b3ull; }
    void Le(uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
    }
    void Text(const std::string& s) {
        for (unsigned char c : s) Byte(c);
    }
};

// Column name -> "fnv1a64:..." as the expected dump records it.
std::map<std::string, std::string> DocumentedChecksums() {
    std::string json = mktest::Slurp(mktest::Vectors() / "large_trees.json");
    std::map<std::string, std::string> out;
    size_t at = json.find("\"column_checksums\"");
    if (at == std::string::npos) return out;
    size_t end = json.find('}', at);
    for (size_t p = json.find('"', json.find('{', at)); p < end; p = json.find('"', p)) {
        size_t nameEnd = json.find('"', p + 1);
        size_t valueAt = json.find('"', nameEnd + 1);
        size_t valueEnd = json.find('"', valueAt + 1);
        out[json.substr(p + 1, nameEnd - p - 1)] = json.substr(valueAt + 1, valueEnd - valueAt - 1);
        p = valueEnd + 1;
    }
    return out;
}

std::string Checksum(const mk::View& v, int c) {
    Fnv1a64 f;
    for (int r = 0; r < v.RowCount(); ++r) {
        switch (v.Column(c).type) {
        case mk::Type::Int: f.Le(static_cast<uint32_t>(v.GetInt(r, c)), 4); break;
        case mk::Type::Long: f.Le(static_cast<uint64_t>(v.GetLong(r, c)), 8); break;
        case mk::Type::Float: f.Le(std::bit_cast<uint32_t>(v.GetFloat(r, c)), 4); break;
        case mk::Type::Double: f.Le(std::bit_cast<uint64_t>(v.GetDouble(r, c)), 8); break;
        case mk::Type::String:
            f.Text(v.GetString(r, c));
            f.Byte(0);
            break;
        case mk::Type::Bytes: {
            std::string b = v.GetBytes(r, c);
            f.Le(b.size(), 4);
            f.Text(b);
            break;
        }
        default: ADD_FAILURE() << "unexpected column type"; break;
        }
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(f.h));
    return std::string("fnv1a64:") + hex;
}

TEST(LargeTrees, GeneratedTableHasTheDocumentedChecksums) {
    auto want = DocumentedChecksums();
    ASSERT_EQ(want.size(), 12u);
    auto s = mk::Storage::Open(mktest::LargeTrees().string(), mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s.ok()) << s.error().message;
    EXPECT_FALSE(s->Recovered());
    EXPECT_EQ(s->Structure(),
              "Trees[Stratum:S,CutUnit:S,Plot:S,Tree:S,Sp:S,ProdP:S,DBH:F,TotHt:F,NCUFTVolPP:D,NBDFTVolPP:D,"
              "KPI:L,TreeCnt:I]");
    mk::View v = s->GetView("Trees");
    ASSERT_EQ(v.RowCount(), 100000);
    for (int c = 0; c < v.ColumnCount(); ++c) {
        const std::string& name = v.Column(c).name;
        ASSERT_TRUE(want.count(name)) << name;
        EXPECT_EQ(Checksum(v, c), want[name]) << name;
    }
}

}  // namespace
