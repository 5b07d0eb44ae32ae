#include "setup/import_svz.h"

#include <gtest/gtest.h>

#include "setup_test_util.h"
#include "store/config.h"
#include "ui/scripted_ui.h"

using namespace setuptest;

namespace {

// One line: record, stratum, unit, plot, tree, species, dbh, height, volume, product,
// area, baf, fpsize, planned plots.
std::string Line(const std::string& stratum, const std::string& unit, const std::string& plot,
                 const std::string& tree, const std::string& rest = "DF,18.3,106,71.7,01,86,20,0,6") {
    return "54321," + stratum + "," + unit + "," + plot + "," + tree + "," + rest + "\n";
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        cruise = dir.Path("sale.crz");
        svz = dir.Path("recon.svz");
        MakeCruise(cruise, {}, {{"9", 99.0, "Old unit", "420"}, {"8", 5.0, "Other", "430"}},
                   {{"5", "3P"}});
        // Work tables of an earlier setup, and a stale FPSize on the stratum row.
        auto s = mk::Storage::Open(cruise);
        ASSERT_TRUE(s);
        auto units = s->GetAs("SVUnitsTable[Select:S,CutUnit:S,Area:D]");
        units->SetString(units->AddRow(), "CutUnit", "9");
        ASSERT_TRUE(s->GetAs("SVSummaryTable[Recon:S,CutUnit:S]"));
        ASSERT_TRUE(s->GetAs("SVStrataTable[Stratum:S]"));
        s->GetView("StratumTable").SetDouble(0, "FPSize", 7.5);
        s->GetView("StratumTable").SetString(0, "Description", "old stratum");
        ASSERT_TRUE(s->Commit());
    }
    int Import(const std::string& text) {
        WriteText(svz, text);
        return setup::ImportSvz(ui, cruise, svz);
    }

    TempDir dir;
    std::string cruise, svz;
    ui::ScriptedUi ui;
};

TEST_F(ImportTest, FillsTheRecon) {
    std::string text = Line("1", "1", "1", "1") + Line("1", "1", "1", "2", "WH,12.5,90,1234.5678,02,12345.67,20,0.1,6") +
                       Line("1", "1", "2", "1") + Line("1", "1", "5", "1") +
                       Line("2", "2", "1", "1", "RA,10,50,5,02,40,0,0.1,1") +
                       Line("3", "3", "1", "1", "RC,30,120,300,01,3.5,0,0,1");
    ASSERT_EQ(Import(text), 0);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].title, "Information");
    EXPECT_EQ(ui.Messages()[0].text, "The File:\n\n'" + svz + "'\n\nHas Been Imported.");
    EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::Information);

    // Trees in file order, then one tree for each planned plot that had none: plots
    // 1, 2 and 5 of 6 leave three.
    EXPECT_EQ(Rows(cruise, "TreeTable", {"Stratum", "CutUnit", "Plot", "Tree", "Sp", "ProdP", "NCUFTVolPP", "CL"}),
              (std::vector<std::string>{
                  "1|1|1|1|DF|01|71.7|C", "1|1|1|2|WH|02|1234.5678|C", "1|1|2|1|DF|01|71.7|C",
                  "1|1|5|1|DF|01|71.7|C", "2|2|1|1|RA|02|5|C", "3|3|1|1|RC|01|300|C",
                  "1|1|9999|1|||0|C", "1|1|9998|1|||0|C", "1|1|9997|1|||0|C"}));
    // Units written whole: nothing of the units that stood there before survives.
    EXPECT_EQ(Rows(cruise, "CuttingUnitTable", {"CutUnit", "Area", "Description", "LogMeth", "PayUnit"}),
              (std::vector<std::string>{"1|86|||", "2|40|||", "3|3.5|||"}));
    EXPECT_EQ(Rows(cruise, "StratumTable", {"Stratum", "CruzMeth", "Units", "BAF", "FPSize", "Description"}),
              (std::vector<std::string>{"1|PNT|1|20|0|", "2|FIX|2|0|0.1|", "3|100|3|0|0|"}));
    EXPECT_EQ(Rows(cruise, "PlotTable", {"CutUnit", "Stratum", "Plot"}),
              (std::vector<std::string>{"1|1|1", "1|1|2", "1|1|5", "1|1|9997", "1|1|9998",
                                        "1|1|9999", "2|2|1", "3|3|1"}));
    EXPECT_FALSE(HasTable(cruise, "SVUnitsTable"));
    EXPECT_FALSE(HasTable(cruise, "SVSummaryTable"));
    EXPECT_FALSE(HasTable(cruise, "SVStrataTable"));
    auto s = mk::Storage::Open(cruise, mk::OpenMode::ReadOnly);
    EXPECT_EQ(store::GetSetting(*s, "Strovan", "UOM").value_or(""), "03");
    // Full precision: not cut to six digits on the way.
    mk::View trees = s->GetView("TreeTable");
    EXPECT_EQ(trees.GetDouble(1, "NCUFTVolPP"), 1234.5678);
    EXPECT_FLOAT_EQ(trees.GetFloat(1, "DBH"), 12.5f);
    EXPECT_EQ(s->GetView("CuttingUnitTable").GetDouble(0, "Area"), 86.0);
}

TEST_F(ImportTest, PlotsAndBlocksAreCountedPerUnitAndStratumWherever_TheirLinesStand) {
    // Plot 1 interrupted by plot 2 is still one plot; unit 1 of stratum 1 comes back
    // after unit 2 and is still one unit with the values of its first line.
    std::string text = Line("1", "1", "1", "1", "DF,18.3,106,71.7,01,86,20,0,4") +
                       Line("1", "1", "2", "1", "DF,18.3,106,71.7,01,86,20,0,4") +
                       Line("1", "1", "1", "2", "DF,18.3,106,71.7,01,86,20,0,4") +
                       Line("1", "2", "1", "1", "DF,18.3,106,71.7,01,20,20,0,1") +
                       Line("1", "1", "3", "1", "DF,18.3,106,71.7,01,99,20,0,9");
    ASSERT_EQ(Import(text), 0);
    // Three distinct plots of four planned: one placeholder, not two blocks' worth.
    EXPECT_EQ(Rows(cruise, "PlotTable", {"CutUnit", "Plot"}),
              (std::vector<std::string>{"1|1", "1|2", "1|3", "1|9999", "2|1"}));
    EXPECT_EQ(Rows(cruise, "CuttingUnitTable", {"CutUnit", "Area"}),
              (std::vector<std::string>{"1|86", "2|20"}));
    EXPECT_EQ(Rows(cruise, "StratumTable", {"Stratum", "Units"}), (std::vector<std::string>{"1|1,2"}));
}

TEST_F(ImportTest, PlaceholdersSkipCodesOfRealPlotsAndFullUnitsGetNone) {
    std::string text = Line("1", "1", "9999", "1", "DF,18.3,106,71.7,01,86,20,0,3") +
                       Line("1", "2", "1", "1", "DF,18.3,106,71.7,01,86,20,0,1") +
                       Line("1", "3", "1", "1", "DF,18.3,106,71.7,01,86,20,0,0") +
                       Line("1", "3", "2", "1", "DF,18.3,106,71.7,01,86,20,0,0");
    ASSERT_EQ(Import(text), 0);
    EXPECT_EQ(Rows(cruise, "PlotTable", {"CutUnit", "Plot"}),
              (std::vector<std::string>{"1|9997", "1|9998", "1|9999", "2|1", "3|1", "3|2"}));
}

TEST_F(ImportTest, WindowsLineEndsBlanksAndEmptyLinesAreAccepted) {
    std::string text = "\r\n" + Line("1", "1", "1", "1") + "   \r\n\r\n";
    text.insert(text.size() - 6, "  ");
    std::string crlf = "  54321,1 ,1,1,1,DF , 18.3,106,71.7,01,86,20,0,6  \r\n";
    ASSERT_EQ(Import(text + crlf), 0) << (ui.Messages().empty() ? "" : ui.Messages()[0].text);
    EXPECT_EQ(Rows(cruise, "TreeTable", {"Stratum", "Sp", "Tree"}),
              (std::vector<std::string>{"1|DF|1", "1|DF|1", "1||1", "1||1", "1||1", "1||1", "1||1"}));
}

TEST_F(ImportTest, ExistingTreesRefuseTheImport) {
    {
        auto s = mk::Storage::Open(cruise);
        s->GetView("TreeTable").AddRow();
        ASSERT_TRUE(s->Commit());
    }
    const std::string before = ReadBytes(cruise);
    EXPECT_EQ(Import(Line("1", "1", "1", "1")), 1);
    EXPECT_EQ(ui.Messages()[0].title, "WARNING");
    EXPECT_EQ(ui.Messages()[0].text, "Tree Data Already Exists.\nCannot Import the File.");
    EXPECT_EQ(ReadBytes(cruise), before);
}

TEST_F(ImportTest, MalformedFilesAreRefusedWholeAndChangeNothing) {
    const std::string good = Line("1", "1", "1", "1") + Line("1", "1", "2", "1");
    struct Case {
        std::string bad_line;
        std::string expected;  // part of the message
    };
    const std::vector<Case> cases = {
        {"54321,1,1,3,1,DF,18.3,106,71.7,01,86,20,0\n", "Line 3, field 14 (number of plots): the field is missing"},
        {"54321,1,1,3,1,DF\n", "Line 3, field 7 (diameter at breast height): the field is missing"},
        {"54321,1,,3,1,DF,18.3,106,71.7,01,86,20,0,6\n", "Line 3, field 3 (cutting unit code): the field is empty"},
        {"54321,1,1,3,1,DF,18.3,106,71.7,01,86,20,0,\n", "Line 3, field 14 (number of plots): the field is empty"},
        {"54321,1,1234,3,1,DF,18.3,106,71.7,01,86,20,0,6\n",
         "Line 3, field 3 (cutting unit code): '1234' is longer than 3 characters"},
        {"54321,1,1,3,1,DOUGFIR1,18.3,106,71.7,01,86,20,0,6\n",
         "Line 3, field 6 (species code): 'DOUGFIR1' is longer than 7 characters"},
        {"54321,1,1,3,1,DF,12x,106,71.7,01,86,20,0,6\n",
         "Line 3, field 7 (diameter at breast height): '12x' is not a number"},
        {"54321,1,1,3,1,DF,18.3,106,inf,01,86,20,0,6\n", "Line 3, field 9 (net cubic-foot volume): 'inf' is not a number"},
        {"54321,1,1,3,1,DF,nan,106,71.7,01,86,20,0,6\n",
         "Line 3, field 7 (diameter at breast height): 'nan' is not a number"},
        {"54321,1,1,3,1,DF,18.3,1e400,71.7,01,86,20,0,6\n", "Line 3, field 8 (total height): '1e400' is not a number"},
        {"54321,1,1,3,1,DF,18.3,106,71.7,01,acres,20,0,6\n", "Line 3, field 11 (unit area in acres): 'acres' is not a number"},
        {"54321,1,1,3,1,DF,18.3,106,71.7,01,86,20,0,-3\n", "Line 3, field 14 (number of plots): '-3' is negative"},
        {"54321,1,1,3,1,DF,18.3,106,71.7,01,86,20,0,100000\n",
         "Line 3, field 14 (number of plots): '100000' plots is more than the limit of 9000"},
        {"54321,1,1,3,1,DF,18.3,106,71.7,01,86,20,0,2.5\n", "Line 3, field 14 (number of plots): '2.5' is not a whole number"},
        {"54321,1,1,3,1,DF,18.3,106,71.7,01,86,20,0,6,7\n", "Line 3, field 14 (number of plots): '6,7' is not a number"},
    };
    const std::string before = ReadBytes(cruise);
    for (const Case& c : cases) {
        ui.Clear();
        EXPECT_EQ(Import(good + c.bad_line + Line("1", "1", "4", "1")), 1) << c.bad_line;
        ASSERT_EQ(ui.Messages().size(), 1u) << c.bad_line;
        const auto& m = ui.Messages()[0];
        EXPECT_EQ(m.title, "File Error");
        EXPECT_EQ(m.icon, ui::Icon::Stop);
        EXPECT_NE(m.text.find("'" + svz + "'"), std::string::npos) << m.text;
        EXPECT_NE(m.text.find(c.expected), std::string::npos) << m.text;
        EXPECT_EQ(ReadBytes(cruise), before) << c.bad_line;
    }
    // Empty, blank-only, binary and missing files.
    for (const std::string& text : {std::string(), std::string("\r\n  \n\n"), std::string("a\0b", 3)}) {
        ui.Clear();
        EXPECT_EQ(Import(text), 1);
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ReadBytes(cruise), before);
    }
    ui.Clear();
    EXPECT_EQ(setup::ImportSvz(ui, cruise, dir.Path("none.svz")), 1);
    EXPECT_NE(ui.Messages().at(0).text.find("The file cannot be read"), std::string::npos);
    EXPECT_EQ(ReadBytes(cruise), before);
    EXPECT_TRUE(HasTable(cruise, "SVUnitsTable"));
}

// The recon file comes from Windows programs: its text is Windows-1252, and a field's
// limit counts characters, one byte each.
TEST_F(ImportTest, WindowsCharactersImportAsThemselves) {
    const std::string text = Line("\xC9" "1", "1", "1", "1", "\xC4\xD6\xDC\xC4\xD6\xDC\x80,18.3,106,71.7,01,86,20,0,1");
    ASSERT_EQ(Import(text), 0) << (ui.Messages().empty() ? "" : ui.Messages()[0].text);
    EXPECT_EQ(Rows(cruise, "TreeTable", {"Stratum", "Sp"}),
              (std::vector<std::string>{"\xC3\x89" "1|\xC3\x84\xC3\x96\xC3\x9C\xC3\x84\xC3\x96\xC3\x9C\xE2\x82\xAC"}));
    EXPECT_EQ(Rows(cruise, "StratumTable", {"Stratum"}), std::vector<std::string>{"\xC3\x89" "1"});
    auto s = mk::Storage::Open(cruise, mk::OpenMode::ReadOnly);
    EXPECT_EQ(s->GetView("TreeTable").GetBytes(0, "Sp"), "\xC4\xD6\xDC\xC4\xD6\xDC\x80");
    EXPECT_EQ(s->GetView("PlotTable").GetBytes(0, "Stratum"), "\xC9" "1");
}

TEST_F(ImportTest, BytesWithoutACharacterAreRefusedByName) {
    const std::string before = ReadBytes(cruise);
    EXPECT_EQ(Import(Line("1", "1", "1", "1", "D\x81,18.3,106,71.7,01,86,20,0,1")), 1);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].text.find("Line 1, field 6 (species code): 'D\xEF\xBF\xBD' holds the byte 81, which is no character"),
              std::string::npos) << ui.Messages()[0].text;
    ui.Clear();
    EXPECT_EQ(Import(Line("1", "1", "1", "1", "\xC9PIC\xC9\xC9\xC9\xC9,18.3,106,71.7,01,86,20,0,1")), 1);
    EXPECT_NE(ui.Messages().at(0).text.find("'\xC3\x89PIC\xC3\x89\xC3\x89\xC3\x89\xC3\x89' is longer than 7 characters"),
              std::string::npos) << ui.Messages()[0].text;
    EXPECT_EQ(ReadBytes(cruise), before);
}

TEST_F(ImportTest, StoppingTheImportLeavesTheFileAsItWas) {
    struct StoppingUi : ui::ScriptedUi {
        bool Progress(long long done) override { return done < 2; }
    } stopping;
    WriteText(svz, Line("1", "1", "1", "1"));
    const std::string before = ReadBytes(cruise);
    EXPECT_EQ(setup::ImportSvz(stopping, cruise, svz), 1);
    EXPECT_EQ(stopping.Texts(), std::vector<std::string>{"The import was stopped.\n\nThe cruise file was not changed."});
    EXPECT_EQ(ReadBytes(cruise), before);
}

TEST_F(ImportTest, TheExampleSaleImports) {
    const std::string example = std::string(STROVAN_SOURCE_DIR) + "/examples/sale.svz";
    ASSERT_EQ(setup::ImportSvz(ui, cruise, example), 0);
    auto units = Column(cruise, "CuttingUnitTable", "CutUnit");
    EXPECT_EQ(units.size(), 12u);
    EXPECT_EQ(Rows(cruise, "StratumTable", {"Stratum", "CruzMeth"}),
              (std::vector<std::string>{"1|PNT", "2|FIX", "3|100"}));
    EXPECT_GT(Column(cruise, "TreeTable", "Sp").size(), 1000u);
}

}  // namespace
