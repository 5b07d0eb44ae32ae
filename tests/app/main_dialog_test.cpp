#include "app/main_dialog.h"
#include "app/step_hooks.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app_test_util.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/file_lock.h"
#include "ui/scripted_ui.h"

using namespace ui;
using app::CMainDialog;
using apptest::ConfigRows;
using apptest::Setting;

namespace {

const std::string kSummaryCubic =
    "Sale Name: Bear Creek   \n\nSale Number: 12345\n\nCubic Sale\n\nHas Been Opened.";

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        setup_ = dir_.Path("default.stp");
        crz_ = dir_.Path("sale.crz");
        apptest::MakeSetup(setup_);
    }
    // The main window with `path` current, as after a command-line start.
    void MakeCurrent(CMainDialog& dlg, const std::string& path) {
        dlg.SetFilePath(path);
        dlg.OnInitDialog();
        ASSERT_EQ(dlg.FilePath(), path);
        ui_.Clear();
    }

    apptest::TempDir dir_;
    std::string setup_, crz_;
    ScriptedUi ui_;
};

// Later steps that answer with scripted result codes.
class FakeSteps : public app::WorkflowSteps {
public:
    bool Has(Step) const override { return true; }
    int RunStrataSetup(const std::string&, std::string& flag) override {
        seen_flag = flag;
        flag = leave_flag;
        return 0;
    }
    int CompileProduction(mk::Storage& s, const app::CostFigures& c,
                          const std::string& uom) override {
        ++production_runs;
        costs = c;
        this->uom = uom;
        MarkFile(s);
        return result;
    }
    int CompileRecon(mk::Storage& s, const app::CostFigures& c, const std::string& uom,
                     int) override {
        ++recon_runs;
        costs = c;
        this->uom = uom;
        MarkFile(s);
        return result;
    }
    int RunDesignForm(store::CCruiseStore& store, const app::DesignFormInputs& in) override {
        ++form_runs;
        inputs = in;
        has_bigbaf = store.View(store.FindView("SVDesignSgTable")).FindColumn("BigBaf") >= 0;
        return 0;
    }
    void MarkFile(mk::Storage& s) { store::SetSetting(s, "Test", "Compiled", "yes"); }

    int result = 0;
    std::string seen_flag, leave_flag = "Y", uom;
    int production_runs = 0, recon_runs = 0, form_runs = 0;
    bool has_bigbaf = false;
    app::CostFigures costs;
    app::DesignFormInputs inputs;
};

}  // namespace

TEST_F(MainDialogTest, StartsWithoutFile) {
    CMainDialog dlg(ui_);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.StatusText(), "Active File:  ");
    for (const auto& b : app::kMainButtons)
        EXPECT_EQ(dlg.ButtonEnabled(b.id), !b.file_bound) << b.text;
    EXPECT_TRUE(ui_.Messages().empty());
    dlg.OnHelp();
    dlg.OnAbout();
    EXPECT_EQ(ui_.Kinds(), (std::vector<std::string>{"help", "about"}));
    EXPECT_EQ(ui_.Messages()[0].text, "1");
}

TEST_F(MainDialogTest, CommandLineFileIsCheckedButNotSummarised) {
    apptest::MakeCruise(crz_);
    CMainDialog ok(ui_);
    ok.SetFilePath(crz_);
    ok.OnInitDialog();
    EXPECT_TRUE(ui_.Messages().empty());
    EXPECT_EQ(ok.StatusText(), "Active File:  " + crz_);
    EXPECT_TRUE(ok.ButtonEnabled(app::kIdDesign));

    std::string text = dir_.Path("notes.crz");
    apptest::WriteText(text, "not a database\n");
    CMainDialog bad(ui_);
    bad.SetFilePath(text);
    bad.OnInitDialog();
    ASSERT_EQ(ui_.Texts().size(), 1u);
    EXPECT_EQ(ui_.Last()->text, "The File:\n\n'" + text + "'\n\n Is Not a Valid Cruise Object");
    EXPECT_EQ(ui_.Last()->title, "ERROR");
    EXPECT_EQ(bad.FilePath(), "");
    EXPECT_FALSE(bad.FileButtonsEnabled());
    EXPECT_EQ(apptest::ReadBytes(text), "not a database\n");

    ui_.Clear();
    std::string missing = dir_.Path("gone.crz");
    CMainDialog none(ui_);
    none.SetFilePath(missing);
    none.OnInitDialog();
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"The File " + missing + " was not found."});
    EXPECT_EQ(none.StatusText(), "Active File:  ");
    EXPECT_FALSE(apptest::fs::exists(missing));
}

TEST_F(MainDialogTest, CreateFromSetupFile) {
    CMainDialog dlg(ui_);
    dlg.OnInitDialog();
    ui_.PushFileName(setup_);  // Browse
    ui_.PushFileName(crz_);    // Save As
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        EXPECT_EQ(f.Mode(), 0);
        f.OnBrowse();
        SaleFields& s = f.Fields();
        s.sale_no = "12345";
        s.cruise_no = "1";
        s.sale_name = "Bear Creek";
        s.region = "06";
        s.forest = "12";
        s.district = "03";
        s.cal_year = "2011";
        f.OnUnitChosen("01");
    }));
    dlg.OnCreate();
    EXPECT_TRUE(ui_.Texts().empty());
    EXPECT_EQ(dlg.FilePath(), crz_);
    EXPECT_EQ(dlg.StatusText(), "Active File:  " + crz_);
    EXPECT_TRUE(dlg.FileButtonsEnabled());

    EXPECT_EQ(
        ConfigRows(crz_),
        (std::vector<std::string>{"General/StructureVersion=2010.03.18", "General/Setup=" + setup_,
                                  "General/MRU=Design", "Strovan/Type=Design",
                                  "Strovan/UpdateFlag=Y", "Strovan/UOM=01"}));
    auto s = mk::Storage::Open(crz_, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s);
    mk::View cruise = s->GetView("CruiseTable");
    ASSERT_EQ(cruise.RowCount(), 1);
    EXPECT_EQ(cruise.GetString(0, "SaleNo"), "12345");
    EXPECT_EQ(cruise.GetString(0, "SaleName"), "Bear Creek");
    EXPECT_EQ(cruise.GetString(0, "CalYear"), "2011");
    EXPECT_EQ(cruise.GetString(0, "District"), "03");
    EXPECT_EQ(cruise.GetString(0, "Purpose"), "");
    EXPECT_EQ(s->GetView("DataDictionary").RowCount(),
              mk::Storage::Open(setup_)->GetView("DataDictionary").RowCount());
    EXPECT_FALSE(apptest::fs::exists(crz_ + ".strovan-new"));

    // Cancelling a later create leaves no file current.
    dlg.OnCreate();
    EXPECT_EQ(dlg.FilePath(), "");
    EXPECT_FALSE(dlg.FileButtonsEnabled());
    EXPECT_EQ(dlg.StatusText(), "Active File:  ");

    // Without a pick in the unit list the new file is a cubic sale, never unit-less.
    const std::string other = dir_.Path("other.crz");
    ui_.PushFileName(setup_);
    ui_.PushFileName(other);
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        EXPECT_EQ(f.Fields().uom, "03");
        f.OnBrowse();
        f.Fields().sale_no = "7";
    }));
    dlg.OnCreate();
    EXPECT_EQ(dlg.FilePath(), other);
    EXPECT_EQ(Setting(other, "Strovan", "UOM"), "03");
    EXPECT_EQ(dlg.UnitChanged(), 0);
}

TEST_F(MainDialogTest, OpenShowsSummaryAndAddsMissingUnit) {
    apptest::MakeCruise(crz_, true,
                        {{"General", "DirtyFlag", "CLEAN"}, {"General", "MRU", "Kelvane"}});
    CMainDialog dlg(ui_);
    dlg.OnInitDialog();
    ui_.PushFileName(crz_);
    dlg.OnOpen();
    ASSERT_EQ(ui_.Texts(), std::vector<std::string>{kSummaryCubic});
    const RecordedMessage& m = ui_.Messages().back();
    EXPECT_EQ(m.title, "Strovan");
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_EQ(Setting(crz_, "Strovan", "UOM"), "03");
    EXPECT_EQ(Setting(crz_, "General", "MRU"), "Design");
    EXPECT_EQ(dlg.SaleName(), "Bear Creek");
    EXPECT_EQ(dlg.Uom(), "03");
    EXPECT_EQ(dlg.StatusText(), "Active File:  " + crz_);

    // A cancelled or failed later open keeps the current file.
    dlg.OnOpen();
    EXPECT_EQ(dlg.FilePath(), crz_);
    EXPECT_TRUE(dlg.ButtonEnabled(app::kIdEditInfo));
    EXPECT_EQ(dlg.StatusText(), "Active File:  " + crz_);
    const std::string text = dir_.Path("notes.crz");
    std::ofstream(text) << "not a cruise file\n";
    ui_.PushFileName(text);
    dlg.OnOpen();
    EXPECT_EQ(dlg.FilePath(), crz_);
    EXPECT_TRUE(dlg.ButtonEnabled(app::kIdEditInfo));
    EXPECT_NE(ui_.Texts().back().find("Is Not a Valid Cruise Object"), std::string::npos);
}

TEST_F(MainDialogTest, OpenBoardFootSaleWithoutVolumes) {
    apptest::MakeCruise(crz_, true, {{"Strovan", "UOM", "01"}, {"General", "DirtyFlag", "DIRTY"}});
    CMainDialog dlg(ui_);
    ui_.PushFileName(crz_);
    dlg.OnOpen();
    ASSERT_EQ(ui_.Texts().size(), 2u);
    EXPECT_EQ(
        ui_.Texts()[0],
        "Sale Name: Bear Creek   \n\nSale Number: 12345\n\nBoard Foot Sale\n\nHas Been Opened.");
    EXPECT_EQ(ui_.Texts()[1], "No Volumes.\n\nRun Dorvex Program First.");
    EXPECT_EQ(dlg.Uom(), "01");
    EXPECT_TRUE(dlg.FileButtonsEnabled());
}

TEST_F(MainDialogTest, OpenWithoutCruiseInformationAsksForIt) {
    apptest::MakeCruise(crz_, false);
    CMainDialog dlg(ui_);
    ui_.PushFileName(crz_);
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        EXPECT_EQ(f.Mode(), 9);
        f.Fields().sale_no = "777";
        f.Fields().sale_name = "Fir Flat";
        f.OnUnitChosen("01");
    }));
    dlg.OnOpen();
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"Missing Cruise Information."});
    EXPECT_EQ(ui_.Messages()[1].title, "WARNING");
    EXPECT_EQ(ui_.Messages()[1].icon, Icon::Exclamation);
    EXPECT_EQ(Setting(crz_, "Strovan", "UOM"), "01");
    auto s = mk::Storage::Open(crz_, mk::OpenMode::ReadOnly);
    mk::View cruise = s->GetView("CruiseTable");
    ASSERT_EQ(cruise.RowCount(), 1);
    EXPECT_EQ(cruise.GetString(0, "SaleNo"), "777");
    EXPECT_EQ(cruise.GetString(0, "SaleName"), "Fir Flat");
    EXPECT_EQ(dlg.Uom(), "01");
}

TEST_F(MainDialogTest, EditCruiseInformation) {
    apptest::MakeCruise(crz_, true, {{"Strovan", "UOM", "03"}, {"Strovan", "UpdateFlag", "N"}});
    CMainDialog dlg(ui_);
    MakeCurrent(dlg, crz_);

    // Confirming without touching the unit list keeps the flag; the missing type is added.
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        EXPECT_EQ(f.Mode(), 2);
        EXPECT_EQ(f.Fields().sale_no, "12345");
        EXPECT_EQ(f.Fields().uom, "03");
        f.Fields().cruise_type = "Recon";
        f.Fields().sale_name = "Bear Creek II";
    }));
    dlg.OnEditCruiseInfo();
    EXPECT_EQ(Setting(crz_, "Strovan", "UpdateFlag"), "N");
    EXPECT_EQ(Setting(crz_, "Strovan", "Type"), "Recon");
    EXPECT_EQ(dlg.UnitChanged(), 0);
    auto s = mk::Storage::Open(crz_, mk::OpenMode::ReadOnly);
    EXPECT_EQ(s->GetView("CruiseTable").GetString(0, "SaleName"), "Bear Creek II");
    s->Close();

    // Changing the unit asks for the work tables to be rebuilt.
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) { f.OnUnitChosen("01"); }));
    dlg.OnEditCruiseInfo();
    EXPECT_EQ(Setting(crz_, "Strovan", "UpdateFlag"), "Y");
    EXPECT_EQ(Setting(crz_, "Strovan", "UOM"), "01");
    EXPECT_EQ(dlg.UnitChanged(), 1);
    EXPECT_EQ(dlg.Uom(), "01");

    // Cancel writes nothing; status and buttons stay.
    std::string before = apptest::ReadBytes(crz_);
    dlg.OnEditCruiseInfo();
    EXPECT_EQ(apptest::ReadBytes(crz_), before);
    EXPECT_EQ(dlg.StatusText(), "Active File:  " + crz_);
}

TEST_F(MainDialogTest, EditAddsMissingRowsWithFlagFromUnitChoice) {
    apptest::MakeCruise(crz_);
    CMainDialog dlg(ui_);
    MakeCurrent(dlg, crz_);
    ui_.PushNewCruise(
        ScriptedUi::Submit([](NewCruiseForm& f) { f.Fields().cruise_type = "Design"; }));
    EXPECT_TRUE(dlg.OnEditCruiseInfo());
    // A file without a unit is given cubic feet, as creating one does; never an empty unit.
    EXPECT_EQ(ConfigRows(crz_), (std::vector<std::string>{"General/StructureVersion=2010.03.18",
                                                          "Strovan/UOM=03", "Strovan/Type=Design",
                                                          "Strovan/UpdateFlag=N"}));
}

TEST_F(MainDialogTest, FileInUseIsRefusedWithoutChange) {
    apptest::MakeCruise(crz_);
    CMainDialog dlg(ui_);
    MakeCurrent(dlg, crz_);
    std::string before = apptest::ReadBytes(crz_);
    store::FileLock other;
    ASSERT_EQ(other.Acquire(crz_), store::FileAccess::Ok);
    dlg.OnEditCruiseInfo();
    dlg.OnCosts();
    dlg.OnDesignProcessing();
    std::string in_use =
        "The File " + crz_ + " is in use by another application.\nFile Not Opened.";
    EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{in_use, in_use, in_use}));
    EXPECT_EQ(ui_.Last()->title, "File Error");
    EXPECT_EQ(apptest::ReadBytes(crz_), before);
}

TEST_F(MainDialogTest, CruiseTypeFromTreesAndMru) {
    apptest::MakeCruise(crz_);
    CMainDialog dlg(ui_);
    MakeCurrent(dlg, crz_);
    EXPECT_EQ(dlg.GetCruiseType(), 0);  // empty TreeTable: a design cruise, no question
    EXPECT_TRUE(ui_.Messages().empty());
    EXPECT_EQ(Setting(crz_, "Strovan", "Type"), "Design");

    std::string recon = dir_.Path("recon.crz");
    apptest::MakeCruise(recon, true,
                        {{"General", "MRU", "Processing"}, {"Strovan", "UpdateFlag", "N"}});
    {
        auto s = mk::Storage::Open(recon);
        s->GetView("TreeTable").AddRow();
        ASSERT_TRUE(s->Commit());
    }
    CMainDialog r(ui_);
    MakeCurrent(r, recon);
    ui_.PushQuestionAnswer(true);
    EXPECT_EQ(r.GetCruiseType(), 0);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].kind, "question");
    EXPECT_EQ(ui_.Messages()[0].text, "\r\n\r\n\r\nDoes this file contain Recon data?");
    EXPECT_EQ(Setting(recon, "Strovan", "Type"), "Recon");
    EXPECT_EQ(Setting(recon, "Strovan", "UpdateFlag"),
              "Y");  // the processing program wrote it last

    std::string prod = dir_.Path("prod.crz");
    apptest::MakeCruise(prod, true, {{"General", "MRU", "Kelvane"}});
    {
        auto s = mk::Storage::Open(prod);
        s->GetView("TreeTable").AddRow();
        ASSERT_TRUE(s->Commit());
    }
    CMainDialog p(ui_);
    MakeCurrent(p, prod);
    ui_.PushQuestionAnswer(false);
    EXPECT_EQ(p.GetCruiseType(), -1);
    // The refused step writes nothing, not even the answer.
    EXPECT_EQ(Setting(prod, "Strovan", "Type"), std::nullopt);
    EXPECT_EQ(ui_.Texts(),
              std::vector<std::string>{
                  "This data has not been processed yet.\nPlease exit this program and "
                  "execute the Dorvex program."});
    EXPECT_EQ(ui_.Last()->title, "Warning");
}

TEST_F(MainDialogTest, UpdateFlagAndLastWriter) {
    apptest::MakeCruise(crz_);
    CMainDialog dlg(ui_);
    MakeCurrent(dlg, crz_);
    EXPECT_EQ(dlg.GetUpdateFlag(), "Y");
    EXPECT_EQ(Setting(crz_, "Strovan", "UpdateFlag"), "Y");
    dlg.SetUpdateFlag("N");
    EXPECT_EQ(dlg.GetUpdateFlag(), "N");
    dlg.SetLastWriter();
    dlg.SetLastWriter();
    EXPECT_EQ(ConfigRows(crz_),
              (std::vector<std::string>{"General/StructureVersion=2010.03.18",
                                        "Strovan/UpdateFlag=N", "General/MRU=Design"}));
}

TEST_F(MainDialogTest, CostsDialogStoresNineSettings) {
    apptest::MakeCruise(crz_);
    CMainDialog dlg(ui_);
    MakeCurrent(dlg, crz_);
    // Cancel writes nothing.
    std::string before = apptest::ReadBytes(crz_);
    dlg.OnCosts();
    EXPECT_EQ(apptest::ReadBytes(crz_), before);
    EXPECT_EQ(ui_.Kinds(), (std::vector<std::string>{"minimize", "form", "restore"}));

    // Empty fields are stored as nine empty rows.
    ui_.PushCosts([](CostsForm& f) {
        for (const auto& v : f.Values()) EXPECT_EQ(v, "");
        return f.OnOk();
    });
    dlg.OnCosts();
    EXPECT_EQ(ConfigRows(crz_).size(), 10u);
    EXPECT_EQ(Setting(crz_, "Strovan", "TreePaint"), "");

    ui_.PushCosts(ScriptedUi::SubmitCosts({"60", "4", "10", "30", "100", "50", "6", "2.5", "50"}));
    dlg.OnCosts();
    EXPECT_EQ(Setting(crz_, "Strovan", "Paint"), "2.5");
    EXPECT_EQ(ConfigRows(crz_).size(), 10u);
    app::CostValues raw = dlg.ReadCostSettings();
    EXPECT_EQ(raw[kCrewPlot], "60");
    EXPECT_DOUBLE_EQ(dlg.Costs().plot, 15.0);
    EXPECT_DOUBLE_EQ(dlg.Costs().paint, 0.05);
    EXPECT_FALSE(ui_.Minimized());
}

TEST_F(MainDialogTest, StrataSetupOpensItsDialogAndCompilingWithoutStrataIsRefused) {
    apptest::MakeCruise(crz_);
    CMainDialog dlg(ui_);
    MakeCurrent(dlg, crz_);
    // Every step is part of the build.
    ASSERT_TRUE(app::Hooks().strata_setup);
    ASSERT_TRUE(app::Hooks().recon_stats);
    ui_.Clear();
    dlg.OnEstablishStrata();
    dlg.OnDesignProcessing();
    // The setup dialog opens (the script cancels it); the recon compilation refuses a
    // file without strata.
    std::vector<std::string> forms;
    for (const auto& m : ui_.Messages())
        if (m.kind == "form") forms.push_back(m.title);
    EXPECT_EQ(forms, std::vector<std::string>{"setup.strata_definitions"});
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"No Strata have been established.\n"});
    // The type was settled on the way; nothing else changed.
    EXPECT_EQ(Setting(crz_, "Strovan", "Type"), "Design");
    EXPECT_NE(Setting(crz_, "Strovan", "UpdateFlag"), "N");
}

TEST_F(MainDialogTest, StrataSetupOfProductionCruiseRefused) {
    apptest::MakeCruise(crz_, true, {{"Strovan", "Type", "Production"}});
    FakeSteps steps;
    CMainDialog dlg(ui_, &steps);
    MakeCurrent(dlg, crz_);
    dlg.OnEstablishStrata();
    EXPECT_EQ(ui_.Texts(),
              std::vector<std::string>{"Cannot modify the setup of a production cruise."});
    EXPECT_EQ(ui_.Last()->title, "Warning");
    EXPECT_EQ(steps.seen_flag, "");

    std::string design = dir_.Path("design.crz");
    apptest::MakeCruise(design, true, {{"Strovan", "UpdateFlag", "N"}});
    CMainDialog d(ui_, &steps);
    MakeCurrent(d, design);
    d.OnEstablishStrata();
    EXPECT_EQ(steps.seen_flag, "N");
    EXPECT_EQ(Setting(design, "Strovan", "UpdateFlag"), "Y");
    EXPECT_EQ(ui_.Kinds(), (std::vector<std::string>{"minimize", "restore"}));
}

TEST_F(MainDialogTest, DesignProcessingOfDesignCruise) {
    apptest::MakeCruise(crz_, true,
                        {{"Strovan", "Type", "Design"},
                         {"Strovan", "UOM", "01"},
                         {"Strovan", "CrewPlot", "60"},
                         {"Strovan", "CntPlot", "4"}});
    FakeSteps steps;
    CMainDialog dlg(ui_, &steps);
    MakeCurrent(dlg, crz_);

    // Recon compilation refusals stop before the design form and write nothing.
    steps.result = 1;
    dlg.OnDesignProcessing();
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"No Strata have been established.\n"});
    EXPECT_EQ(ui_.Last()->title, "Error");
    EXPECT_EQ(Setting(crz_, "Test", "Compiled"), std::nullopt);
    EXPECT_EQ(steps.uom, "01");  // read from the file: nothing was opened through the window
    EXPECT_DOUBLE_EQ(steps.costs.plot, 15.0);
    steps.result = 2;
    ui_.Clear();
    dlg.OnDesignProcessing();
    EXPECT_EQ(ui_.Texts(),
              std::vector<std::string>{"One or more strata definitions have zero total acres.\n"});
    EXPECT_EQ(steps.form_runs, 0);

    // Without design tables the form cannot open; the compilation is in the file, with
    // the flag that says the design matches the setup.
    steps.result = 0;
    ui_.Clear();
    dlg.OnDesignProcessing();
    EXPECT_EQ(steps.form_runs, 0);
    EXPECT_EQ(Setting(crz_, "Test", "Compiled"), "yes");
    EXPECT_EQ(Setting(crz_, "Strovan", "UpdateFlag"), "N");

    {
        auto s = mk::Storage::Open(crz_);
        ASSERT_TRUE(s->GetAs(schema::kSVDesignTableDesc));
        ASSERT_TRUE(s->GetAs(schema::kSVDesignSgTableProductionDesc));
        store::SetSetting(*s, "Strovan", "UpdateFlag", "Y");
        ASSERT_TRUE(s->Commit());
    }
    dlg.OnDesignProcessing();
    EXPECT_EQ(steps.recon_runs, 4);
    EXPECT_EQ(steps.form_runs, 1);
    EXPECT_TRUE(steps.has_bigbaf);
    EXPECT_EQ(steps.inputs.target_error, "10");
    EXPECT_EQ(steps.inputs.cruise_type, 0);
    EXPECT_EQ(steps.inputs.cost_values[kCrewPlot], "60");
    EXPECT_EQ(Setting(crz_, "Strovan", "UpdateFlag"), "N");

    // With the flag at N the form opens without compiling.
    dlg.OnDesignProcessing();
    EXPECT_EQ(steps.recon_runs, 4);
    EXPECT_EQ(steps.form_runs, 2);
}

TEST_F(MainDialogTest, DesignProcessingOfProductionCruise) {
    apptest::MakeCruise(crz_, true, {{"Strovan", "Type", "Production"}, {"Strovan", "UOM", "01"}});
    FakeSteps steps;
    CMainDialog dlg(ui_, &steps);
    MakeCurrent(dlg, crz_);
    std::string before = apptest::ReadBytes(crz_);
    steps.result = 1;
    dlg.OnDesignProcessing();
    steps.result = 2;
    dlg.OnDesignProcessing();
    EXPECT_EQ(ui_.Texts(),
              (std::vector<std::string>{"No Trees Found in the Tree Table!",
                                        "No board foot volume found for trees.\nPlease Process "
                                        "through Dorvex program."}));
    EXPECT_EQ(Setting(crz_, "Test", "Compiled"), std::nullopt);  // not committed on failure
    EXPECT_EQ(steps.production_runs, 2);
    EXPECT_EQ(steps.form_runs, 0);

    // The unit is the current file's, not the one the window saw before.
    const std::string cubic = dir_.Path("cubic.crz");
    apptest::MakeCruise(cubic, true, {{"Strovan", "Type", "Production"}});
    MakeCurrent(dlg, cubic);
    dlg.OnDesignProcessing();
    EXPECT_EQ(steps.uom, "03");
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"No cubic foot volume found for trees.\nPlease "
                                                    "Process through Dorvex program."});
}
