#include "grid/grid_export.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "ui/scripted_ui.h"

namespace {
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("grid_export_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        grid_.Unbind(2, 2);
        grid_.SetHeading(0, "Species");
        grid_.SetHeading(1, "DBH");
        grid_.SetText(0, 0, "DF");
        grid_.SetText(1, 0, "12.5");
        grid_.SetText(0, 1, "WH, old");
        grid_.SetText(1, 1, "8");
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    grid::GridModel grid_;
};
}  // namespace

TEST_F(Export, CsvReplacesTheFileWholeOrLeavesItAlone) {
    fs::path p = dir_ / "t.csv";
    std::string err;
    ASSERT_TRUE(grid::SaveCsv(grid_, p.string(), err)) << err;
    EXPECT_EQ(ReadAll(p), "Species,DBH\r\nDF,12.5\r\n\"WH, old\",8\r\n");
    EXPECT_FALSE(fs::exists(dir_ / "t.csv.part"));
    EXPECT_FALSE(grid::SaveCsv(grid_, (dir_ / "no" / "t.csv").string(), err));
    EXPECT_NE(err.find("Cannot create"), std::string::npos);
}

TEST_F(Export, PdfOfTheWholeGridAndNothingToPrint) {
    ui::ScriptedUi ui;
    fs::path p = dir_ / "t.pdf";
    EXPECT_EQ(grid::SavePdf(grid_, p.string(), ui, {.landscape = true}), grid::PrintResult::Printed);
    std::string pdf = ReadAll(p);
    EXPECT_EQ(pdf.rfind("%PDF-1.4", 0), 0u);
    EXPECT_NE(pdf.find("/MediaBox [0 0 792 612]"), std::string::npos);
    EXPECT_NE(pdf.find("/Count 1 "), std::string::npos);

    grid::GridModel empty;
    empty.Unbind(3, 0);
    EXPECT_EQ(grid::SavePdf(empty, (dir_ / "e.pdf").string(), ui), grid::PrintResult::Refused);
    EXPECT_FALSE(fs::exists(dir_ / "e.pdf"));
    ASSERT_EQ(ui.Messages().size(), 1u);
}
