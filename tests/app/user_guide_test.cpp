// The user guide: its pages cut into sections, links and anchors as repository viewers
// make them, search, and the bundled files found beside the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "app/bundled_files.h"
#include "app/user_guide.h"
#include "support/scratch.h"
#include "ui/forms.h"

namespace fs = std::filesystem;

namespace {

TEST(UserGuide, CutsPagesAtHeadingsOutsideCode) {
    app::UserGuide g;
    g.LoadPages({{"index.md", "Intro line\n# Strovan user guide\n[Forms](forms.md)\n"},
                 {"forms.md", "# Forms\ntext\n## Relative `cruising` costs\n```\n# not a heading\n```\n"
                              "## Costs\n### Costs\nmore\n## Costs\n"}});
    const auto& s = g.Sections();
    ASSERT_EQ(s.size(), 7u);
    EXPECT_EQ(s[0].title, "index.md");  // the text before a page's first heading
    EXPECT_EQ(s[1].title, "Strovan user guide");
    EXPECT_EQ(s[1].anchor, "strovan-user-guide");
    EXPECT_EQ(s[3].title, "Relative cruising costs");
    EXPECT_EQ(s[3].anchor, "relative-cruising-costs");
    EXPECT_EQ(s[3].level, 2);
    EXPECT_NE(s[3].text.find("# not a heading"), std::string::npos);
    // A repeated heading is numbered, whatever its level, as the viewers do.
    EXPECT_EQ(s[4].anchor, "costs");
    EXPECT_EQ(s[5].anchor, "costs-1");
    EXPECT_EQ(s[6].anchor, "costs-2");
    EXPECT_EQ(s[5].text, "### Costs\nmore\n");

    EXPECT_EQ(g.Find("forms.md#costs-1"), 5);
    EXPECT_EQ(g.Find("forms.md"), 2);
    EXPECT_EQ(g.Find("#relative-cruising-costs", "forms.md"), 3);
    EXPECT_EQ(g.Find("./forms.md#costs"), 4);
    EXPECT_EQ(g.Find("forms.md#nothing"), -1);
    EXPECT_EQ(g.Find("other.md"), -1);
}

TEST(UserGuide, AnchorsAsRepositoryViewersMakeThem) {
    EXPECT_EQ(app::HeadingAnchor("Make Kelvane: the field cruise file"), "make-kelvane-the-field-cruise-file");
    EXPECT_EQ(app::HeadingAnchor("CV, sampling error & Student's t"), "cv-sampling-error--students-t");
    EXPECT_EQ(app::HeadingAnchor("The 100 % cruise (100)"), "the-100--cruise-100");
    EXPECT_EQ(app::HeadingAnchor("S3P: sample-tree, then 3P"), "s3p-sample-tree-then-3p");
}

TEST(UserGuide, SearchWantsEveryWordAndPutsTitlesFirst) {
    app::UserGuide g;
    g.LoadPages({{"a.md", "# Plots\nThe BAF of a point.\n# Points\nVariable-radius plots, by BAF.\n# Trees\nnone\n"}});
    EXPECT_EQ(g.Search("baf"), (std::vector<int>{0, 1}));
    EXPECT_EQ(g.Search("POINT baf"), (std::vector<int>{1, 0}));  // case ignored; the title hit first
    EXPECT_EQ(g.Search("baf trees"), std::vector<int>{});
    EXPECT_EQ(g.Search("   "), std::vector<int>{});
}

// The guide in the repository: every page the index names exists, every link between
// pages lands on a heading, every picture is there, and every help context of the
// program opens a section.
TEST(UserGuide, TheBundledGuideHoldsTogether) {
    const fs::path folder = fs::path(STROVAN_SOURCE_DIR) / "docs" / "guide";
    app::UserGuide g;
    ASSERT_TRUE(g.Load(folder));
    std::set<std::string> pages;
    for (const auto& s : g.Sections()) pages.insert(s.page);
    EXPECT_GE(pages.size(), 8u);
    static const std::regex link(R"(\]\(([^)\s]+)\))");
    for (const std::string& page : pages) {
        const std::string& text = g.PageText(page);
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
            const std::string target = (*it)[1];
            if (target.rfind("http", 0) == 0) continue;
            if (target.find(".png") != std::string::npos) {
                EXPECT_TRUE(fs::exists(folder / target)) << page << ": " << target;
            } else if (target.find(".md") != std::string::npos || target[0] == '#') {
                EXPECT_GE(g.Find(target, page), 0) << page << ": " << target;
            }
        }
    }
    for (int context : {ui::kHelpMain, ui::kHelpStrataSetup, ui::kHelpPopulations, ui::kHelpNewCruise, ui::kHelpUnits,
                        ui::kHelpCosts, ui::kHelpDesign, ui::kHelpReports, ui::kHelpFieldFile,
                        ui::kHelpSavedDesigns})
        EXPECT_GE(g.Find(app::HelpTopic(context)), 0) << context << ": " << app::HelpTopic(context);
}

TEST(BundledFiles, FoundBesideTheProgramInstalledOrInTheBuildTree) {
    testsupport::TempDir tmp("strovan_bundled");
    const fs::path root = tmp.Dir();
    fs::create_directories(root / "usr/share/strovan/setup");
    fs::create_directories(root / "usr/bin");
    EXPECT_EQ(app::DataDirFor(root / "usr/bin/strovan-cli"), root / "usr/share/strovan");
    // The build tree: programs one (cli/) or two (tests/cli/) folders below share/.
    fs::create_directories(root / "build/share/strovan/setup");
    EXPECT_EQ(app::DataDirFor(root / "build/cli/strovan-cli"), root / "build/share/strovan");
    EXPECT_EQ(app::DataDirFor(root / "build/tests/cli/test_cli"), root / "build/share/strovan");
    // A share/strovan without its files is not taken, nor one too far up.
    fs::create_directories(root / "opt/share/strovan");
    EXPECT_EQ(app::DataDirFor(root / "opt/bin/strovan"), fs::path());
    fs::create_directories(root / "a/b/c/d/bin");
    EXPECT_EQ(app::DataDirFor(root / "a/b/c/d/bin/strovan"), fs::path());
    EXPECT_EQ(app::DataDirFor(fs::path()), fs::path());
}

// This test program runs in the build tree, whose share/strovan holds the bundled files.
TEST(BundledFiles, TheBuildTreeCarriesTheBundledFiles) {
    EXPECT_FALSE(app::DataDir().empty());
    EXPECT_FALSE(app::BundledFile("setup/default.stp").empty());
    EXPECT_FALSE(app::BundledFile("examples/sale.svz").empty());
    EXPECT_TRUE(app::BundledFile("setup/none.stp").empty());
}

}  // namespace
