#include "store/file_checker.h"

#include <filesystem>
#include <fstream>

#include "store/file_lock.h"
#include "store/schema.h"
#include "store_fixture.h"
#include "ui/scripted_ui.h"

using namespace store;
namespace fs = std::filesystem;

namespace {

class FileCheckerTest : public ::testing::Test {
protected:
    std::string Current(const std::string& name) {
        std::string p = dir_.Path(name);
        storetest::WriteFile(p, {storetest::ConfigTable(schema::kCurrentVersion)});
        return p;
    }
    storetest::TempDir dir_;
    ui::ScriptedUi ui_;
    CFileChecker checker_{ui_};
};

TEST_F(FileCheckerTest, AccessMessagesByCause) {
    std::string missing = dir_.Path("none.crz");
    EXPECT_FALSE(checker_.CheckAccess(missing));
    std::string bad = dir_.Path("nofolder/x.crz");
    EXPECT_FALSE(checker_.CheckAccess(bad));
    std::string held = Current("held.crz");
    FileLock other;
    ASSERT_EQ(other.Acquire(held), FileAccess::Ok);
    EXPECT_FALSE(checker_.CheckAccess(held));
    EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{
                               "The File " + missing + " was not found.",
                               "Bad Path.\nThe File " + bad + " was not found.",
                               "The File " + held +
                                   " is in use by another application.\nFile Not Opened."}));
    for (const auto& m : ui_.Messages()) {
        EXPECT_EQ(m.title, "File Error");
        EXPECT_EQ(m.icon, ui::Icon::Stop);
    }
}

TEST_F(FileCheckerTest, ReadOnlyFileIsAcceptedAndMadeWritable) {
    std::string p = Current("ro.crz");
    fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(checker_.CheckCruiseFile(p, "CRZ"), 0);
    EXPECT_NE(fs::status(p).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(ui_.Texts().empty());
}

TEST_F(FileCheckerTest, WritableChecks) {
    EXPECT_TRUE(checker_.CheckWritable(dir_.Path("new.crz")));
    std::string bad = dir_.Path("nofolder/new.crz");
    EXPECT_FALSE(checker_.CheckWritable(bad));
    std::string held = Current("held.crz");
    FileLock other;
    ASSERT_EQ(other.Acquire(held), FileAccess::Ok);
    EXPECT_FALSE(checker_.CheckWritable(held));
    EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{
                               "Bad Path.\nThe File " + bad + " cannot be saved.",
                               "The File " + held +
                                   " is in use by another application.\nFile Not Opened."}));
}

TEST_F(FileCheckerTest, NonMetakitFilesAreNotValid) {
    std::string text = dir_.Path("notes.crz");
    std::ofstream(text) << "Stratum,Unit\n1,2\n";
    std::string empty = dir_.Path("empty.crz");
    std::ofstream{empty};
    EXPECT_EQ(checker_.CheckCruiseFile(text, "CRZ"), 1);
    EXPECT_EQ(checker_.CheckCruiseFile(empty, "CRZ"), 1);

    ui_.PushFileName(text);
    std::string chosen = "unchanged";
    EXPECT_TRUE(checker_.SelectCruiseFile(true, chosen, "CRZ"));
    EXPECT_EQ(chosen, "unchanged");
    EXPECT_EQ(ui_.Texts().back(),
              "The File:\n\n'" + text + "'\n\n Is Not a Valid Cruise Object");
    EXPECT_EQ(ui_.Messages().back().title, "ERROR");
    // The file is left as it was.
    std::ifstream in(text);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "Stratum,Unit");
}

TEST_F(FileCheckerTest, SelectUsesTheKindsFilterAndSetsThePath) {
    std::string p = Current("sale.crz");
    ui_.PushFileName(p);
    std::string chosen;
    EXPECT_FALSE(checker_.SelectCruiseFile(true, chosen, "CRZ"));
    EXPECT_EQ(chosen, p);
    const auto& spec = ui_.FileDialogs().back();
    EXPECT_EQ(spec.filters[0].label, "Cruise Files (*.crz)");
    EXPECT_EQ(spec.default_extension, "CRZ");

    EXPECT_TRUE(checker_.SelectCruiseFile(false, chosen, "stp"));  // cancelled
    EXPECT_EQ(ui_.FileDialogs().back().filters[0].label, "Setup Files (*.stp)");
    EXPECT_EQ(KindOf("theft").kind_name, "Timber Theft File");
    EXPECT_EQ(KindOf("vst").filter_label, "Old Timber Theft Files (*.vst)");
    EXPECT_EQ(KindOf("STP").kind_name, "Cruise Object");  // kinds compare exactly
}

TEST_F(FileCheckerTest, VersionsDecideWhetherTheFileMayBeUsed) {
    std::string theft = dir_.Path("case.theft");
    storetest::WriteFile(theft, {storetest::ConfigTable("01.15.2004")});
    EXPECT_EQ(checker_.CheckCruiseFile(theft, "theft"), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Dir()), fs::directory_iterator()), 1);

    std::string newer = dir_.Path("newer.crz");
    storetest::WriteFile(newer, {storetest::ConfigTable("2011.01.05")});
    EXPECT_EQ(checker_.CheckCruiseFile(newer, "CRZ"), -1);
    EXPECT_EQ(ui_.Texts().back(),
              "New Cruise Object Structure.\nStrovan is out of date.\nPlease download latest "
              "version.");
    EXPECT_EQ(ui_.Messages().back().title, "WARNING");

    std::string noversion = dir_.Path("nover.crz");
    storetest::WriteFile(noversion, {storetest::ConfigTable("")});
    EXPECT_EQ(checker_.CheckCruiseFile(noversion, "CRZ"), -1);
    EXPECT_EQ(ui_.Texts().back(), "Cruise object version number could not be found.");

    // With both column forms, an old-form version row still counts when the new
    // columns hold none.
    std::string both = dir_.Path("both.crz");
    storetest::WriteFile(
        both, {{"GlobalConfigurationTable[Block:S,Key:S,Value:S,sBlock:S,sKey:S,sValue:S]",
                {{"General", "MRU", "Design", "General", "StructureVersion",
                  schema::kCurrentVersion}}}});
    EXPECT_EQ(ReadStructureVersion(both), schema::kCurrentVersion);
    EXPECT_EQ(checker_.CheckCruiseFile(both, "CRZ"), 0);

    ui_.Clear();
    EXPECT_EQ(checker_.CheckCruiseFile(Current("ok.crz"), "CRZ"), 0);
    EXPECT_TRUE(ui_.Messages().empty());
}

}  // namespace
