#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include <gtest/gtest.h>

#include "app/step_hooks.h"
#include "commands.h"
#include "grid/pdf_canvas.h"
#include "mk/mk.h"
#include "report_test_util.h"
#include "reports/report_sample.h"
#include "reports/report_window.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "support/borrowed_canvas.h"
#include "support/recording_canvas.h"
#include "ui/scripted_ui.h"

using namespace reports_test;
namespace fs = std::filesystem;
using reports::ReportKind;
using reports::ReportWindowForm;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ReportFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("reports_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    // A small generated cruise file.
    std::string SampleFile(reports::SampleShape shape) {
        std::string path = (dir_ / "sale.crz").string();
        auto st = mk::Storage::Create(path);
        EXPECT_TRUE(st.ok());
        reports::WriteSampleDesign(*st, shape);
        EXPECT_TRUE(st->Commit().ok());
        return path;
    }
    fs::path dir_;
};

reports::SampleShape Small() {
    reports::SampleShape s;
    s.strata = 12;  // every method once
    s.groups = 4;
    s.units = 20;
    return s;
}

}  // namespace

TEST_F(ReportFiles, SaveWritesTheTextAndSaysSo) {
    ui::ScriptedUi ui;
    reports::ReportInputs in = Sale();
    in.strata.push_back(Stratum("1", "100"));
    ReportWindowForm w(ui, ReportKind::Summary, reports::BuildSummary(in));
    EXPECT_EQ(w.Title(), "Strovan Summary Report");
    std::string path = (dir_ / "summary.txt").string();
    ui.PushFileName(path);
    ASSERT_TRUE(w.Save());
    std::ostringstream expected;
    w.Report().WriteText(expected);
    EXPECT_EQ(ReadAll(path), expected.str());
    EXPECT_FALSE(fs::exists(path + ".part"));
    ASSERT_NE(ui.Last(), nullptr);
    EXPECT_EQ(ui.Last()->title, "Done");
    EXPECT_EQ(ui.Last()->text, "Report has been saved.");
    EXPECT_EQ(ui.Last()->icon, ui::Icon::Information);

    // The dialog offers text files; cancelling it writes nothing and says nothing.
    size_t before = ui.Messages().size();
    ui.PushFileName(std::nullopt);
    EXPECT_FALSE(w.Save());
    EXPECT_EQ(ui.Messages().size(), before + 1);  // the dialog only
    EXPECT_EQ(ui.Messages().back().kind, "save");
}

TEST_F(ReportFiles, FailedSaveIsReportedAndNeverCalledSaved) {
    ui::ScriptedUi ui;
    ReportWindowForm w(ui, ReportKind::ReconCurrent, reports::BuildRecon(Sale(), false));
    ui.PushFileName((dir_ / "no such folder" / "r.txt").string());
    EXPECT_FALSE(w.Save());
    for (const auto& m : ui.Messages()) EXPECT_NE(m.text, "Report has been saved.");
    ASSERT_NE(ui.Last(), nullptr);
    EXPECT_EQ(ui.Last()->title, "File Error");
    EXPECT_EQ(ui.Last()->icon, ui::Icon::Stop);

    // A target that cannot be replaced (a folder of that name) is left as it was.
    fs::create_directories(dir_ / "taken.txt" / "inside");
    ui.PushFileName((dir_ / "taken.txt").string());
    EXPECT_FALSE(w.Save());
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.txt" / "inside"));
    EXPECT_FALSE(fs::exists(dir_ / "taken.txt.part"));
    EXPECT_EQ(ui.Last()->title, "File Error");
}

TEST_F(ReportFiles, SetupFormsCannotBeSaved) {
    ui::ScriptedUi ui;
    ReportWindowForm w(ui, ReportKind::Mirtel, reports::BuildMirtel(Sale()));
    EXPECT_FALSE(w.Save());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Last()->title, "Information");
    EXPECT_EQ(ui.Last()->text, "This report cannot be saved to a file.");
}

TEST_F(ReportFiles, EveryReportExportsARenderablePdf) {
    std::string file = SampleFile(Small());
    auto st = mk::Storage::Open(file, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(st.ok());
    reports::ReportInputs in = reports::ReadReportInputs(*st);
    // STROVAN_REPORT_PDF_DIR keeps the files to look at.
    const char* keep = std::getenv("STROVAN_REPORT_PDF_DIR");
    for (ReportKind k : {ReportKind::Summary, ReportKind::Kelvane, ReportKind::Mirtel, ReportKind::ReconCurrent,
                         ReportKind::ReconAll}) {
        SCOPED_TRACE(reports::KindName(k));
        ui::ScriptedUi ui;
        auto rep = reports::BuildReport(k, in);
        fs::path pdf = (keep ? fs::path(keep) : dir_) / (std::string("report-") + reports::KindName(k) + ".pdf");
        ReportWindowForm w(ui, k, std::move(rep));
        ui.PushFileName(pdf.string());
        ASSERT_TRUE(w.ExportPdf());
        std::string bytes = ReadAll(pdf);
        EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
        EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
        EXPECT_EQ(ui.Last()->title, "Done");
    }
}

TEST_F(ReportFiles, PrintUsesTheWindowsMarginsAndStopsWhenTheDialogIsCancelled) {
    ui::ScriptedUi ui;
    ReportWindowForm w(ui, ReportKind::Kelvane, reports::BuildKelvane(Sale()));
    bool asked = false;
    auto result = w.Print([&]() -> std::unique_ptr<grid::Canvas> {
        asked = true;
        return nullptr;
    });
    EXPECT_TRUE(asked);
    EXPECT_EQ(result, grid::PrintResult::Cancelled);
    EXPECT_EQ(w.Report().Grid().PrintMargins().top, 15);
    EXPECT_EQ(w.Report().Grid().PrintMargins().left, 10);
    EXPECT_FALSE(w.Report().Grid().Printing());
    EXPECT_EQ(reports::PrintMargins(ReportKind::Summary).top, 20);
    EXPECT_EQ(reports::PrintMargins(ReportKind::Summary).right, 12);
}

TEST(MakeReport, ChooserThenTheChosenReportsWindow) {
    ui::ScriptedUi ui;
    reports::ReportInputs in = Sale();
    in.strata.push_back(Stratum("1", "STR"));
    in.methodGroups = {{"1", "STR", "A", 2, 20}};
    ui.PushFormAs<reports::ReportChooserForm>("reports.chooser", [](reports::ReportChooserForm& f) {
        EXPECT_EQ(f.Title(), "Select Report From List");
        EXPECT_EQ(reports::ReportChooserForm::Entries().size(), 5u);
        EXPECT_EQ(reports::ReportChooserForm::Entries()[3].id, 1133);
        EXPECT_EQ(std::string(reports::ReportChooserForm::Entries()[3].text), "Recon Sample Sizes for Current Design");
        f.choice = ReportKind::ReconCurrent;
        return true;
    });
    bool shown = false;
    ui.PushFormAs<ReportWindowForm>("reports.window", [&](ReportWindowForm& w) {
        shown = true;
        EXPECT_EQ(w.Title(), "Recon Data - Sample Size Report");
        EXPECT_EQ(w.Report().Raw(6, 6), "A");
        return true;
    });
    EXPECT_EQ(reports::RunReports(ui, in), 0);
    EXPECT_TRUE(shown);

    // Cancel in the chooser opens no window.
    ui::ScriptedUi cancel;
    EXPECT_EQ(reports::RunReports(cancel, in), 0);
    for (const auto& m : cancel.Messages()) EXPECT_NE(m.title, "reports.window");
}

TEST(MakeReport, MirtelWithSeveralSpeciesInAGroupTellsTheUser) {
    ui::ScriptedUi ui;
    reports::ReportInputs in = Sale();
    in.summary = {{"1", "A", "", "DF", "01", "L"}, {"1", "A", "", "WH", "01", "L"}};
    ui.PushFormAs<reports::ReportChooserForm>("reports.chooser", [](reports::ReportChooserForm& f) {
        f.choice = ReportKind::Mirtel;
        return true;
    });
    ui.PushFormAs<ReportWindowForm>("reports.window", [](ReportWindowForm&) { return true; });
    reports::RunReports(ui, in);
    bool told = false;
    for (const auto& m : ui.Messages())
        told |= m.text.rfind("Multiple species codes require unique EtAl Codes.", 0) == 0;
    EXPECT_TRUE(told);
}

TEST_F(ReportFiles, InputsReadFromTheFilesTables) {
    reports::SampleShape shape = Small();
    shape.uom = "03";
    std::string file = SampleFile(shape);
    auto st = mk::Storage::Open(file, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(st.ok());
    reports::ReportInputs in = reports::ReadReportInputs(*st);
    EXPECT_EQ(in.uom, "03");
    EXPECT_EQ(in.cruiseType, 0);
    EXPECT_TRUE(in.cruise.present);
    EXPECT_EQ(in.cruise.saleName, "Cedar Ridge");
    ASSERT_EQ(in.strata.size(), 12u);
    EXPECT_EQ(in.strata[3].cruzMeth, "S3P");
    EXPECT_EQ(in.groups.size(), 48u);
    EXPECT_EQ(in.methodGroups.size(), 12u * 11 * 4);
    EXPECT_EQ(in.units.size(), 20u);
    EXPECT_EQ(in.summary.size(), 96u);
    EXPECT_EQ(in.autoFill.size(), 6u);
    EXPECT_FLOAT_EQ(static_cast<float>(in.autoFill[0].topDibP), 5.5f);

    // A file with none of the tables reads as empty inputs; a production file says so.
    mk::Storage empty;
    store::SetSetting(empty, schema::kBlockStrovan, schema::kKeyType, schema::kTypeProduction);
    reports::ReportInputs none = reports::ReadReportInputs(empty);
    EXPECT_FALSE(none.cruise.present);
    EXPECT_TRUE(none.strata.empty());
    EXPECT_EQ(none.uom, "01");
    EXPECT_EQ(none.cruiseType, 1);
}

TEST_F(ReportFiles, CommandLineGivesEveryCellAsJsonAndWritesTextAndPdf) {
    std::string file = SampleFile(Small());
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"report", file, "--kind", "recon-current", "--json"}, out, err), 0) << err.str();
    std::string json = out.str();
    EXPECT_NE(json.find("\"title\": \"Recon Data - Sample Size Report\""), std::string::npos) << json.substr(0, 400);
    EXPECT_NE(json.find("\"text\": \"Recon Data Used in Current Design for Selected Cruise Methods.\""),
              std::string::npos);
    EXPECT_NE(json.find("\"columns\": 9"), std::string::npos);  // the title's span
    EXPECT_NE(json.find("\"text\": \"Stratum\""), std::string::npos);

    std::string text = (dir_ / "s.txt").string(), pdf = (dir_ / "s.pdf").string();
    std::ostringstream o2, e2;
    ASSERT_EQ(cli::RunCli({"report", file, "--kind", "summary", "--text", text, "--pdf", pdf}, o2, e2), 0) << e2.str();
    auto st = mk::Storage::Open(file, mk::OpenMode::ReadOnly);
    std::ostringstream expected;
    reports::BuildSummary(reports::ReadReportInputs(*st))->WriteText(expected);
    EXPECT_EQ(ReadAll(text), expected.str());
    EXPECT_EQ(ReadAll(pdf).rfind("%PDF-", 0), 0u);

    std::ostringstream o3, e3;
    EXPECT_EQ(cli::RunCli({"report", file, "--kind", "kelvane", "--text", text}, o3, e3), 1);
    EXPECT_NE(e3.str().find("This report cannot be saved to a file."), std::string::npos);
    std::ostringstream o4, e4;
    EXPECT_EQ(cli::RunCli({"report", file, "--kind", "nonsense"}, o4, e4), 2);
    std::ostringstream o5, e5;
    EXPECT_EQ(cli::RunCli({"report", (dir_ / "missing.crz").string(), "--kind", "summary", "--json"}, o5, e5), 1);
    EXPECT_NE(o5.str().find("\"ok\": false"), std::string::npos);
}

TEST_F(ReportFiles, MakeReportHookReadsTheOpenStoreAndTakesTheFormsSettings) {
    std::string file = SampleFile(Small());
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    ASSERT_EQ(store.Open(file), 0);
    const app::StepHooks& hooks = app::Hooks();
    ASSERT_TRUE(static_cast<bool>(hooks.reports));
    app::DesignFormInputs in;
    in.uom = "03";  // the form's unit wins over the file's
    in.cruise_type = 1;
    for (ReportKind k : {ReportKind::Summary, ReportKind::ReconAll}) {
        ui.PushFormAs<reports::ReportChooserForm>("reports.chooser", [k](reports::ReportChooserForm& f) {
            f.choice = k;
            return true;
        });
    }
    std::vector<std::string> seen;
    for (int i = 0; i < 2; ++i)
        ui.PushFormAs<ReportWindowForm>("reports.window", [&](ReportWindowForm& w) {
            seen.push_back(w.Kind() == ReportKind::Summary ? w.Report().Raw(6, 4) : w.Report().Raw(0, 3));
            return true;
        });
    EXPECT_EQ(hooks.reports(ui, store, in), 0);
    EXPECT_EQ(hooks.reports(ui, store, in), 0);
    EXPECT_EQ(seen,
              (std::vector<std::string>{
                  "Sum Net CCF ", "No recon data for a production cruise: the recon sample sizes do not apply."}));
    store.Close();
}

TEST_F(ReportFiles, PrintOnTheInstalledPrinterNumbersItsPages) {
    // A recording canvas stands in for the printer the front end installs.
    std::unique_ptr<testsupport::RecordingCanvas> canvas;
    int chosen = 0;
    grid::SetPrinterChooser([&]() -> std::unique_ptr<grid::Canvas> {
        ++chosen;
        canvas = std::make_unique<testsupport::RecordingCanvas>();
        return std::make_unique<testsupport::BorrowedCanvas>(*canvas);
    });
    ui::ScriptedUi ui;
    reports::ReportInputs in = Sale();
    in.strata.push_back(Stratum("1", "STR"));
    in.methodGroups = {{"1", "STR", "A", 2, 20}};
    ReportWindowForm w(ui, ReportKind::ReconCurrent, reports::BuildReport(ReportKind::ReconCurrent, in));
    EXPECT_EQ(w.Print(), grid::PrintResult::Printed);
    grid::SetPrinterChooser(nullptr);
    EXPECT_EQ(chosen, 1);
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->pages, 1);
    EXPECT_TRUE(canvas->Has(1, "Page: 1"));
    EXPECT_TRUE(canvas->Has(1, "# Recon"));
    EXPECT_EQ(canvas->doc_name, "Recon Sample Sizes for Current Design - Sale 4711 Cedar Ridge");
}
