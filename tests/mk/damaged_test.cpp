// Damaged files give an error, never a crash, a hang or an exhausted memory.
#include <string>

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

TEST(Damaged, EveryByteChangedReadsOrFailsCleanly) {
    for (const char* name : {"nested.mk", "basic_types.mk", "recursive.mk", "big_endian.mk"}) {
        std::string full = Slurp(mktest::Vectors() / name);
        for (size_t i = 0; i < full.size(); ++i) {
            for (unsigned char v : {0x00, 0x7F, 0x80, 0xFF}) {
                std::string bad = full;
                bad[i] = static_cast<char>(v);
                auto s = FromBytes(bad);
                if (s) ReadAll(*s);
            }
        }
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
    std::string view = "\x80";
    auto varint = [](int v) {
        std::string out;
        do {
            out.insert(out.begin(), static_cast<char>(v & 0x7F));
            v >>= 7;
        } while (v);
        out.back() = static_cast<char>(out.back() | 0x80);
        return out;
    };
    view += varint(rows) + varint(size) + varint(8);
    std::string text = "t[a:I]";
    size_t viewAt = 8 + data.size();
    std::string walk = "\x80" + varint(static_cast<int>(text.size())) + text + "\x81" +
                       varint(static_cast<int>(view.size())) + varint(static_cast<int>(viewAt));
    size_t walkAt = viewAt + view.size();
    size_t skipAt = walkAt + walk.size();
    std::string out = std::string("JL\x1a\0\0\0\0\0", 8) + data + view + walk;
    auto be32 = [](size_t v) {
        std::string b(4, '\0');
        for (int i = 0; i < 4; ++i) b[size_t(i)] = static_cast<char>(v >> (8 * (3 - i)));
        return b;
    };
    out += std::string("\x80\0\0\0", 4) + be32(skipAt);
    out += "\x80" + be32(walk.size()).substr(1) + be32(walkAt);
    return out;
}

TEST(Damaged, HandMadeBlocksAreChecked) {
    auto ok = FromBytes(HandMade(4, 4, 4));
    ASSERT_TRUE(ok.ok()) << ok.error().message;
    EXPECT_EQ(ok->GetView("t").GetInt(3, 0), 1);
    EXPECT_EQ(ErrorOf(HandMade(4, 40, 4)), mk::Errc::Corrupt);        // runs past the end
    EXPECT_EQ(ErrorOf(HandMade(4, 3, 3)), mk::Errc::Corrupt);         // no valid width
    EXPECT_EQ(ErrorOf(HandMade(2000000000, 0, 4)), mk::Errc::Corrupt);  // rows beyond reason
}

TEST(Damaged, FuzzCorpusReplays) {
    auto dir = mktest::fs::path(STROVAN_SOURCE_DIR) / "fuzz" / "corpus" / "mk_reader";
    int files = 0;
    for (const auto& e : mktest::fs::directory_iterator(dir)) {
        auto s = FromBytes(Slurp(e.path()));
        if (s) ReadAll(*s);
        ++files;
    }
    EXPECT_GT(files, 10);
}

}  // namespace
