// A program's text codec between its strings and the bytes of text cells.
#include "mk/file_io.h"
#include "test_util.h"

namespace {

// Latin-1 bytes in the file, UTF-8 in the program; bytes 80-9F have no character and
// read as U+FFFD, which has no byte. Enough to see every path convert.
std::string Decode(std::string_view stored) {
    std::string out;
    for (unsigned char b : stored) {
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (b < 0xA0) {
            out += "\xEF\xBF\xBD";
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

bool Encode(std::string_view text, std::string& stored, std::string& reason) {
    stored.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            stored += static_cast<char>(b);
            continue;
        }
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        const unsigned cp = ((b & 0x1F) << 6) | (next & 0x3F);
        if ((b & 0xE0) != 0xC0 || (next & 0xC0) != 0x80 || cp < 0xA0 || cp > 0xFF) {
            reason = "no Latin-1 form";
            return false;
        }
        stored += static_cast<char>(cp);
        ++i;
    }
    return true;
}

const mk::TextCodec kLatin1{Decode, Encode};

class Text : public mktest::TempDir {
protected:
    void SetUp() override {
        TempDir::SetUp();
        mk::SetTextCodec(&kLatin1);
    }
    void TearDown() override {
        mk::SetTextCodec(nullptr);
        TempDir::TearDown();
    }
};

TEST_F(Text, TextCellsConvertWhereTheProgramTouchesThemAndStayBytesElsewhere) {
    std::string p = Path("t.mk");
    std::vector<std::string> many(100, "\xC3\xA9t\xC3\xA9");  // dense enough for the block path
    many[7] = "plain";
    {
        auto s = mk::Storage::Create(p);
        mk::View v = *s->GetAs("t[s:S,b:B,n:I,w:S]");
        v.SetRowCount(100);
        v.SetString(0, "s", "caf\xC3\xA9");
        EXPECT_EQ(v.GetBytes(0, "s"), "caf\xE9");
        EXPECT_EQ(v.GetString(0, "s"), "caf\xC3\xA9");
        v.SetBytes(1, "s", "\xE0 la");
        EXPECT_EQ(v.GetString(1, "s"), "\xC3\xA0 la");
        v.SetString(0, "b", "\xC3\xA9");  // bytes cells are never converted
        EXPECT_EQ(v.GetBytes(0, "b"), "\xC3\xA9");
        v.SetString(0, "n", "12");
        EXPECT_EQ(v.GetInt(0, "n"), 12);
        std::vector<std::string_view> views(many.begin(), many.end());
        v.SetColumn(v.FindColumn("w"), views);
        EXPECT_EQ(v.GetBytes(0, "w"), "\xE9t\xE9");
        EXPECT_EQ(v.GetString(99, "w"), many[99]);
        // A derived view shows and takes text the same way.
        mk::View sorted = v.SortOn({"s"});
        EXPECT_EQ(sorted.GetString(98, "s"), "caf\xC3\xA9");
        EXPECT_EQ(sorted.GetString(99, "s"), "\xC3\xA0 la");
        sorted.SetString(99, "s", "\xC3\xBF");
        EXPECT_EQ(v.GetBytes(1, "s"), "\xFF");
        ASSERT_TRUE(s->Commit().ok());
    }
    // In the file, and to a program without a codec, the cells are their bytes.
    mk::SetTextCodec(nullptr);
    auto s = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
    mk::View v = s->GetView("t");
    EXPECT_EQ(v.GetString(0, "s"), "caf\xE9");
    EXPECT_EQ(v.GetString(50, "w"), "\xE9t\xE9");
    EXPECT_EQ(v.GetString(7, "w"), "plain");
    mk::SetTextCodec(&kLatin1);
    EXPECT_NE(mk::DumpJson(*s, {"t.mk", 0}).find("\"caf\xE9\""), std::string::npos);
}

TEST_F(Text, TextWithoutAStoredFormLeavesTheCellAndFailsTheNextCommit) {
    std::string p = Path("r.mk");
    {
        auto s = mk::Storage::Create(p);
        mk::View v = *s->GetAs("t[s:S,n:I]");
        v.SetRowCount(3);
        v.SetString(0, "s", "old");
        v.SetBytes(1, "s", "x\x85y");  // no character: read as U+FFFD
        ASSERT_TRUE(s->Commit().ok());
    }
    auto s = mk::Storage::Open(p);
    mk::View v = s->GetView("t");
    EXPECT_EQ(v.GetString(1, "s"), "x\xEF\xBF\xBDy");
    // Writing back the text shown is no change: the byte stays and nothing is refused.
    v.SetString(1, "s", v.GetString(1, "s"));
    const std::vector<std::string_view> same = {"old", "x\xEF\xBF\xBDy"};
    v.SetColumn(0, same);
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(mk::Storage::Open(p)->GetView("t").GetBytes(1, "s"), "x\x85y");
    const std::string before = mktest::Slurp(p);

    v.SetString(0, "s", "\xC5\x81");  // U+0141: no Latin-1 byte
    v.SetInt(2, "n", 5);
    EXPECT_EQ(v.GetString(0, "s"), "old");
    mk::Status st = s->Commit();
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, mk::Errc::Unstorable);
    EXPECT_EQ(st.error().message, "no Latin-1 form; nothing written");
    EXPECT_EQ(mktest::Slurp(p), before);
    // Reported once: the next commit stores the rest, the cell as it was.
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(mktest::ContentOf(p), mktest::Content(*s));
    const std::vector<std::string_view> texts = {"fine", "\xE2\x82\xAC"};  // the second has no byte
    v.SetColumn(0, texts);
    EXPECT_EQ(v.GetString(0, "s"), "fine");
    EXPECT_EQ(v.GetBytes(1, "s"), "x\x85y");
    EXPECT_FALSE(s->SaveAs(Path("copy.mk")).ok());
}

}  // namespace
