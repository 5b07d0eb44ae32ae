// Every command that takes a cruise file either completes or leaves every byte of it
// as it was, and a run that changes nothing writes nothing. The catalogue runs each
// command through the ways it can be refused: bad values, unknown codes, the wrong
// kind of file, a question answered No, a file in use, a failing disk.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "mk/file_io.h"
#include "mk/mk.h"
#include "store/config.h"
#include "store/file_lock.h"
#include "support/cli_fixture.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;

// The example sale designed from start to finish, with one saved design; made once.
class StepIntegrity : public testsupport::CliTest {
protected:
    StepIntegrity() : CliTest("strovan_steps") {}

    static void SetUpTestSuite() {
        base_ = new testsupport::TempDir("strovan_steps_base");
        std::ostringstream out, err;
        const std::string dir = base_->Path("run");
        ASSERT_EQ(cli::RunCli({"run", "--example", "--out", dir, "--json"}, out, err), cli::kExitOk) << err.str();
        ASSERT_EQ(cli::RunCli({"design", dir + "/sale.crz", "--save-design", "KeepMe", "--json"}, out, err),
                  cli::kExitOk)
            << out.str();
    }
    static void TearDownTestSuite() {
        delete base_;
        base_ = nullptr;
    }
    void TearDown() override { mk::detail::StopFailingWrites(); }

    // A fresh copy of a file of the designed sale ("sale.crz", "sale_field.crz").
    std::string Copy(const std::string& name, const std::string& as) {
        const std::string to = scratch_.Path(as);
        fs::copy_file(base_->Path("run/" + name), to, fs::copy_options::overwrite_existing);
        return to;
    }
    std::string Sale() { return Copy("sale.crz", "sale.crz"); }

    // Runs args with "F" replaced by `file`; true when it failed and left the file whole.
    ::testing::AssertionResult RefusedUnchanged(const std::string& file, std::vector<std::string> args) {
        for (auto& a : args)
            if (a == "F") a = file;
        const std::string before = ReadBytes(file);
        const int rc = Run(args);
        std::string line;
        for (const auto& a : args) line += a + " ";
        if (rc == cli::kExitOk) return ::testing::AssertionFailure() << line << "succeeded\n" << out_.str();
        if (ReadBytes(file) != before)
            return ::testing::AssertionFailure() << line << "changed the file\n" << err_.str() << out_.str();
        return ::testing::AssertionSuccess();
    }

    std::string Setting(const std::string& file, const char* key) {
        auto s = mk::Storage::Open(file, mk::OpenMode::ReadOnly);
        return s ? store::GetSetting(*s, "Strovan", key).value_or("") : "";
    }
    std::vector<std::string> Rows(const std::string& file, const char* table, std::vector<const char*> cols) {
        std::vector<std::string> rows;
        auto s = mk::Storage::Open(file, mk::OpenMode::ReadOnly);
        if (!s) return rows;
        mk::View v = s->GetView(table);
        for (int r = 0; r < v.RowCount(); ++r) {
            std::string line;
            for (const char* c : cols) line += (line.empty() ? "" : "|") + v.GetString(r, c);
            rows.push_back(line);
        }
        return rows;
    }

    static testsupport::TempDir* base_;
};

testsupport::TempDir* StepIntegrity::base_ = nullptr;

TEST_F(StepIntegrity, BadValuesAndUnknownCodesChangeNothing) {
    const std::string f = Sale();
    const std::vector<std::vector<std::string>> refused = {
        // bad values
        {"costs", "F", "--set", "Trav=ten"},
        {"costs", "F", "--set", "CrewPlot=61", "--set", "Paint=1e400"},
        {"setup", "F", "--add-unit", "14:-5"},
        {"setup", "F", "--add-unit", "1:5"},
        {"setup", "F", "--set", "SVStrataTable:Units=9", "--where", "Stratum=1"},
        {"strata", "F", "--define", "9", "--units", "1", "--items", "XX/YY/ZZ"},
        {"design", "F", "--set", "1/A/SgN=80", "--set", "1/A/Bogus=5"},
        {"design", "F", "--optimize", "abc"},
        {"design", "F", "--set", "1/A/SgN=80", "--plot-size", "1=-5"},
        // unknown codes, and codes that exist already
        {"strata", "F", "--define", "1", "--units", "1"},
        {"strata", "F", "--define", "9", "--units", "99"},
        {"strata", "F", "--delete", "77"},
        {"sample-groups", "F", "--delete", "77"},
        {"sample-groups", "F", "--quick", "tree=species", "--scope", "stratum:77"},
        {"setup", "F", "--set", "SVSummaryTable:Stratum=3", "--where", "CutUnit=77"},
        {"design", "F", "--method", "1=XYZ"},
        {"design", "F", "--set", "1/A/SgN=80", "--save-design", "Other", "--method", "1=XYZ"},
        {"design", "F", "--remove-design", "KeepMe", "--yes", "--method", "1=XYZ"},
        {"design", "F", "--set", "9/A/SgN=5"},
        {"design", "F", "--load-design", "Nope"},
        {"field-file", "F", scratch_.Path("out.crz"), "--recon-strata", "77", "--yes"},
        // the populations form's OK refuses sample groups that mix products
        {"sample-groups", "F", "--delete", "all"},
        {"setup", "F", "--set", "SVSummaryTable:SgTree=", "--where", "Stratum=1"},
        {"import", "F", (fs::path(STROVAN_SOURCE_DIR) / "examples/sale.svz").string()},
    };
    for (const auto& args : refused) EXPECT_TRUE(RefusedUnchanged(f, args));
    EXPECT_FALSE(fs::exists(scratch_.Path("out.crz")));
    // The saved design is still there, and no other was kept.
    ASSERT_EQ(Run({"design", f, "--list-designs", "--exit", "--json"}), cli::kExitOk);
    EXPECT_NE(out_.str().find("\"KeepMe\""), std::string::npos);
    EXPECT_EQ(out_.str().find("\"Other\""), std::string::npos);
}

TEST_F(StepIntegrity, WrongKindsOfFileChangeNothing) {
    // A field cruise file is a production cruise: no setup, no optimisation.
    const std::string field = Copy("sale_field.crz", "field.crz");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"setup", "F", "--set", "SVStrataTable:Description=x", "--where", "Stratum=1"},
             {"strata", "F", "--quick", "unit"},
             {"sample-groups", "F", "--quick", "tree=species"},
             {"design", "F", "--optimize", "10"},
             {"design", "F", "--save-design", "X"}})
        EXPECT_TRUE(RefusedUnchanged(field, args));
    // Text that is no cruise file, and a setup file.
    const std::string text = scratch_.Path("notes.crz");
    testsupport::WriteText(text, "not a cruise file\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"info", "F"}, {"costs", "F", "--set", "CrewPlot=5"}, {"update", "F"}, {"setup", "F", "--show"},
             {"strata", "F", "--quick", "unit"}, {"sample-groups", "F", "--sort", "Stratum"}, {"compile", "F"},
             {"design", "F"}, {"report", "F", "--kind", "summary"}, {"table", "F", "SVDesignTable"},
             {"field-file", "F", scratch_.Path("o.crz"), "--yes"}, {"dump", "F"}, {"copy", "F", scratch_.Path("c")},
             {"import", "F", (fs::path(STROVAN_SOURCE_DIR) / "examples/sale.svz").string()}})
        EXPECT_TRUE(RefusedUnchanged(text, args));
    const std::string stp = (fs::path(STROVAN_SOURCE_DIR) / "data/setup/default.stp").string();
    const std::string setup_file = scratch_.Path("default.stp");
    fs::copy_file(stp, setup_file);
    EXPECT_TRUE(RefusedUnchanged(setup_file, {"compile", "F"}));
    EXPECT_TRUE(RefusedUnchanged(setup_file, {"design", "F", "--optimize", "10"}));
}

TEST_F(StepIntegrity, QuestionsAnsweredNoOrLeftUnattendedChangeNothing) {
    const std::string f = Sale();
    for (const char* answer : {"--no", ""}) {
        SCOPED_TRACE(answer);
        auto with = [&](std::vector<std::string> args) {
            if (*answer) args.push_back(answer);
            return args;
        };
        EXPECT_TRUE(RefusedUnchanged(f, with({"setup", "F", "--remake"})));
        EXPECT_TRUE(RefusedUnchanged(f, with({"design", "F", "--save-design", "keepme"})));  // replace?
        EXPECT_TRUE(RefusedUnchanged(f, with({"design", "F", "--remove-design", "KeepMe"})));
    }
    // A setup changed since the compilation: the field file asks before it is made.
    ASSERT_EQ(Run({"setup", f, "--set", "SVStrataTable:Description=Ridge", "--where", "Stratum=1"}), cli::kExitOk);
    EXPECT_EQ(Setting(f, "UpdateFlag"), "Y");
    const std::string out = scratch_.Path("field.crz");
    EXPECT_TRUE(RefusedUnchanged(f, {"field-file", "F", out, "--json"}));
    EXPECT_NE(out_.str().find("changed after the design was compiled"), std::string::npos) << out_.str();
    EXPECT_TRUE(RefusedUnchanged(f, {"field-file", "F", out, "--no"}));
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(Run({"field-file", f, out, "--yes"}), cli::kExitOk) << err_.str();
    EXPECT_TRUE(fs::exists(out));

    // A file that does not say what its trees are: compile will not guess unattended.
    ASSERT_EQ(Run({"new", "--setup", (fs::path(STROVAN_SOURCE_DIR) / "data/setup/default.stp").string(), "--sale",
                   "1", scratch_.Path("new.crz")}),
              cli::kExitOk);
    const std::string fresh = scratch_.Path("new.crz");
    ASSERT_EQ(Run({"import", fresh, (fs::path(STROVAN_SOURCE_DIR) / "examples/sale.svz").string()}), cli::kExitOk);
    {
        auto s = mk::Storage::Open(fresh);
        mk::View config = s->GetView("GlobalConfigurationTable");
        for (int r = config.RowCount() - 1; r >= 0; --r)
            if (config.GetString(r, "Key") == "Type") config.RemoveRows(r);
        ASSERT_TRUE(s->Commit().ok());
    }
    EXPECT_TRUE(RefusedUnchanged(fresh, {"compile", "F"}));
    EXPECT_NE(err_.str().find("--yes"), std::string::npos);
}

TEST_F(StepIntegrity, AFileInUseOrAFailingDiskChangesNothing) {
    const std::string f = Sale();
    const std::vector<std::vector<std::string>> changing = {
        {"costs", "F", "--set", "CrewPlot=61"},
        {"setup", "F", "--set", "SVStrataTable:Description=Ridge", "--where", "Stratum=1"},
        {"strata", "F", "--delete", "3"},
        {"sample-groups", "F", "--sort", "Species"},
        {"compile", "F", "--yes"},
        {"design", "F", "--set", "1/A/SgN=80"},
        {"design", "F", "--save-design", "Another"},
    };
    {
        store::FileLock lock;
        ASSERT_EQ(lock.Acquire(f), store::FileAccess::Ok);
        for (const auto& args : changing) EXPECT_TRUE(RefusedUnchanged(f, args));
        EXPECT_TRUE(RefusedUnchanged(f, {"update", "F"}));
    }
    for (const auto& args : changing) {
        mk::detail::FailWritesAfter(0);
        EXPECT_TRUE(RefusedUnchanged(f, args));
        mk::detail::StopFailingWrites();
    }
    // Each of them does change the file when nothing stands in the way.
    for (const auto& args : changing) {
        const std::string before = ReadBytes(f);
        std::vector<std::string> a = args;
        a[1] = f;
        EXPECT_EQ(Run(a), cli::kExitOk) << a[0] << err_.str();
        EXPECT_NE(ReadBytes(f), before) << a[0];
    }
}

TEST_F(StepIntegrity, RunsThatChangeNothingWriteNothing) {
    const std::string f = Sale();
    const std::string before = ReadBytes(f);
    struct stat st0 {};
    ASSERT_EQ(::stat(f.c_str(), &st0), 0);
    const std::vector<std::vector<std::string>> unchanged = {
        {"info", "F"},
        {"costs", "F"},
        {"costs", "F", "--set", "CrewPlot=90"},
        {"update", "F"},
        {"setup", "F", "--show"},
        {"setup", "F"},
        {"setup", "F", "--cancel"},
        {"strata", "F", "--quick"},
        {"sample-groups", "F", "--quick", "tree=species,product", "plot=species,product"},
        {"design", "F"},
        {"design", "F", "--exit"},
        {"design", "F", "--list-designs", "--tradeoff"},
        {"design", "F", "--set", "1/A/SgN=80", "--set", "1/A/SgN=66"},
        {"report", "F", "--kind", "summary"},
        {"table", "F", "SVDesignTable"},
        {"dump", "F"},
        {"copy", "F", scratch_.Path("copy.crz")},
        {"field-file", "F", scratch_.Path("field.crz"), "--yes"},
    };
    for (const auto& args : unchanged) {
        std::vector<std::string> a = args;
        a[1] = f;
        mk::detail::FailWritesAfter(0);  // a write would show as a failed run
        const bool writes = a[0] == "copy" || a[0] == "field-file";
        if (writes) mk::detail::StopFailingWrites();
        EXPECT_EQ(Run(a), cli::kExitOk) << a[0] << " " << a[2 < a.size() ? 2 : 1] << "\n" << err_.str() << out_.str();
        mk::detail::StopFailingWrites();
        EXPECT_EQ(ReadBytes(f), before) << a[0];
    }
    struct stat st1 {};
    ASSERT_EQ(::stat(f.c_str(), &st1), 0);
    EXPECT_EQ(st1.st_mtim.tv_sec, st0.st_mtim.tv_sec);
    EXPECT_EQ(st1.st_mtim.tv_nsec, st0.st_mtim.tv_nsec);

    // A cruise file just made: showing its empty design makes no tables.
    const std::string fresh = scratch_.Path("new.crz");
    ASSERT_EQ(Run({"new", "--setup", (fs::path(STROVAN_SOURCE_DIR) / "data/setup/default.stp").string(), "--sale",
                   "1", fresh}),
              cli::kExitOk);
    const std::string made = ReadBytes(fresh);
    EXPECT_EQ(Run({"design", fresh}), cli::kExitOk) << err_.str();
    EXPECT_EQ(ReadBytes(fresh), made);
    EXPECT_TRUE(RefusedUnchanged(fresh, {"design", "F", "--optimize", "10"}));
}

}  // namespace

// ---- the setup never goes stale -----------------------------------------------------------

namespace {

std::string Trimmed(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    return s;
}

TEST_F(StepIntegrity, AStratumDefinedAgainOrLosingAUnitIsCompiledAgain) {
    const std::string f = Sale();
    const std::vector<const char*> cols = {"Stratum", "Units", "TotAcres", "Modified"};
    // Deleted and defined again with other units: marked, and the compilation follows.
    ASSERT_EQ(Run({"strata", f, "--delete", "3"}), cli::kExitOk) << err_.str();
    ASSERT_EQ(Run({"strata", f, "--define", "3", "--units", "11", "--sample-groups", "tree=species,product",
                   "plot=species,product"}),
              cli::kExitOk)
        << err_.str();
    auto strata = Rows(f, "SVStrataTable", cols);
    ASSERT_EQ(strata.size(), 3u);
    EXPECT_EQ(Trimmed(strata[2]), "3|11|           18.0|Y");
    ASSERT_EQ(Run({"compile", f, "--json"}), cli::kExitOk) << out_.str();
    EXPECT_NE(out_.str().find("\"compiledStrata\": [\n    \"3\"\n  ]"), std::string::npos) << out_.str();
    EXPECT_EQ(Rows(f, "SVDesignTable", {"Stratum", "Units"})[2], "3|11");
    EXPECT_EQ(Rows(f, "SVStrataTable", {"Modified"}), (std::vector<std::string>{"N", "N", "N"}));

    // A unit whose summary rows all move to another unit leaves its stratum.
    ASSERT_EQ(Run({"setup", f, "--set", "SVSummaryTable:CutUnit=1", "--where", "CutUnit=2", "--accept"}),
              cli::kExitOk)
        << err_.str();
    strata = Rows(f, "SVStrataTable", cols);
    EXPECT_EQ(strata[0].substr(0, strata[0].find('|', 2)), "1|1,3,4,5,6");
    EXPECT_EQ(strata[0].back(), 'Y');
    EXPECT_EQ(Setting(f, "UpdateFlag"), "Y");
}

TEST_F(StepIntegrity, DiameterRangesGivenAgainReplaceTheSplit) {
    const std::string f = Sale();
    const size_t rows = Rows(f, "SVSummaryTable", {"CutUnit"}).size();
    ASSERT_EQ(Run({"strata", f, "--diameter-ranges", "0-11.9,12-99"}), cli::kExitOk) << err_.str();
    EXPECT_EQ(Rows(f, "SVSummaryTable", {"CutUnit"}).size(), 2 * rows);
    ASSERT_EQ(Run({"strata", f, "--diameter-ranges", "0-15.9,16-99"}), cli::kExitOk) << err_.str();
    // One row per range for every unit, species, product and live/dead: no tree twice.
    auto pieces = Rows(f, "SVSummaryTable", {"DiaFlag", "DMin", "DMax"});
    ASSERT_EQ(pieces.size(), 2 * rows);
    EXPECT_EQ(std::count(pieces.begin(), pieces.end(), "Str1|0.0|15.9"), static_cast<long>(rows));
    EXPECT_EQ(std::count(pieces.begin(), pieces.end(), "Str|16.0|99.0"), static_cast<long>(rows));
}

TEST_F(StepIntegrity, DesignEditsSurviveTheNextCompileUnlessLeftWithExit) {
    const std::string f = Sale();
    auto cv = [&] {
        auto s = mk::Storage::Open(f, mk::OpenMode::ReadOnly);
        mk::View g = s->GetView("SVDesignSgTable");
        for (int r = 0; r < g.RowCount(); ++r)
            if (g.GetString(r, "Stratum") == "1" && g.GetString(r, "SgCode") == "A") return g.GetDouble(r, "SgCV");
        return -1.0;
    };
    const double compiled = cv();
    ASSERT_EQ(Run({"design", f, "--set", "1/A/SgCV=50"}), cli::kExitOk) << err_.str();
    ASSERT_EQ(Run({"compile", f}), cli::kExitOk) << err_.str();
    EXPECT_EQ(cv(), 50);
    ASSERT_EQ(Run({"design", f, "--set", "1/A/SgCV=60", "--exit"}), cli::kExitOk) << err_.str();
    EXPECT_EQ(cv(), 60);
    EXPECT_NE(out_.str().find("until the next compile"), std::string::npos) << out_.str();
    ASSERT_EQ(Run({"compile", f}), cli::kExitOk) << err_.str();
    EXPECT_EQ(cv(), 50);
    EXPECT_NE(compiled, 50);
}

// ---- outputs ------------------------------------------------------------------------------

TEST_F(StepIntegrity, OutputsGoThroughLinksAndNeverOverFoldersOrDevices) {
    const std::string f = Sale();
    const std::string dir = scratch_.Dir();
    const std::vector<std::pair<std::string, std::vector<std::string>>> outputs = {
        {"txt", {"report", f, "--kind", "summary", "--text", "OUT"}},
        {"pdf", {"report", f, "--kind", "summary", "--pdf", "OUT"}},
        {"csv", {"table", f, "SVDesignTable", "--csv", "OUT"}},
        {"tpdf", {"table", f, "SVDesignTable", "--pdf", "OUT"}},
        {"crz", {"copy", f, "OUT"}},
        {"fcrz", {"field-file", f, "OUT", "--yes"}},
    };
    auto with = [](std::vector<std::string> args, const std::string& out) {
        for (auto& a : args)
            if (a == "OUT") a = out;
        return args;
    };
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0600), 0);
    fs::create_directory(dir + "/folder");
    for (const auto& [ext, args] : outputs) {
        SCOPED_TRACE(ext);
        const std::string target = dir + "/target." + ext, link = dir + "/link." + ext;
        testsupport::WriteText(target, "old");
        fs::create_symlink("target." + ext, link);
        ASSERT_EQ(Run(with(args, link)), cli::kExitOk) << err_.str() << out_.str();
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_NE(ReadBytes(target), "old");
        EXPECT_FALSE(fs::exists(link + ".part"));
        for (const std::string& bad : {dir + "/fifo", dir + "/folder"}) {
            EXPECT_NE(Run(with(args, bad)), cli::kExitOk);
            EXPECT_NE(err_.str() + out_.str(), "");
        }
        EXPECT_EQ(fs::status(dir + "/fifo").type(), fs::file_type::fifo);
        EXPECT_TRUE(fs::is_directory(dir + "/folder"));
        EXPECT_TRUE(fs::is_empty(dir + "/folder"));
    }
}

}  // namespace
