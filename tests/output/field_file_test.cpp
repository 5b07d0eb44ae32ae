#include "output/field_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "field_fixture.h"
#include "output/field_file_forms.h"
#include "output/forwarding_ui.h"
#include "ui/scripted_ui.h"

using namespace fieldtest;
using output::FieldFileStatus;

namespace {

output::CostValues Costs() { return {"35", "40", "6", "33", "300", "120", "20", "12", "150"}; }

// The dialog as a user fills it: purpose, a new cruise number, the target path.
output::SaleDialog Dialog(const std::string& target, bool ok = true) {
    return [target, ok](ui::UiPort&, ui::SaleFields& f) {
        f.cruise_no = "2";
        f.purpose = "TS";
        f.output_file = target;
        return ok;
    };
}

// Ticks every offered recon stratum and picks the second of several default rows.
void PlayUser(ui::ScriptedUi& u) {
    u.PushFormAs<output::ReconStrataForm>(output::ReconStrataForm::kId, [](output::ReconStrataForm& f) {
        for (auto& r : f.Rows()) r.selected = true;
        return true;
    });
    u.PushFormAs<output::AutoFillChoiceForm>(output::AutoFillChoiceForm::kId, [](output::AutoFillChoiceForm& f) {
        return f.Choose(1) && f.OnOk();
    });
}

struct Made {
    TempDir dir;
    std::string source = dir.Path("sale.crz");
    std::string target = dir.Path("12345.crz");
    ui::ScriptedUi u;
    FieldFileStatus status = FieldFileStatus::Failed;

    explicit Made(bool play = true) {
        WriteDesign(source);
        if (play) PlayUser(u);
    }
    FieldFileStatus Run() {
        auto src = mk::Storage::Open(source, mk::OpenMode::ReadOnly);
        EXPECT_TRUE(src);
        status = output::MakeFieldFile(u, *src, source, Costs(), Dialog(target));
        return status;
    }
    mk::Storage Out() {
        auto s = mk::Storage::Open(target, mk::OpenMode::ReadOnly);
        EXPECT_TRUE(s) << target;
        return s ? std::move(*s) : mk::Storage();
    }
};

std::string Inner(const char* description) {
    std::string d = description;
    return d.substr(d.find('[') + 1, d.size() - d.find('[') - 2);
}

}  // namespace

TEST(FieldFile, RealisticDesignIsWrittenTableByTable) {
    Made m;
    ASSERT_EQ(m.Run(), FieldFileStatus::Created);
    ASSERT_NE(m.u.Last(), nullptr);
    EXPECT_EQ(m.u.Last()->title, "Information");
    EXPECT_EQ(m.u.Last()->text, "The Cruise Object:\n\n" + m.target + "\n\nHas Been Created");
    mk::Storage out = m.Out();

    EXPECT_EQ(Rows(out, "CruiseTable", {"SaleNo", "CruiseNo", "SaleName", "Region", "Forest", "District",
                                        "CalYear", "Purpose", "MeasSys"}),
              std::vector<std::string>{"12345|2|Bear Creek|06|12|03|2011|TS|"});

    EXPECT_EQ(Rows(out, "CuttingUnitTable", {"CutUnit", "Area", "Description", "LogMeth", "PayUnit"}),
              (std::vector<std::string>{"1|40.5|Ridge|TRC|A", "2|22.25|Creek|CAB|A", "3|61|Flat|TRC|B"}));

    // Design rows decide the description (edited on the form), method, BAF and plot size.
    mk::View strata = out.GetView("StratumTable");
    ASSERT_EQ(strata.RowCount(), 3);
    EXPECT_EQ(Rows(out, "StratumTable", {"Stratum", "CruzMeth", "Units", "BAF", "FPSize", "Description"}),
              (std::vector<std::string>{"1|STR|1,2|0|0|North slope, edited", "2|PNT|3|20|0|Flat",
                                        "3|FIX|1|0|10|Ridge plots"}));
    for (int r = 0; r < 3; ++r) {
        EXPECT_GE(strata.GetInt(r, "Month"), 1);
        EXPECT_LE(strata.GetInt(r, "Month"), 12);
        EXPECT_GE(strata.GetInt(r, "Year"), 2024);
    }

    EXPECT_EQ(Rows(out, "SubPopulationTable", {"Stratum", "SG", "Sp", "ProdP", "LD", "Freq", "KZ", "Description", "key"}),
              (std::vector<std::string>{
                  "1|A|DF|01|L|12|0|Conifer-DF|1", "1|A|WH|01|L|12|0|Conifer-WH|2",
                  "1|B|DF|01|D|5|0||3", "1|B|DF|01|L|5|0||4",
                  "2|A|DF|01|L|0|0|Big|", "2|A|RA|02|D|0|0|Big|", "2|B|DF|01|L|0|0|Small|",
                  "3|A|DF|01|L|0|0|All|", "3|A|RA|02|D|0|0|All|"}));
    // Defaults: exact row, the "L,D" row, the picked one of two; dead DF has none.
    EXPECT_EQ(Rows(out, "SubPopulationTable", {"Sp", "LD", "UOMP", "UOMS", "ProdS", "CL", "CDefP", "HDefP",
                                               "TopDIBP", "MerchHtLL", "FC", "DBHBTR", "AvgZForm", "ContrSpec"}),
              (std::vector<std::string>{
                  "DF|L|01|03|02|C|5|2|6|16|80|0.5|0.75|DFC", "WH|L|01||||9||5.5|0|0|0|0|",
                  "DF|D|||||||0|0|0|0|0|", "DF|L|01|03|02|C|5|2|6|16|80|0.5|0.75|DFC",
                  "DF|L|01|03|02|C|5|2|6|16|80|0.5|0.75|DFC", "RA|D|03||||20||0|0|0|0|0|",
                  "DF|L|01|03|02|C|5|2|6|16|80|0.5|0.75|DFC", "DF|L|01|03|02|C|5|2|6|16|80|0.5|0.75|DFC",
                  "RA|D|03||||20||0|0|0|0|0|"}));

    // Custom report, equation table and dictionary copied with their own layouts.
    mk::Storage src = std::move(*mk::Storage::Open(m.source, mk::OpenMode::ReadOnly));
    for (const char* t : {"CustomVol1", "VolumeEquationTable", "ValueEquationTable", "WeightEquationTable",
                          "QAEquationTable", "DataDictionary"}) {
        EXPECT_EQ(out.Structure(t), src.Structure(t)) << t;
        EXPECT_EQ(out.GetView(t).RowCount(), src.GetView(t).RowCount()) << t;
    }
    EXPECT_EQ(Rows(out, "CustomVol1", {"Title", "Width", "Scale"}),
              (std::vector<std::string>{"Volume by species|80|1.25", "Totals|132|0.5"}));
    EXPECT_EQ(Column(out, "VolumeEquationTable", "VolEq"),
              (std::vector<std::string>{"I00FW2W202", "I00FW2W263"}));
    EXPECT_FALSE(out.HasView("SVDesignTable"));
    EXPECT_FALSE(out.HasView("SVSummaryTable"));
    EXPECT_FALSE(out.HasView("CountTable"));
    // Nothing but the new file is left in the folder.
    auto files = m.dir.Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"12345.crz", "sale.crz"}));
}

TEST(FieldFile, LayoutsOfTheNewTablesAreTheSchemaLayouts) {
    Made m;
    ASSERT_EQ(m.Run(), FieldFileStatus::Created);
    mk::Storage out = m.Out();
    mk::Storage src = std::move(*mk::Storage::Open(m.source, mk::OpenMode::ReadOnly));
    EXPECT_EQ(out.Structure("CruiseTable"), Inner(schema::kCruiseTableDesc));
    EXPECT_EQ(out.Structure("CuttingUnitTable"), Inner(schema::kCuttingUnitTableDesc));
    EXPECT_EQ(out.Structure("StratumTable"), Inner(schema::kStratumTableFieldDesc));
    EXPECT_EQ(out.Structure("SubPopulationTable"), Inner(schema::kSubPopulationTableDesc));
    EXPECT_EQ(out.Structure("GlobalConfigurationTable"), Inner(schema::kGlobalConfigurationTableDesc));
    EXPECT_EQ(out.Structure("TreeTable"), src.Structure("TreeTable"));
    // Plot and log tables keep the source's columns and carry every column the field
    // program opens them with.
    for (const char* d : {schema::kPlotTableDesc, schema::kLogTableDesc}) {
        std::string table = schema::TableOfDescription(d);
        mk::View v = out.GetView(table);
        auto fields = mk::ParseFields(Inner(d));
        ASSERT_TRUE(fields);
        for (const auto& f : *fields) EXPECT_GE(v.FindColumn(f.name), 0) << table << "." << f.name;
        mk::View s = src.GetView(table);
        for (int c = 0; c < s.ColumnCount(); ++c)
            EXPECT_EQ(v.Column(v.FindColumn(s.Column(c).name)).type, s.Column(c).type) << s.Column(c).name;
    }
    // The whole file reads back from its bytes as a plain storage.
    auto again = mk::Storage::FromBytes(ReadBytes(m.target));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Structure(), out.Structure());
}

TEST(FieldFile, SettingsAreCopiedWithTheFieldFileChanges) {
    Made m;
    ASSERT_EQ(m.Run(), FieldFileStatus::Created);
    mk::Storage out = m.Out();
    auto rows = Rows(out, "GlobalConfigurationTable", {"Block", "Key", "Value"});
    std::vector<std::string> expected = {
        "General|StructureVersion|" + std::string(schema::kCurrentVersion),
        "General|Setup|/home/forester/default.stp",
        "General|MRU|Design",
        "General|DirtyFlag|CLEAN",
        "Strovan|Type|Production",
        "Strovan|UOM|01",
        "Strovan|UpdateFlag|N",
        "Strovan|CrewPlot|35",
        "Strovan|Paint|12",  // not one of the field file's cost keys: as it was
        "Processing|Custom Report|Vol1",
        // cost keys the source lacked, in the field program's order
        "Strovan|CrewTree|33",
        "Strovan|CntPlot|40",
        "Strovan|Trav|6",
        "Strovan|TreeTally|300",
        "Strovan|TreeMeas|20",
        "Strovan|Tree3P|120",
    };
    EXPECT_EQ(rows, expected);
}

TEST(FieldFile, SourceWithoutMruGetsMruAndDirtyFlagAndSkipsUnsafeCustomNames) {
    TempDir dir;
    std::string source = dir.Path("sale.crz");
    {
        auto s = mk::Storage::Create(source);
        ASSERT_TRUE(s);
        BuildDesign(*s);
        mk::View config = s->GetView("GlobalConfigurationTable");
        for (int r = config.RowCount() - 1; r >= 0; --r) {
            std::string k = config.GetString(r, "Key");
            if (k == "MRU" || k == "DirtyFlag" || k == "Setup" || k == "Type") config.RemoveRows(r);
        }
        app::AddSetting(config, "Processing", "Custom Report", "X],Evil[a:S");
        app::AddSetting(config, "Processing", "Custom Report", "Missing");
        ASSERT_TRUE(s->Commit());
    }
    ui::ScriptedUi u;
    PlayUser(u);
    auto src = mk::Storage::Open(source, mk::OpenMode::ReadOnly);
    std::string target = dir.Path("out.crz");
    ASSERT_EQ(output::MakeFieldFile(u, *src, source, Costs(), Dialog(target)), FieldFileStatus::Created);
    auto texts = u.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "These custom reports were not copied, their names are not valid table names:\n\n"
                        "\"X],Evil[a:S\"\n"),
              texts.end());
    auto out = mk::Storage::Open(target, mk::OpenMode::ReadOnly);
    auto rows = Rows(*out, "GlobalConfigurationTable", {"Block", "Key", "Value"});
    for (const char* want : {"General|Setup|", "General|MRU|Design", "General|DirtyFlag|CLEAN",
                             "Strovan|Type|Production"})
        EXPECT_EQ(std::count(rows.begin(), rows.end(), want), 1) << want;
    std::vector<std::string> names = out->ViewNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "CustomVol1"), names.end());
    for (const auto& n : names) EXPECT_EQ(n.find("Evil"), std::string::npos);
    EXPECT_EQ(std::find(names.begin(), names.end(), "CustomMissing"), names.end());
}

TEST(FieldFile, ValidateListIsExtendedTokenByToken) {
    EXPECT_EQ(output::ExtendValidate("100 STR S3P", {"STR", "3P", "S3P", "PNT", "3P"}), "100 STR S3P 3P PNT ");
    EXPECT_EQ(output::ExtendValidate("3PPNT", {"PNT"}), "3PPNT PNT ");
    EXPECT_EQ(output::ExtendValidate("", {"FIX"}), " FIX ");
    EXPECT_EQ(output::ExtendValidate("FIX ", {"FIX"}), "FIX  ");

    Made m;
    ASSERT_EQ(m.Run(), FieldFileStatus::Created);
    mk::Storage out = m.Out();
    mk::View dict = out.GetView("DataDictionary");
    int found = 0;
    for (int r = 0; r < dict.RowCount(); ++r) {
        if (dict.GetString(r, "TableName") != "StratumTable" || dict.GetString(r, "ColumnName") != "CruzMeth")
            continue;
        ++found;
        EXPECT_EQ(dict.GetString(r, "Validate"), "100 STR S3P PNT FIX ");
    }
    EXPECT_EQ(found, 1);
}

TEST(FieldFile, TallyKeysNumberTheCombinationsOfAStratum) {
    EXPECT_EQ(output::TallyKey(0), "1");
    EXPECT_EQ(output::TallyKey(8), "9");
    EXPECT_EQ(output::TallyKey(9), "a");
    EXPECT_EQ(output::TallyKey(10), "b");  // the eleventh
    EXPECT_EQ(output::TallyKey(34), "z");
    EXPECT_EQ(output::TallyKey(35), "A");  // the 36th
    EXPECT_EQ(output::TallyKey(60), "Z");
    EXPECT_EQ(output::TallyKey(61), "Z");
    EXPECT_EQ(output::ReconMethodFor("PCMTRE"), "PNT");
    EXPECT_EQ(output::ReconMethodFor("3PPNT"), "PNT");
    EXPECT_EQ(output::ReconMethodFor("FCM"), "FIX");
    EXPECT_EQ(output::ReconMethodFor("S3P"), "");
}
