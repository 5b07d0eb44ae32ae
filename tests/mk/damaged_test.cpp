// Damaged files give an error, never a crash, a hang or an exhausted memory.
#include <ctime>
#include <string>

#include "../../fuzz/mk_round_trip.h"
#include "support/scratch.h"
#include "test_util.h"

namespace {

using mktest::Slurp;

mk::Result<mk::Storage> FromBytes(const std::string& b) { return mk::Storage::FromBytes(b); }

// Reads everything a storage offers; under the sanitizers any bad access shows. Views
// of a damaged row count hold only defaults and would merely slow the test down.
void ReadAll(mk::Storage& s) {
    for (const std::string& name : s.ViewNames())
        if (s.GetView(name).RowCount() > 50000) return;
    (void)mk::DumpJson(s, {"x", 1});
}

mk::Errc ErrorOf(const std::string& bytes) {
    auto s = FromBytes(bytes);
    return s ? mk::Errc{} : s.error().code;
}

// The views and columns a structure text declares, without names or types (a damaged
// name reads as another name; a damaged type mark leaves a string column).
std::string Shape(const std::string& structure) {
    std::string out;
    for (char c : structure)
        if (c == '[' || c == ']' || c == ',') out += c;
    return out;
}

std::string Sample() {
    return Slurp(mktest::Vectors() / "nested.mk");
}

TEST(Damaged, EveryTruncationIsAnErrorOrAnOlderState) {
    std::string full = Sample();
    for (size_t n = 1; n < full.size(); ++n) {
        auto s = FromBytes(full.substr(0, n));
        if (s) ReadAll(*s);
        EXPECT_FALSE(s.ok() && !s->Recovered() && s->ViewNames().size() == 2) << "length " << n;
    }
}

// A changed byte either gives a clear error, or the file opens with the views and
// columns it had (or the older committed state it still holds) and reads in full.
TEST(Damaged, EveryByteChangedReadsOrFailsCleanly) {
    for (const char* name : {"nested.mk", "basic_types.mk", "recursive.mk", "big_endian.mk"}) {
        std::string full = Slurp(mktest::Vectors() / name);
        auto original = FromBytes(full);
        ASSERT_TRUE(original) << name;
        const std::string structure = original->Structure();
        int refused = 0, read = 0;
        for (size_t i = 0; i < full.size(); ++i) {
            for (unsigned char v : {0x00, 0x7F, 0x80, 0xFF}) {
                std::string bad = full;
                if (bad[i] == static_cast<char>(v)) continue;
                bad[i] = static_cast<char>(v);
                auto s = FromBytes(bad);
                if (!s) {
                    ++refused;
                    const mk::Errc code = s.error().code;
                    EXPECT_TRUE(code == mk::Errc::NotMetakit || code == mk::Errc::Corrupt ||
                                code == mk::Errc::BadDescription)
                        << name << " byte " << i << ": " << s.error().message;
                    EXPECT_FALSE(s.error().message.empty()) << name << " byte " << i;
                    continue;
                }
                ++read;
                EXPECT_TRUE(Shape(s->Structure()) == Shape(structure) || s->Recovered())
                    << name << " byte " << i << " = " << int(v) << ": " << s->Structure();
                ReadAll(*s);
            }
        }
        // Both outcomes occur: headers and walks refuse, cell bytes read as other values.
        EXPECT_GT(refused, 0) << name;
        EXPECT_GT(read, 0) << name;
    }
}

TEST(Damaged, SpecificFaultsGiveTheirErrors) {
    std::string good = Slurp(mktest::Vectors() / "basic_types.mk");
    std::string header = good;
    header[2] = 0x1B;
    EXPECT_EQ(ErrorOf(header), mk::Errc::NotMetakit);
    EXPECT_EQ(ErrorOf("plain text, nothing else, more than sixteen bytes"), mk::Errc::NotMetakit);
    // A walk position past the end of the file.
    std::string walk = good;
    walk[walk.size() - 1] = static_cast<char>(0xF0);
    EXPECT_EQ(ErrorOf(walk), mk::Errc::Corrupt);
    // The structure text damaged: "basic[" becomes "basic]".
    std::string text = good;
    text[text.find("basic[")+5] = ']';
    EXPECT_EQ(ErrorOf(text), mk::Errc::Corrupt);
}

// A hand-made file: t[a:I] whose walk declares `rows` rows and an I column block
// of `size` bytes at position 8.
std::string HandMade(int rows, int size, int blockBytes) {
    std::string data(static_cast<size_t>(blockBytes), '\x01');
    std::string view = "\x80" + mktest::Varint(uint32_t(rows)) + mktest::Varint(uint32_t(size)) + mktest::Varint(8);
    std::string refs = mktest::Varint(uint32_t(view.size())) + mktest::Varint(uint32_t(8 + data.size()));
    return mktest::Assemble("t[a:I]", refs, data + view);
}

TEST(Damaged, HandMadeBlocksAreChecked) {
    auto ok = FromBytes(HandMade(4, 4, 4));
    ASSERT_TRUE(ok.ok()) << ok.error().message;
    EXPECT_EQ(ok->GetView("t").GetInt(3, 0), 1);
    EXPECT_EQ(ErrorOf(HandMade(4, 40, 4)), mk::Errc::Corrupt);        // runs past the end
    EXPECT_EQ(ErrorOf(HandMade(4, 3, 3)), mk::Errc::Corrupt);         // no valid width
    EXPECT_EQ(ErrorOf(HandMade(2000000000, 0, 4)), mk::Errc::Corrupt);  // rows beyond reason
}

// Hostile shapes cost time in proportion to the file, not to its square: before that was
// so, each of these took minutes. The bound is processor time, far above the linear
// cost even in a sanitized build and far below the quadratic one.
TEST(Damaged, WideLayoutsStayLinear) {
    const std::clock_t start = std::clock();
    std::string many;
    for (int i = 0; i < 100000; ++i) many += (i ? ",f" : "f") + std::to_string(i) + ":I";
    auto f = mk::ParseFields(many);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->size(), 100000u);

    // v has 20000 rows; each one's subview s holds one row whose column a (a subview
    // of 20000 columns) is empty. Every s instance shares one tiny block.
    std::string wide = "a[";
    for (int i = 0; i < 20000; ++i) wide += (i ? ",x" : "x") + std::to_string(i) + ":I";
    wide += "]";
    std::string blocks = std::string("\x80\x80", 2);  // a's block at 8: one empty entry
    std::string sBlock;
    for (int r = 0; r < 20000; ++r) sBlock += "\x80\x81\x82\x88";  // 0, 1 row, a: 2 bytes at 8
    uint32_t sAt = 8 + uint32_t(blocks.size());
    blocks += sBlock;
    std::string vBlock = "\x80" + mktest::Varint(20000) + mktest::Varint(uint32_t(sBlock.size())) + mktest::Varint(sAt);
    uint32_t vAt = 8 + uint32_t(blocks.size());
    blocks += vBlock;
    std::string file = mktest::Assemble("v[s[" + wide + "]]", mktest::Varint(uint32_t(vBlock.size())) + mktest::Varint(vAt), blocks);
    // Read, or refused as more than the file can hold: either way at once.
    auto s = FromBytes(file);
    if (s) EXPECT_EQ(s->GetView("v").RowCount(), 20000);
    else EXPECT_EQ(s.error().code, mk::Errc::Corrupt) << s.error().message;
    const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
    EXPECT_LT(seconds, 20.0);
}

// Every corpus file keeps the promises the fuzz target checks: refused with a clear
// error and the file unchanged, or opened for writing, read, written out again and
// committed.
TEST(Damaged, FuzzCorpusReplays) {
    auto dir = mktest::fs::path(STROVAN_SOURCE_DIR) / "fuzz" / "corpus" / "mk_reader";
    testsupport::TempDir scratch("strovan_fuzz_replay");
    int refused = 0, read = 0;
    for (const auto& e : mktest::fs::directory_iterator(dir)) {
        mkcheck::Outcome outcome;
        EXPECT_EQ(mkcheck::CheckBytes(Slurp(e.path()), scratch.Dir(), &outcome), "") << e.path().filename();
        ++(outcome == mkcheck::Outcome::Refused ? refused : read);
    }
    EXPECT_GT(refused, 3);
    EXPECT_GT(read, 3);
}

}  // namespace
