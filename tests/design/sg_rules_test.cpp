#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "design/sampling.h"
#include "design/sg_rules.h"
#include "ui/scripted_ui.h"

using namespace design;

namespace {

SgRow Row(double cv, double cv2, double ta, double va, double tp = 0) {
    SgRow r;
    r.stratum = "1";
    r.sgCV = cv;
    r.sgCV2 = cv2;
    r.treesAcre = ta;
    r.volAcre = va;
    r.treesPlot = tp;
    return r;
}

class SgEditTest : public ::testing::Test {
protected:
    ui::ScriptedUi ui;
    SgEditor editor{ui};
    std::vector<SgRow> rows;
    SgRefs refs;

    void Use(std::vector<SgRow> r) {
        rows = std::move(r);
        refs.clear();
        for (SgRow& x : rows) refs.push_back(&x);
    }
    // An edit of the first row unless told otherwise, in a stratum of 100 acres.
    int Edit(const char* method, const char* col, const char* text, double plotSize = 20, std::size_t row = 0) {
        return editor.Edit(refs, row, col, text, {"1", method, 100, plotSize});
    }
};

}  // namespace

TEST_F(SgEditTest, FinitePopulationMethods) {
    Use({Row(40, 0, 50, 5000)});
    SgRow& r = rows[0];
    ASSERT_EQ(Edit("STR", "SgN", "50"), 0);
    EXPECT_EQ(r.freq, 100);               // 5000 trees / 50
    EXPECT_DOUBLE_EQ(r.sgErr, 11.25);     // 11.31 of a population of 5000
    ASSERT_EQ(Edit("STR", "Freq", "200"), 0);
    EXPECT_EQ(r.sgN, 25);                 // 5000 / 200 + 0.9
    EXPECT_DOUBLE_EQ(r.sgErr, CorrectedError(SamplingError(40, 25), 25, 5000));
    // No frequency is no sample: refused, and the row keeps what it had.
    EXPECT_EQ(Edit("STR", "Freq", "0"), -1);
    EXPECT_EQ(editor.Refusal(), "Freq: '0' is too small. Enter a whole number from 1 to 1,000,000.");
    EXPECT_EQ(r.freq, 200);
    EXPECT_EQ(r.sgN, 25);

    r.freq = 1;  // one in one: the CV does not change the error
    r.sgErr = 3.5;
    ASSERT_EQ(Edit("STR", "SgCV", "60"), 0);
    EXPECT_EQ(r.c, "B");
    EXPECT_DOUBLE_EQ(r.sgErr, 3.5);

    ASSERT_EQ(Edit("100", "Trees/Acre", "20.5"), 0);
    EXPECT_EQ(r.sgN, 2050);  // every tree
    EXPECT_EQ(r.sgErr, 0.0);
    EXPECT_EQ(r.t, "B");

    EXPECT_EQ(Edit("3P", "SgCV", "not a number"), -1);
    EXPECT_EQ(r.sgCV, 60.0);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SgEditTest, ThreePSizesFromErrorAndKz) {
    Use({Row(40, 30, 50, 5000)});
    SgRow& r = rows[0];
    ASSERT_EQ(Edit("S3P", "SgErr", "10"), 0);
    EXPECT_EQ(r.sgN, 114);
    EXPECT_EQ(r.sgN2, 85);
    EXPECT_DOUBLE_EQ(r.sgErr, 10.0);  // stays as typed
    EXPECT_EQ(r.freq, 43);            // 5000 / 114
    EXPECT_EQ(r.kz, 134);             // 114 * 100 board feet a tree / 85

    ASSERT_EQ(Edit("S3P", "Vol/Acre", "10000"), 0);
    EXPECT_EQ(r.v, "B");
    EXPECT_EQ(r.kz, 268);
    EXPECT_EQ(r.freq, 43);
    ASSERT_EQ(Edit("S3P", "KZ", "300"), 0);
    EXPECT_EQ(r.sgN2, 76);  // 114 * 200 / 300 + 0.9
    EXPECT_DOUBLE_EQ(r.sgErr, TwoStageError(40, 30, 114, 76));

    ASSERT_EQ(Edit("3P", "SgErr", "10"), 0);
    EXPECT_EQ(r.sgN2, 0);
    ASSERT_EQ(Edit("3P", "KZ", "60000"), 0);
    EXPECT_EQ(r.sgN, 17);  // 1,000,000 board feet / 60000 + 0.9
    EXPECT_DOUBLE_EQ(r.sgErr, 20.56);  // 2.120 * 40 / sqrt(17)
}

TEST_F(SgEditTest, CountMeasureAndPlotThreeP) {
    Use({Row(50, 40, 100, 3000)});
    SgRow& r = rows[0];
    r.sgN = 10;
    ASSERT_EQ(Edit("PCM", "Freq", "4"), 0);  // no trees per plot: six are taken
    EXPECT_EQ(r.sgN2, 15);                   // 60 / 4 + 0.9
    EXPECT_DOUBLE_EQ(r.bigBaf, 80.0);
    r.treesPlot = 5;
    ASSERT_EQ(Edit("PCMTRE", "BigBaf", "100"), 0);
    EXPECT_EQ(r.sgN2, 10);  // 50 trees * 20 / 100
    EXPECT_EQ(r.freq, 5);
    ASSERT_EQ(Edit("PCM", "Trees/Plot", "7.5"), 0);
    EXPECT_EQ(r.freq, 7);
    EXPECT_DOUBLE_EQ(r.bigBaf, 150.0);
    ASSERT_EQ(Edit("PCM", "BigBaf", "100", 0), 0);  // BAF 0: nothing to divide by
    EXPECT_EQ(r.freq, 0);
    EXPECT_EQ(r.sgN2, 0);
    ASSERT_EQ(Edit("FCM", "Freq", "5"), 0);
    EXPECT_EQ(r.sgN2, 15);
    EXPECT_DOUBLE_EQ(r.bigBaf, 100.0);  // no big BAF for fixed plots

    r.sgN = 20;
    r.sgN2 = 40;
    r.avgHt = 60;
    ASSERT_EQ(Edit("F3P", "Trees/Plot", "8"), 0);
    EXPECT_EQ(r.kz, 120);  // 20 plots * 30 ft3 a tree * 8 trees / 40
    ASSERT_EQ(Edit("P3P", "KZ", "100"), 0);
    EXPECT_EQ(r.sgN2, 96);  // 20 * 60 * 8 / 100 + 0.9
    ASSERT_EQ(Edit("3PPNT", "SgN2", "96"), 0);
    EXPECT_EQ(r.kz, 666);  // 8 * 20 * 20 * 20 / 96
}

TEST_F(SgEditTest, ZeroBafWarningsOfThreePPoints) {
    Use({Row(50, 30, 200, 4000, 8)});
    rows[0].sgN = 20;
    rows[0].sgN2 = 40;
    rows[0].kz = 55;
    ASSERT_EQ(Edit("3PPNT", "AvgHt", "90", 0), 0);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Last()->title, "Warning");
    EXPECT_EQ(ui.Last()->icon, ui::Icon::Exclamation);
    EXPECT_EQ(ui.Last()->text,
              "Warning.\nBAF (PlotSize) for stratum is zero.  KZ cannot be computed.\n"
              "Right click in strata table and select 'Change BAF' option.");
    EXPECT_EQ(rows[0].kz, 0);
    const std::string sizeText =
        "Warning.\nBAF (PlotSize) for stratum is zero.  Sample size cannot be computed.\n"
        "Right click in strata table and select 'Change BAF' option.";
    for (const char* col : {"SgN", "KZ"}) {
        ui.Clear();
        ASSERT_EQ(Edit("3PPNT", col, "25", 0), 0);
        EXPECT_EQ(ui.Texts(), std::vector<std::string>{sizeText}) << col;
    }
    EXPECT_EQ(rows[0].sgN2, 0);
    ui.Clear();
    ASSERT_EQ(Edit("3PPNT", "Trees/Plot", "9", 0), 0);
    EXPECT_TRUE(ui.Messages().empty());

    // A typed error first sizes the edited row, then every row on the shared plot count.
    Use({Row(50, 30, 200, 4000, 8), Row(40, 20, 100, 2000, 8)});
    ui.Clear();
    ASSERT_EQ(Edit("3PPNT", "SgErr", "10", 0), 0);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>(3, sizeText));
}

TEST_F(SgEditTest, PlotMethodsShareOnePlotCount) {
    Use({Row(60, 0, 100, 3000), Row(80, 0, 50, 1000), Row(40, 0, 30, 500)});
    ASSERT_EQ(Edit("PNT", "SgErr", "15", 20, 1), 0);
    int n = SampleSize(80, 15);
    for (const SgRow& r : rows) {
        EXPECT_EQ(r.sgN, n);
        EXPECT_DOUBLE_EQ(r.sgErr, SamplingError(r.sgCV, n));  // the typed one too
    }
    ASSERT_EQ(Edit("FCM", "SgN", "40", 1, 2), 0);
    for (const SgRow& r : rows) EXPECT_EQ(r.sgN, 40);
    ASSERT_EQ(Edit("STR", "SgN", "7"), 0);
    EXPECT_EQ(rows[1].sgN, 40);  // tree methods keep their own sizes
}

TEST(ParseNumber, TheLeadingNumberOrZero) {
    const std::pair<const char*, double> cases[] = {{" 12.5abc", 12.5}, {"-3", -3}, {"+4.5", 4.5},
                                                    {"1e3", 1000}, {"abc", 0}, {"", 0}, {"--5", 0}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseNumber(text), value) << text;
    // Only decimal numbers: words a C library would read as numbers are none.
    for (const char* text : {"inf", "INF", "infinity", "-inf", "nan", "NaN", "0x1p3", "1e400"})
        EXPECT_EQ(ParseNumber(text), 0.0) << text;
}

namespace {

// A window system that lets another edit in while a warning is up.
class ReenteringUi : public ui::ScriptedUi {
public:
    SgEditor* editor = nullptr;
    SgRefs* groups = nullptr;
    std::vector<int> nested;
    ui::Answer MessageBox(const std::string& title, const std::string& text, ui::Icon icon,
                          ui::Buttons buttons) override {
        nested.push_back(editor->Edit(*groups, 0, "SgN", "999", {"1", "3PPNT", 100, 0}));
        return ui::ScriptedUi::MessageBox(title, text, icon, buttons);
    }
};

}  // namespace

TEST_F(SgEditTest, RefusesKeysUnknownColumnsBadRowsAndReentry) {
    Use({Row(50, 30, 200, 4000)});
    for (const char* col : {"Stratum", "SgCode", "C", "Nonsense"}) EXPECT_EQ(Edit("STR", col, "2"), -1) << col;
    EXPECT_EQ(Edit("STR", "SgN", "1", 20, 1), -1);
    EXPECT_EQ(rows[0].stratum, "1");

    ReenteringUi reentering;
    SgEditor nestedEditor(reentering);
    reentering.editor = &nestedEditor;
    reentering.groups = &refs;
    ASSERT_EQ(nestedEditor.Edit(refs, 0, "AvgHt", "90", {"1", "3PPNT", 100, 0}), 0);
    EXPECT_EQ(reentering.nested, std::vector<int>{-1});
    EXPECT_EQ(rows[0].sgN, 0);
    EXPECT_FALSE(nestedEditor.Busy());
}
