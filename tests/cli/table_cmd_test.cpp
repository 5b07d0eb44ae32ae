// strovan-cli table: a table of any Metakit file as text, JSON, CSV or PDF.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"
#include "mk/mk.h"
#include "support/cli_fixture.h"

namespace {
namespace fs = std::filesystem;

class TableCommand : public testsupport::CliTest {
protected:
    void SetUp() override {
        file_ = dir_ + "/t.crz";
        auto s = mk::Storage::Create(file_);
        ASSERT_TRUE(s.ok());
        auto v = s->GetAs("TreeTable[CutUnit:S,Tree:I,DBH:F,NBDFTVolPP:D]");
        ASSERT_TRUE(v.ok());
        for (int i = 0; i < 3; ++i) {
            int r = v->AddRow();
            v->SetString(r, 0, i == 2 ? "2, east" : " 1 ");
            v->SetInt(r, 1, i + 1);
            v->SetFloat(r, 2, 10.5f + i);
            v->SetDouble(r, 3, 0.1 * (i + 1));
        }
        ASSERT_TRUE(s->Commit().ok());
    }
    static std::string ReadAll(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string file_;
};
}  // namespace

TEST_F(TableCommand, TextAndJsonShowTheTableThroughTheGrid) {
    ASSERT_EQ(Run({"table", file_, "treetable"}), cli::kExitOk) << err_.str();
    std::string text = out_.str();
    EXPECT_EQ(text.substr(0, text.find('\n')), "CutUnit  Tree  DBH   NBDFTVolPP");
    EXPECT_NE(text.find("1        1     10.5  0.1\n"), std::string::npos);  // cells trimmed

    ASSERT_EQ(Run({"table", file_, "TreeTable", "--json"}), cli::kExitOk) << err_.str();
    std::string json = out_.str();
    EXPECT_NE(json.find("\"row_count\": 3"), std::string::npos);
    EXPECT_NE(json.find("\"name\": \"NBDFTVolPP\""), std::string::npos);
    EXPECT_NE(json.find("0.30000000000000004"), std::string::npos);  // doubles exact
    EXPECT_NE(json.find("\" 1 \""), std::string::npos);                // text as stored
}

TEST_F(TableCommand, CsvAndPdfFilesAndFailures) {
    std::string csv = dir_ + "/t.csv";
    ASSERT_EQ(Run({"table", file_, "TreeTable", "--csv", csv}), cli::kExitOk) << err_.str();
    EXPECT_EQ(ReadAll(csv),
              "CutUnit,Tree,DBH,NBDFTVolPP\r\n1,1,10.5,0.1\r\n1,2,11.5,0.2\r\n\"2, east\",3,12.5,0.3\r\n");

    std::string pdf = dir_ + "/t.pdf";
    ASSERT_EQ(Run({"table", file_, "TreeTable", "--pdf", pdf, "--json"}), cli::kExitOk) << err_.str();
    EXPECT_EQ(ReadAll(pdf).rfind("%PDF-1.4", 0), 0u);
    EXPECT_NE(out_.str().find("\"pdf\": "), std::string::npos);

    EXPECT_EQ(Run({"table", file_, "NoSuchTable"}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("tables: TreeTable"), std::string::npos);
    EXPECT_EQ(Run({"table", dir_ + "/missing.crz", "TreeTable", "--json"}), cli::kExitFailure);
    EXPECT_NE(out_.str().find("\"ok\": false"), std::string::npos);
    EXPECT_EQ(Run({"table", file_, "TreeTable", "--pdf", dir_ + "/no/x.pdf"}), cli::kExitFailure);
    EXPECT_FALSE(fs::exists(dir_ + "/no"));
    EXPECT_EQ(Run({"table", file_}), cli::kExitUsage);
    EXPECT_EQ(Run({"table", file_, "TreeTable", "--csv", "a", "--pdf", "b"}), cli::kExitUsage);
}
