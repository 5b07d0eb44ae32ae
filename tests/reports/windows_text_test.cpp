// A cruise file holding Windows-1252 text: the report shows its characters in the
// JSON, the saved text (UTF-8) and the PDF (WinAnsi).
#include <filesystem>

#include <gtest/gtest.h>

#include "commands.h"
#include "mk/mk.h"
#include "reports/report_sample.h"
#include "store/schema.h"
#include "support/pdf_text.h"
#include "support/scratch.h"

namespace {

TEST(WindowsTextReport, SaleNameShowsInJsonTextAndPdf) {
    testsupport::TempDir dir;
    const std::string file = dir.Path("sale.crz");
    {
        auto st = mk::Storage::Create(file);
        ASSERT_TRUE(st.ok());
        reports::SampleShape shape;
        shape.strata = 2;
        shape.groups = 2;
        shape.units = 4;
        reports::WriteSampleDesign(*st, shape);
        // As the Windows programs store it: "Forêt “Noire” €".
        st->GetView(schema::kCruiseTable).SetBytes(0, "SaleName", "For\xEAt \x93Noire\x94 \x80");
        ASSERT_TRUE(st->Commit().ok());
    }
    const std::string utf8 = "For\xC3\xAAt \xE2\x80\x9CNoire\xE2\x80\x9D \xE2\x82\xAC";
    const std::string text = dir.Path("s.txt"), pdf = dir.Path("s.pdf");
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"report", file, "--kind", "summary", "--text", text, "--pdf", pdf, "--json"}, out, err), 0)
        << err.str();
    EXPECT_NE(out.str().find("\"text\": \"" + utf8 + "\""), std::string::npos) << out.str().substr(0, 600);
    EXPECT_NE(testsupport::ReadBytes(text).find(utf8), std::string::npos);
    const std::string page = testsupport::PdfPageContents(testsupport::ReadBytes(pdf));
    EXPECT_NE(page.find("(For\xEAt \x93Noire\x94 \x80)"), std::string::npos) << page.substr(0, 400);
}

}  // namespace
