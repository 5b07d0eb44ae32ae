// Refusals, cancels and failures, the recon plot transfer, the species defaults and
// the design form's "Make Kelvane" hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sys/stat.h>

#include "app/step_hooks.h"
#include "field_fixture.h"
#include "mk/file_io.h"
#include "output/field_file.h"
#include "output/field_file_forms.h"
#include "output/forwarding_ui.h"
#include "store/cruise_store.h"
#include "ui/scripted_ui.h"

using namespace fieldtest;
using output::FieldFileStatus;

namespace {

output::CostValues Costs() { return {"35", "40", "6", "33", "300", "120", "20", "12", "150"}; }

output::SaleDialog Dialog(const std::string& target, bool ok = true) {
    return [target, ok](ui::UiPort&, ui::SaleFields& f) {
        f.output_file = target;
        return ok;
    };
}

void TickRecon(ui::ScriptedUi& u, std::vector<std::string> codes) {
    u.PushFormAs<output::ReconStrataForm>(output::ReconStrataForm::kId,
                                          [codes](output::ReconStrataForm& f) { return f.SelectStrata(codes); });
}

void PickDefault(ui::ScriptedUi& u, int row) {
    u.PushFormAs<output::AutoFillChoiceForm>(output::AutoFillChoiceForm::kId,
                                             [row](output::AutoFillChoiceForm& f) { return f.Choose(row) && f.OnOk(); });
}

bool HasText(const ui::ScriptedUi& u, const std::string& part) {
    for (const auto& m : u.Messages())
        if (m.text.find(part) != std::string::npos) return true;
    return false;
}

// A source file with the fixture's design, changed by `edit` before it is committed.
std::string Source(const TempDir& dir, const std::function<void(mk::Storage&)>& edit = {}) {
    std::string path = dir.Path("sale.crz");
    auto s = mk::Storage::Create(path);
    EXPECT_TRUE(s);
    BuildDesign(*s);
    if (edit) edit(*s);
    EXPECT_TRUE(s->Commit());
    return path;
}

FieldFileStatus Make(ui::UiPort& u, const std::string& source, const std::string& target,
                     const output::SaleDialog& dialog = {}) {
    auto src = mk::Storage::Open(source, mk::OpenMode::ReadOnly);
    EXPECT_TRUE(src);
    return output::MakeFieldFile(u, *src, source, Costs(), dialog ? dialog : Dialog(target));
}

// Stops the run at the n-th progress report.
class StoppingUi : public output::ForwardingUi {
public:
    StoppingUi(ui::UiPort& inner, int stop_at) : ForwardingUi(inner), stop_at_(stop_at) {}
    bool Progress(long long) override { return ++calls_ < stop_at_; }
    int calls_ = 0;

private:
    int stop_at_;
};

// Records whether anything asks the user while the wait cursor is up.
class BusyWatchUi : public output::ForwardingUi {
public:
    using ForwardingUi::ForwardingUi;
    void BeginBusy(const std::string& what, long long total) override {
        ++depth;
        total_steps = total;
        ForwardingUi::BeginBusy(what, total);
    }
    void EndBusy() override {
        --depth;
        ForwardingUi::EndBusy();
    }
    bool Progress(long long done) override {
        last_done = done;
        return ForwardingUi::Progress(done);
    }
    bool RunForm(ui::Form& form) override {
        asked_while_busy = asked_while_busy || depth > 0;
        return ForwardingUi::RunForm(form);
    }
    ui::Answer MessageBox(const std::string& title, const std::string& text, ui::Icon icon,
                          ui::Buttons buttons) override {
        asked_while_busy = asked_while_busy || depth > 0;
        return ForwardingUi::MessageBox(title, text, icon, buttons);
    }
    int depth = 0;
    bool asked_while_busy = false;
    long long total_steps = 0, last_done = 0;
};

void ClearTable(mk::Storage& s, const char* name) { s.GetView(name).RemoveAll(); }

}  // namespace

TEST(FieldFileRefusals, MissingUnitsOrStrataAreErrorsAndNothingIsCreated) {
    struct Case {
        const char* table;
        const char* says;
    } cases[] = {{"SVUnitsTable", "There are no cutting units"},
                 {"SVStrataTable", "There are no strata"},
                 {"SVDesignTable", "The design has no strata"}};
    for (const auto& c : cases) {
        TempDir dir;
        std::string source = Source(dir, [&](mk::Storage& s) { ClearTable(s, c.table); });
        ui::ScriptedUi u;
        bool asked = false;
        auto dialog = [&](ui::UiPort&, ui::SaleFields& f) {
            asked = true;
            f.output_file = dir.Path("out.crz");
            return true;
        };
        EXPECT_EQ(Make(u, source, "", dialog), FieldFileStatus::Refused) << c.table;
        EXPECT_FALSE(asked) << "the dialog comes after the checks";
        ASSERT_NE(u.Last(), nullptr);
        EXPECT_EQ(u.Last()->title, "ERROR");
        EXPECT_NE(u.Last()->text.find(c.says), std::string::npos) << u.Last()->text;
        EXPECT_FALSE(HasText(u, "Has Been Created"));
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"sale.crz"});
    }
}

TEST(FieldFileRefusals, UnitsOfAStratumMustBeInTheUnitTable) {
    TempDir dir;
    std::string source = Source(dir, [](mk::Storage& s) {
        mk::View design = s.GetView("SVDesignTable");
        design.SetString(1, "Units", "3, 7");  // unit 7 added on the form, not in the unit table
        design.SetString(2, "CruzMeth", "");
    });
    ui::ScriptedUi u;
    EXPECT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Refused);
    EXPECT_TRUE(HasText(u, "Unit 7 of stratum 2 is not in the unit table."));
    EXPECT_TRUE(HasText(u, "Stratum 3 has no cruise method."));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.crz")));
}

TEST(FieldFileRefusals, TheOpenFileIsNeverTheTarget) {
    TempDir dir;
    std::string source = Source(dir);
    std::string before = ReadBytes(source);
    // Also through another name of the same file.
    std::filesystem::create_symlink(source, dir.Path("link.crz"));
    for (const std::string& target : {source, dir.Path("link.crz"), dir.Path("./sale.crz")}) {
        ui::ScriptedUi u;
        auto src = mk::Storage::Open(source, mk::OpenMode::ReadOnly);
        output::FieldFileWriter w(u, *src, source);
        ASSERT_TRUE(w.Check().errors.empty());
        output::FieldFileRequest req;
        req.target = target;
        EXPECT_EQ(w.Write(req), FieldFileStatus::Refused) << target;
        ASSERT_NE(u.Last(), nullptr);
        EXPECT_EQ(u.Last()->text, output::SameFileMessage(target));
    }
    EXPECT_EQ(ReadBytes(source), before);
    EXPECT_FALSE(output::SameFile(source, dir.Path("new.crz")));
}

TEST(FieldFileRefusals, SaveDialogChoosingTheOpenFileIsRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    std::string source = Source(dir);
    std::string before = ReadBytes(source);
    ui::ScriptedUi u;
    std::optional<std::string> chosen;
    auto dialog = [&](ui::UiPort& port, ui::SaleFields& f) {
        u.PushFileName(source);
        chosen = port.SaveFileName({});
        if (!chosen) return false;
        f.output_file = *chosen;
        return true;
    };
    EXPECT_EQ(Make(u, source, "", dialog), FieldFileStatus::Cancelled);
    EXPECT_FALSE(chosen.has_value());
    EXPECT_TRUE(HasText(u, "is the cruise file open in this program"));
    EXPECT_EQ(ReadBytes(source), before);
}

TEST(FieldFileRefusals, CancelAndFailureLeaveNoFileAndAnExistingTargetUntouched) {
    TempDir dir;
    std::string source = Source(dir);
    std::string target = dir.Path("12345.crz");
    std::ofstream(target) << "an older field file";
    auto untouched = [&](const char* why) {
        EXPECT_EQ(ReadBytes(target), "an older field file") << why;
        auto files = dir.Files();
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{"12345.crz", "sale.crz"})) << why;
    };
    {   // the dialog is cancelled
        ui::ScriptedUi u;
        EXPECT_EQ(Make(u, source, target, Dialog(target, false)), FieldFileStatus::Cancelled);
        EXPECT_FALSE(HasText(u, "Has Been Created"));
        untouched("dialog");
    }
    for (int stop : {1, 3, 6}) {  // the user stops the run at different steps
        ui::ScriptedUi u;
        TickRecon(u, {"R1", "R2"});
        PickDefault(u, 0);
        StoppingUi stopping(u, stop);
        EXPECT_EQ(Make(stopping, source, target), FieldFileStatus::Cancelled) << stop;
        EXPECT_FALSE(HasText(u, "Has Been Created"));
        untouched("stopped");
    }
    {   // the user declines after the design warnings
        TempDir d2;
        std::string src2 = Source(d2, [](mk::Storage& s) { s.GetView("SVDesignSgTable").SetInt(0, "Freq", 0); });
        ui::ScriptedUi u;
        u.PushQuestionAnswer(false);
        EXPECT_EQ(Make(u, src2, d2.Path("out.crz")), FieldFileStatus::Cancelled);
        EXPECT_TRUE(HasText(u, "Stratum 1, sample group A (STR): the frequency is 0."));
        EXPECT_FALSE(std::filesystem::exists(d2.Path("out.crz")));
    }
    {   // the folder does not exist
        ui::ScriptedUi u;
        std::string bad = dir.Path("no/such/folder/out.crz");
        EXPECT_EQ(Make(u, source, bad), FieldFileStatus::Failed);
        ASSERT_NE(u.Last(), nullptr);
        EXPECT_EQ(u.Last()->title, "File Error");
        EXPECT_NE(u.Last()->text.find("Could Not Be Created"), std::string::npos);
        untouched("failed");
    }
    {   // a folder of that name
        std::filesystem::create_directory(dir.Path("dir.crz"));
        ui::ScriptedUi u;
        EXPECT_EQ(Make(u, source, dir.Path("dir.crz")), FieldFileStatus::Failed);
        EXPECT_TRUE(std::filesystem::is_directory(dir.Path("dir.crz")));
        std::filesystem::remove(dir.Path("dir.crz"));
    }
    {   // a successful run replaces it whole
        ui::ScriptedUi u;
        TickRecon(u, {});
        PickDefault(u, 0);
        EXPECT_EQ(Make(u, source, target), FieldFileStatus::Created);
        auto out = mk::Storage::Open(target, mk::OpenMode::ReadOnly);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->GetView("StratumTable").RowCount(), 3);
    }
}

TEST(FieldFileDesign, MethodsDecideFreqBafAndPlotSize) {
    TempDir dir;
    std::string source = Source(dir, [](mk::Storage& s) {
        mk::View design = s.GetView("SVDesignTable");
        design.SetString(0, "CruzMeth", "100");
        design.SetString(1, "CruzMeth", "PCM");
        design.SetDouble(1, "PlotSize", 40);
        design.SetString(2, "CruzMeth", "FCM");
        design.SetDouble(2, "PlotSize", 0.1);
        mk::View groups = s.GetView("SVDesignSgTable");
        for (int r = 0; r < groups.RowCount(); ++r) {
            groups.SetInt(r, "Freq", 7);
            groups.SetInt(r, "KZ", 9);
            groups.SetInt(r, "SgN2", 8);  // count-measure methods measure a second stage
        }
    });
    ui::ScriptedUi u;
    PickDefault(u, 0);
    ASSERT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Created);
    auto out = mk::Storage::Open(dir.Path("out.crz"), mk::OpenMode::ReadOnly);
    EXPECT_EQ(Rows(*out, "StratumTable", {"Stratum", "CruzMeth", "BAF", "FPSize"}),
              (std::vector<std::string>{"1|100|0|0", "2|PCM|40|0", "3|FCM|0|0.1"}));
    // "100", "PCM", "FCM" never carry a frequency; keys and species names only for tally methods.
    for (const auto& row : Rows(*out, "SubPopulationTable", {"Freq", "KZ", "key"})) EXPECT_EQ(row, "0|9|");
    EXPECT_EQ(Column(*out, "SubPopulationTable", "Description")[0], "Conifer");
}

TEST(FieldFileDesign, LiveAndDeadStayApartAndManyCombinationsAreReported) {
    TempDir dir;
    std::string source = Source(dir, [](mk::Storage& s) {
        // 62 species in group A of the STR stratum: more than there are keys.
        mk::View sum = s.GetView("SVSummaryTable");
        for (int i = 0; i < 60; ++i)
            Add(sum, {{"CutUnit", "2"}, {"Stratum", "1"}, {"SgTree", "A"}, {"Species", "S" + std::to_string(i)},
                      {"Prod", "01"}, {"LD", "L"}});
    });
    ui::ScriptedUi u;
    PickDefault(u, 0);
    ASSERT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Created);
    EXPECT_TRUE(HasText(u, "Stratum 1 (STR) has 64 species combinations; only 61 get a key of their own"));
    auto out = mk::Storage::Open(dir.Path("out.crz"), mk::OpenMode::ReadOnly);
    auto rows = Rows(*out, "SubPopulationTable", {"Stratum", "SG", "Sp", "LD", "key"});
    // Live and dead DF of group B are two rows; from the 61st combination on the key is "Z".
    EXPECT_EQ(rows[61], "1|A|S59|L|Z");
    EXPECT_EQ(rows[62], "1|B|DF|D|Z");
    EXPECT_EQ(rows[63], "1|B|DF|L|Z");
    EXPECT_EQ(rows[9], "1|A|S7|L|a");
    EXPECT_EQ(rows[35], "1|A|S33|L|A");
}

TEST(FieldFileDesign, StrataOfTheSetupMissingFromTheDesignAreReported) {
    TempDir dir;
    std::string source = Source(dir, [](mk::Storage& s) {
        mk::View strata = s.GetView("SVStrataTable");
        Add(strata, {{"Stratum", "4"}, {"Units", "2"}});
        Add(s.GetView("SVDesignSgTable"), {{"Stratum", "1"}, {"SgCode", "C"}, {"SgN", "3"}, {"Freq", "3"}});
    });
    ui::ScriptedUi u;
    PickDefault(u, 0);
    ASSERT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Created);
    EXPECT_TRUE(HasText(u, "Stratum 4 of the strata definition is not in the design and is not written."));
    EXPECT_TRUE(HasText(u, "Stratum 1, sample group C (STR) has no species; it gets no sub-population."));
    auto out = mk::Storage::Open(dir.Path("out.crz"), mk::OpenMode::ReadOnly);
    EXPECT_EQ(Column(*out, "StratumTable", "Stratum"), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(FieldFileRecon, PlotsTreesAndLogsOfFeedingStrataAreCarriedOver) {
    TempDir dir;
    std::string source = Source(dir);
    ui::ScriptedUi u;
    TickRecon(u, {"R3", "R1", "R2"});
    PickDefault(u, 1);
    ASSERT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Created);
    // R3's BAF 40 fits no stratum.
    EXPECT_TRUE(HasText(u, "Recon stratum R3 fits no stratum of the design"));
    // The list offered the PNT and FIX strata only.
    auto out = mk::Storage::Open(dir.Path("out.crz"), mk::OpenMode::ReadOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(Rows(*out, "PlotTable", {"Stratum", "CutUnit", "Plot", "SlopePct", "NullPlot", "GeospatialLink"}),
              (std::vector<std::string>{"2|3|1|12.5|0|g1", "2|3|2|0|1|", "3|1|1|0|0|"}));
    // The 6.1-inch tree falls in the piece that ends at 6.1; the tree without a summary
    // row, the tree of an unknown plot and the tree of unit 4 stay behind.
    EXPECT_EQ(Rows(*out, "TreeTable", {"Stratum", "SG", "CutUnit", "Plot", "Tree", "Sp", "DBH", "NCUFTVolPP"}),
              (std::vector<std::string>{"2|B|3|1|1|DF|6.1|12.5", "2|A|3|1|2|DF|8|12.5", "2|A|3|1|3|RA|10|12.5",
                                        "2|A|3|2|1|DF|14|12.5", "3|A|1|1|1|DF|9|12.5"}));
    EXPECT_EQ(Rows(*out, "LogTable", {"Stratum", "CutUnit", "Plot", "Tree", "LogNum", "Length", "NBDFT"}),
              (std::vector<std::string>{"2|3|1|1|1|32|120.5", "2|3|1|1|2|32|120.5", "3|1|1|1|1|32|120.5"}));
}

TEST(FieldFileRecon, OnlyTheFirstTickedStratumFeedsAStratum) {
    TempDir dir;
    std::string source = Source(dir, [](mk::Storage& s) {
        // R5 has the same BAF and plots in unit 3 with the same plot numbers.
        Add(s.GetView("StratumTable"), {{"Stratum", "R5"}, {"CruzMeth", "PNT"}, {"Units", "3"}, {"BAF", "20"}});
        Add(s.GetView("PlotTable"), {{"Stratum", "R5"}, {"CutUnit", "3"}, {"Plot", "1"}});
        Add(s.GetView("TreeTable"), {{"Stratum", "R5"}, {"CutUnit", "3"}, {"Plot", "1"}, {"Tree", "1"},
                                     {"Sp", "DF"}, {"ProdP", "01"}, {"LD", "L"}, {"DBH", "30"}});
    });
    ui::ScriptedUi u;
    u.PushFormAs<output::ReconStrataForm>(output::ReconStrataForm::kId, [](output::ReconStrataForm& f) {
        std::vector<std::string> offered;
        for (const auto& r : f.Rows()) offered.push_back(r.stratum + " " + r.cruz_meth + " " + r.units);
        EXPECT_EQ(offered, (std::vector<std::string>{"R1 PNT 3,4", "R2 FIX 1", "R3 PNT 3", "R5 PNT 3"}));
        EXPECT_EQ(f.Title(), "Select Strata to Import Recon Plots.");
        return f.SelectStrata({"R5", "R1"});
    });
    PickDefault(u, 0);
    ASSERT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Created);
    EXPECT_TRUE(HasText(u, "Stratum 2: recon stratum R5 also fits; the plots of recon stratum R1 were carried over."));
    auto out = mk::Storage::Open(dir.Path("out.crz"), mk::OpenMode::ReadOnly);
    EXPECT_EQ(Rows(*out, "PlotTable", {"Stratum", "CutUnit", "Plot"}),
              (std::vector<std::string>{"2|3|1", "2|3|2"}));
    for (const auto& d : Column(*out, "TreeTable", "DBH")) EXPECT_NE(d, "30");
}

TEST(FieldFileRecon, NoTransferWhenTheListIsCancelledOrUnitsAreNotCovered) {
    {
        TempDir dir;
        std::string source = Source(dir);
        ui::ScriptedUi u;  // no script: the list is cancelled
        PickDefault(u, 0);
        ASSERT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Created);
        auto out = mk::Storage::Open(dir.Path("out.crz"), mk::OpenMode::ReadOnly);
        EXPECT_FALSE(out->HasView("PlotTable"));
        EXPECT_FALSE(out->HasView("TreeTable"));
    }
    {
        TempDir dir;
        std::string source = Source(dir, [](mk::Storage& s) {
            // Stratum 2 now also covers unit 2, where R1 has no plots.
            s.GetView("SVDesignTable").SetString(1, "Units", "2,3");
        });
        ui::ScriptedUi u;
        TickRecon(u, {"R1"});
        PickDefault(u, 0);
        ASSERT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Created);
        EXPECT_TRUE(HasText(u, "Recon stratum R1 fits no stratum of the design"));
        auto out = mk::Storage::Open(dir.Path("out.crz"), mk::OpenMode::ReadOnly);
        EXPECT_EQ(out->GetView("PlotTable").RowCount(), 0);
    }
}

TEST(FieldFileDefaults, InformationOncePerRunListOncePerCombination) {
    TempDir dir;
    std::string source = Source(dir, [](mk::Storage& s) {
        // A second combination with two default rows.
        mk::View fill = s.GetView("SVSelAutoFill");
        Add(fill, {{"Sp", "WH"}, {"ProdP", "01"}, {"LD", "L"}, {"CDefP", "1"}});
        Add(fill, {{"Sp", "WH"}, {"ProdP", "01"}, {"LD", "L"}, {"CDefP", "2"}});
    });
    ui::ScriptedUi u;
    std::vector<std::string> asked;
    for (int i = 0; i < 3; ++i)
        u.PushFormAs<output::AutoFillChoiceForm>(output::AutoFillChoiceForm::kId, [&asked](output::AutoFillChoiceForm& f) {
            asked.push_back(f.species + "/" + f.prod + "/" + f.ld + ":" + std::to_string(f.rows.size()));
            EXPECT_FALSE(f.OnOk());
            if (f.species == "RA") return false;  // cancelled: no defaults
            EXPECT_FALSE(f.Choose(2));
            return f.Choose(1) && f.OnOk();
        });
    ASSERT_EQ(Make(u, source, dir.Path("out.crz")), FieldFileStatus::Created);
    EXPECT_EQ(asked, (std::vector<std::string>{"WH/01/L:2", "RA/02/D:2"}));
    EXPECT_EQ(u.PendingForms(output::AutoFillChoiceForm::kId), 1u);
    int informed = 0;
    for (const auto& m : u.Messages())
        if (m.text.rfind("Multiple Rows of Information For a Species/ProdP/LD Combination Found.", 0) == 0) {
            ++informed;
            EXPECT_EQ(m.title, "Information");
            EXPECT_EQ(m.icon, ui::Icon::Information);
        }
    EXPECT_EQ(informed, 1);
    auto out = mk::Storage::Open(dir.Path("out.crz"), mk::OpenMode::ReadOnly);
    auto rows = Rows(*out, "SubPopulationTable", {"Sp", "LD", "CDefP"});
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "WH|L|2"), 1);  // the exact rows win over "L,D"
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "RA|D|"), 2);
}

TEST(FieldFileHook, MakeKelvaneFromTheDesignFormsOpenStore) {
    TempDir dir;
    std::string source = Source(dir);
    std::string target = dir.Path("12345.crz");
    ui::ScriptedUi u;
    store::CCruiseStore store(u);
    ASSERT_EQ(store.Open(source), 0);
    // An edit on the design form not yet committed reaches the field file.
    mk::View design = store.Storage()->GetView("SVDesignTable");
    design.SetString(2, "Description", "Ridge, typed on the form");

    ui::SaleFields seen;
    u.PushFileName(source);  // first the open file: refused, the dialog stays open
    u.PushFileName(target);
    u.PushNewCruise([&](ui::NewCruiseForm& form) {
        seen = form.Fields();
        EXPECT_EQ(form.Mode(), ui::kModeFieldCruise);
        form.OnPurposeChosen("Right of Way");
        form.Fields().sale_name = "Bear Creek II";
        EXPECT_FALSE(form.OnOk());
        return form.OnOk();
    });
    TickRecon(u, {"R1"});
    PickDefault(u, 0);
    app::DesignFormInputs in;
    in.cost_values = Costs();
    in.path = source;
    ASSERT_TRUE(app::Hooks().field_file);
    EXPECT_EQ(app::Hooks().field_file(u, store, in), 0);
    EXPECT_EQ(seen.sale_no, "12345");
    EXPECT_EQ(seen.cruise_no, "1");
    EXPECT_EQ(seen.sale_name, "Bear Creek");
    EXPECT_EQ(seen.region + seen.forest + seen.district + seen.cal_year, "0612032011");
    EXPECT_EQ(u.FileDialogs().at(0).initial_name, "12345.crz");
    EXPECT_TRUE(HasText(u, "is the cruise file open in this program"));
    EXPECT_EQ(u.Last()->text, "The Cruise Object:\n\n" + target + "\n\nHas Been Created");
    store.Close();

    auto out = mk::Storage::Open(target, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(Rows(*out, "CruiseTable", {"SaleName", "Purpose"}), std::vector<std::string>{"Bear Creek II|ROW"});
    EXPECT_EQ(Column(*out, "StratumTable", "Description")[2], "Ridge, typed on the form");
    EXPECT_EQ(out->GetView("PlotTable").RowCount(), 2);
    // The open file itself was only read.
    auto src = mk::Storage::Open(source, mk::OpenMode::ReadOnly);
    EXPECT_EQ(Column(*src, "SVDesignTable", "Description")[2], "Ridge plots");
}

TEST(FieldFileRefusals, AFailedWriteLeavesTheOldTargetAndNoTemporaryFile) {
    TempDir dir;
    std::string source = Source(dir);
    std::string target = dir.Path("12345.crz");
    std::ofstream(target) << "an older field file";
    // The commit's first and second write (data, then header) fail.
    for (int n : {0, 1}) {
        ui::ScriptedUi u;
        TickRecon(u, {"R1", "R2"});
        PickDefault(u, 0);
        auto src = mk::Storage::Open(source, mk::OpenMode::ReadOnly);
        ASSERT_TRUE(src);
        BusyWatchUi watch(u);
        mk::detail::FailWritesAfter(n);
        FieldFileStatus status = output::MakeFieldFile(watch, *src, source, Costs(), Dialog(target));
        mk::detail::StopFailingWrites();
        EXPECT_EQ(status, FieldFileStatus::Failed) << n;
        ASSERT_NE(u.Last(), nullptr);
        EXPECT_EQ(u.Last()->title, "File Error");
        EXPECT_FALSE(HasText(u, "Has Been Created"));
        EXPECT_TRUE(ReadBytes(target) == "an older field file");
        EXPECT_FALSE(watch.asked_while_busy);
        auto files = dir.Files();
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{"12345.crz", "sale.crz"})) << n;
    }
}

TEST(FieldFileRefusals, TheNewFileGetsTheUsualPermissions) {
    TempDir dir;
    std::string source = Source(dir);
    std::string target = dir.Path("12345.crz");
    ui::ScriptedUi u;
    PickDefault(u, 0);
    ASSERT_EQ(Make(u, source, target), FieldFileStatus::Created);
    mode_t mask = ::umask(0);
    ::umask(mask);
    auto perms = std::filesystem::status(target).permissions();
    EXPECT_EQ(static_cast<unsigned>(perms) & 0777u, 0666u & ~static_cast<unsigned>(mask));
}

TEST(FieldFileRecon, SelectionListsAndNotesComeBeforeTheWaitCursor) {
    TempDir dir;
    std::string source = Source(dir);
    ui::ScriptedUi u;
    TickRecon(u, {"R1", "R2", "R3"});
    PickDefault(u, 0);
    BusyWatchUi watch(u);
    ASSERT_EQ(Make(watch, source, dir.Path("out.crz")), FieldFileStatus::Created);
    EXPECT_FALSE(watch.asked_while_busy);
    EXPECT_EQ(watch.depth, 0);
    EXPECT_EQ(u.PendingForms(output::ReconStrataForm::kId), 0u);
    EXPECT_EQ(u.PendingForms(output::AutoFillChoiceForm::kId), 0u);
    EXPECT_GT(watch.last_done, 0);
    EXPECT_LE(watch.last_done, watch.total_steps);
}
