// The production side of `compile`, called through its registered runner.
#include <gtest/gtest.h>

#include <sstream>

#include "app/main_dialog.h"
#include "compile_dispatch.h"
#include "mk/mk.h"
#include "testdata/production_cruise.h"
#include "store/schema.h"
#include "support/scratch.h"
#include "ui/scripted_ui.h"

namespace {

class ProductionCommand : public ::testing::Test {
protected:
    void Make(int64_t trees) {
        auto s = mk::Storage::Create(path_);
        ASSERT_TRUE(s.ok());
        testdata::ProductionCruiseShape shape;
        shape.strata = 12;
        shape.trees = trees;
        shape.uom = "01";
        ASSERT_TRUE(testdata::WriteProductionCruise(*s, shape));
        // Strata and settings, but no tree.
        if (trees == 0) s->GetView(schema::kTreeTable).RemoveAll();
        ASSERT_TRUE(s->Commit().ok());
    }
    int Run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        EXPECT_TRUE(cli::ProductionCompiler()) << "the production runner registers itself";
        return cli::ProductionCompiler()(path_, args, out_, err_);
    }
    testsupport::TempDir dir_{"strovan_prod"};
    const std::string path_ = dir_.Path("prod.crz");
    std::ostringstream out_, err_;
};

TEST_F(ProductionCommand, JsonHasStrataGroupsAndTalliesAndTheFileKeepsThem) {
    Make(2400);
    ASSERT_EQ(Run({"--json"}), 0) << err_.str();
    const std::string json = out_.str();
    for (const char* key : {"\"committed\": true", "\"strata\"", "\"groups\"", "\"tallies\"", "\"SumKPI\"",
                            "\"SgCV2\"", "\"Trees/Acre\"", "\"saleError\"", "\"CruzMeth\": \"3PPNT\"",
                            "\"CruzMeth\": \"PCMTRE\"", "\"messages\": []"})
        EXPECT_NE(json.find(key), std::string::npos) << key;
    EXPECT_TRUE(err_.str().empty());

    auto s = mk::Storage::Open(path_, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->GetView(schema::kSVDesignTable).RowCount(), 12);
    EXPECT_EQ(s->GetView(schema::kSVDesignSgTable).RowCount(), 11 * 3 + 1);
}

TEST_F(ProductionCommand, TextOutputAndUsage) {
    Make(600);
    ASSERT_EQ(Run({}), 0) << err_.str();
    EXPECT_NE(out_.str().find("Stratum 1 (100)"), std::string::npos) << out_.str();
    EXPECT_NE(out_.str().find("Sale error"), std::string::npos);
    EXPECT_EQ(Run({"--bogus"}), 2);
    EXPECT_EQ(Run({"--yes", "--no"}), 2);
}

TEST_F(ProductionCommand, NoTreesFailsWithTheMessageAndWritesNothing) {
    Make(0);
    EXPECT_EQ(Run({"--json"}), 1);
    EXPECT_NE(out_.str().find("No Trees Found in the Tree Table!"), std::string::npos) << out_.str();
    EXPECT_NE(out_.str().find("\"committed\": false"), std::string::npos);
    auto s = mk::Storage::Open(path_, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s.ok());
    EXPECT_FALSE(s->HasView(schema::kSVDesignTable));

    EXPECT_EQ(Run({}), 1);
    EXPECT_NE(err_.str().find("No Trees Found in the Tree Table!"), std::string::npos);
}

// Button 1004 of the main window on a production cruise runs the statistics through
// the build's hooks and commits them before the design form opens.
TEST_F(ProductionCommand, DesignProcessingOfTheMainWindowRunsTheStatistics) {
    Make(1200);
    ui::ScriptedUi ui;
    app::CMainDialog dlg(ui);
    dlg.SetFilePath(path_);
    dlg.OnDesignProcessing();
    for (const auto& m : ui.Messages()) EXPECT_NE(m.title, "Error") << m.text;
    auto s = mk::Storage::Open(path_, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->GetView(schema::kSVDesignTable).RowCount(), 12);
    EXPECT_EQ(s->GetView(schema::kSVDesignSgTable).RowCount(), 11 * 3 + 1);
}

}  // namespace
