// Text cells of cruise files are Windows-1252 bytes; the program sees UTF-8.
#include <filesystem>

#include "store/cruise_store.h"
#include "store/file_checker.h"
#include "store/legacy_text.h"
#include "store/schema.h"
#include "store_fixture.h"
#include "support/scratch.h"
#include "ui/scripted_ui.h"

using namespace store;
using storetest::Table;
using testsupport::ReadBytes;

namespace {

// "Forêt Noire", "Señor Müller", "Café Straße", "5 €".
const std::string kForet = "For\xC3\xAAt Noire", kSenor = "Se\xC3\xB1or M\xC3\xBCller",
                  kCafe = "Caf\xC3\xA9 Stra\xC3\x9F" "e", kEuro = "5 \xE2\x82\xAC";
const std::string kLodz = "\xC5\x81\xC3\xB3" "d\xC5\xBA";  // Łódź

class WindowsText : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.Path("SALE.crz");
        storetest::WriteFile(path_, {storetest::ConfigTable(schema::kCurrentVersion),
                                     Table{schema::kCruiseTableDesc, {{"54321", "1", "Plain"}}}});
    }
    // The stored bytes of one cruise-table cell.
    std::string Bytes(const std::string& column) {
        auto s = mk::Storage::Open(path_, mk::OpenMode::ReadOnly);
        return s->GetView(schema::kCruiseTable).GetBytes(0, column);
    }
    // Stores raw bytes in cells, as a Windows program writes them.
    void PutBytes(const std::vector<std::pair<std::string, std::string>>& cells) {
        auto s = mk::Storage::Open(path_);
        mk::View v = s->GetView(schema::kCruiseTable);
        for (const auto& [col, bytes] : cells) v.SetBytes(0, col, bytes);
        ASSERT_TRUE(s->Commit().ok());
    }

    storetest::TempDir dir_;
    std::string path_;
    ui::ScriptedUi ui_;
};

TEST_F(WindowsText, TextIsWrittenAsWindows1252AndReadBackAsUtf8) {
    {
        CCruiseStore store(ui_);
        ASSERT_EQ(store.Open(path_), 0);
        int slot = store.OpenView(schema::kCruiseTable);
        ASSERT_EQ(store.SetString(slot, 0, "SaleName", kForet), 0);
        ASSERT_EQ(store.SetString(slot, 0, "Region", kSenor), 0);
        ASSERT_EQ(store.SetString(slot, 0, "Forest", kCafe), 0);
        mk::View& v = store.View(slot);
        const std::vector<std::string_view> remarks = {kEuro};
        v.SetColumn(v.FindColumn("Remarks"), remarks);  // the whole-column path
        ASSERT_EQ(store.Commit(), 0);
    }
    EXPECT_EQ(Bytes("SaleName"), "For\xEAt Noire");
    EXPECT_EQ(Bytes("Region"), "Se\xF1or M\xFCller");
    EXPECT_EQ(Bytes("Forest"), "Caf\xE9 Stra\xDF" "e");
    EXPECT_EQ(Bytes("Remarks"), "5 \x80");
    const std::string file = ReadBytes(path_);
    EXPECT_NE(file.find(std::string("For\xEAt Noire\0", 12)), std::string::npos);
    for (const std::string& utf8 : {kForet, kSenor, kCafe, kEuro})  // no UTF-8 form anywhere
        EXPECT_EQ(file.find(utf8), std::string::npos) << utf8;

    auto s = mk::Storage::Open(path_, mk::OpenMode::ReadOnly);
    mk::View v = s->GetView(schema::kCruiseTable);
    EXPECT_EQ(v.GetString(0, "SaleName"), kForet);
    EXPECT_EQ(v.GetString(0, "Remarks"), kEuro);
    // Finding a row by a text compares what the program sees.
    mk::View key = *mk::View::Make("Region:S");
    key.SetString(key.AddRow(), 0, kSenor);
    EXPECT_EQ(v.Find(key), 0);
}

TEST_F(WindowsText, WindowsBytesShowAsTheirCharactersAndSurviveEditsOfTheRow) {
    // 0x93 and 0x94 are curly quotes, 0x81 has no character at all.
    PutBytes({{"SaleName", "For\xEAt \x93Z\x94"}, {"Remarks", "bad \x81 byte"}});
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    int slot = store.OpenView(schema::kCruiseTable);
    std::string name, remarks;
    store.GetString(slot, 0, "SaleName", name);
    store.GetString(slot, 0, "Remarks", remarks);
    EXPECT_EQ(name, "For\xC3\xAAt \xE2\x80\x9CZ\xE2\x80\x9D");
    EXPECT_EQ(remarks, "bad \xEF\xBF\xBD byte");
    // Writing back what is shown changes nothing, not even the byte without a character.
    EXPECT_EQ(store.SetString(slot, 0, "SaleName", name), 0);
    EXPECT_EQ(store.SetString(slot, 0, "Remarks", remarks), 0);
    ASSERT_EQ(store.Rewrite(schema::kCruiseTable), slot);
    ASSERT_EQ(store.Commit(), 0);
    EXPECT_EQ(Bytes("Remarks"), "bad \x81 byte");
    EXPECT_EQ(Bytes("SaleName"), "For\xEAt \x93Z\x94");
    // Editing another cell of the row leaves both texts' bytes alone.
    store.SetString(slot, 0, "Purpose", "Timber sale");
    ASSERT_EQ(store.Commit(), 0);
    EXPECT_EQ(Bytes("SaleName"), "For\xEAt \x93Z\x94");
    EXPECT_EQ(Bytes("Remarks"), "bad \x81 byte");
    // A text the forester changes is stored as typed.
    store.SetString(slot, 0, "Remarks", "good \xC3\xA9");
    ASSERT_EQ(store.Commit(), 0);
    EXPECT_EQ(Bytes("Remarks"), "good \xE9");
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(WindowsText, TextWithoutAWindowsFormIsRefusedAndTheFileKeepsItsBytes) {
    const std::string before = ReadBytes(path_);
    {
        auto s = mk::Storage::Open(path_);
        mk::View v = s->GetView(schema::kCruiseTable);
        v.SetString(0, "SaleName", kLodz);
        v.SetString(0, "Purpose", "changed too");
        EXPECT_EQ(v.GetString(0, "SaleName"), "Plain");  // the cell kept its text
        mk::Status st = s->Commit();
        ASSERT_FALSE(st.ok());
        EXPECT_EQ(st.error().code, mk::Errc::Unstorable);
        EXPECT_EQ(st.error().message, "'\xC5\x81' cannot be stored in a cruise file; nothing written");
        EXPECT_EQ(ReadBytes(path_), before);
        // The whole-column path refuses the same way, and keeps the other rows' texts.
        const std::vector<std::string_view> names = {"\xE6\xA3\xAE"};
        v.SetColumn(v.FindColumn("SaleName"), names);
        EXPECT_EQ(v.GetString(0, "SaleName"), "Plain");
        EXPECT_FALSE(s->SaveAs(dir_.Path("copy.crz")).ok());
        EXPECT_FALSE(std::filesystem::exists(dir_.Path("copy.crz")));
    }
    EXPECT_EQ(ReadBytes(path_), before);
    // Through the store, the forester is told why.
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    int slot = store.OpenView(schema::kCruiseTable);
    EXPECT_EQ(store.SetString(slot, 0, "Remarks", "from " + kLodz), 2);
    EXPECT_EQ(store.Commit(), -1);
    ASSERT_NE(ui_.Last(), nullptr);
    EXPECT_NE(ui_.Last()->text.find("'\xC5\x81' cannot be stored in a cruise file"), std::string::npos);
    store.Close();
    EXPECT_EQ(ReadBytes(path_), before);
}

TEST_F(WindowsText, FilesOfEarlierVersionsAreRecognisedByTheirUtf8Text) {
    auto found = [&] {
        auto s = mk::Storage::Open(path_, mk::OpenMode::ReadOnly);
        return FindUtf8Text(*s);
    };
    EXPECT_FALSE(found().utf8);  // plain ASCII: nothing to convert
    PutBytes({{"SaleName", kForet}, {"Remarks", kEuro}});
    EXPECT_TRUE(found().utf8);
    EXPECT_EQ(found().example, kForet);
    // One text that is not UTF-8 makes it a Windows file, even if others could be read as UTF-8.
    PutBytes({{"Forest", "Caf\xE9"}});
    EXPECT_FALSE(found().utf8);
    PutBytes({{"Forest", "\xC3\xA9"}});  // "Ã©" in Windows-1252, "é" in UTF-8: taken as UTF-8
    EXPECT_TRUE(found().utf8);
    // Only texts that have no Windows form: nothing to convert, never offered.
    PutBytes({{"SaleName", kLodz}, {"Remarks", ""}, {"Forest", ""}});
    EXPECT_FALSE(found().utf8);
}

TEST_F(WindowsText, OpeningAnEarlierFileOffersTheConversionWithABackup) {
    PutBytes({{"SaleName", kForet}, {"Region", kLodz}, {"Remarks", kEuro}});
    const std::string before = ReadBytes(path_);
    CFileChecker checker(ui_);

    ui_.PushQuestionAnswer(false);  // declined: used as it is
    EXPECT_EQ(checker.CheckCruiseFile(path_, "crz"), 0);
    EXPECT_EQ(ReadBytes(path_), before);
    ASSERT_EQ(ui_.Kinds(), std::vector<std::string>{"question"});
    EXPECT_NE(ui_.Messages()[0].text.find("\"" + kForet + "\" as \"For\xC3\x83\xC2\xAAt Noire\""),
              std::string::npos);

    ui_.Clear();
    ui_.PushQuestionAnswer(true);
    EXPECT_EQ(checker.CheckCruiseFile(path_, "crz"), 0);
    EXPECT_EQ(Bytes("SaleName"), "For\xEAt Noire");
    EXPECT_EQ(Bytes("Remarks"), "5 \x80");
    EXPECT_EQ(Bytes("Region"), kLodz);  // no Windows form: kept, and named
    ASSERT_EQ(ui_.Texts().size(), 1u);
    const std::string done = ui_.Texts()[0];
    EXPECT_NE(done.find("\n  " + kLodz), std::string::npos);
    const size_t at = done.find("saved as ") + 9;
    const std::string backup = done.substr(at, done.find(".\n", at) - at);
    EXPECT_EQ(ReadBytes(backup), before);

    // Converted once: the file is Windows text now and is not offered again.
    ui_.Clear();
    EXPECT_EQ(checker.CheckCruiseFile(path_, "crz"), 0);
    EXPECT_TRUE(ui_.Messages().empty());
}

}  // namespace
