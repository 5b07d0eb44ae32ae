#include <gtest/gtest.h>

#include "design/design_form.h"

using namespace design;

namespace {

std::vector<std::string> Shown(const char* method) {
    std::vector<std::string> out;
    for (const std::string& c : SgGridColumns())
        if (SgColumnShown(method, c)) out.push_back(c);
    return out;
}

TEST(DesignFormLayout, SampleGroupColumnsFollowTheMethod) {
    EXPECT_EQ(Shown("100"), (std::vector<std::string>{"Stratum", "SgCode", "Description", "SgErr", "SgN", "SgCV",
                                                      "Trees/Acre", "Vol/Acre", "Freq"}));
    EXPECT_TRUE(SgColumnReadOnly("100", "SgN"));
    EXPECT_TRUE(SgColumnReadOnly("100", "Freq"));
    EXPECT_FALSE(SgColumnReadOnly("STR", "Freq"));
    EXPECT_FALSE(SgColumnReadOnly("STR", "SgN"));
    EXPECT_TRUE(SgColumnReadOnly("PNT", "SgCode"));
    EXPECT_EQ(Shown("PCMTRE"), (std::vector<std::string>{"Stratum", "SgCode", "SgErr", "SgN", "SgN2", "SgCV", "SgCV2",
                                                         "Trees/Acre", "Vol/Acre", "Freq", "Trees/Plot", "BigBaf"}));
    EXPECT_EQ(Shown("3PPNT"), (std::vector<std::string>{"Stratum", "SgCode", "SgErr", "SgN", "SgN2", "SgCV", "SgCV2",
                                                        "Trees/Acre", "Vol/Acre", "KZ", "Trees/Plot", "AvgHt"}));
    EXPECT_EQ(Shown("3P"), (std::vector<std::string>{"Stratum", "SgCode", "Description", "SgErr", "SgN", "SgCV",
                                                     "Trees/Acre", "Vol/Acre", "KZ"}));
}

TEST(DesignFormLayout, ColoursByStatusMark) {
    SgRow r;
    r.c = "R";
    r.c2 = "B";
    r.t = "N";
    r.v = "B";
    EXPECT_EQ(SgCellColour(r, "SgCV"), 255u);
    EXPECT_EQ(SgCellColour(r, "SgCV2"), 13107200u);
    EXPECT_EQ(SgCellColour(r, "Trees/Acre"), kNormalTextColour);
    EXPECT_EQ(SgCellColour(r, "Vol/Acre"), 13107200u);
    EXPECT_EQ(SgCellColour(r, "SgN"), kNormalTextColour);
}

TEST(DesignFormLayout, HintsFollowTheUnitOfMeasure) {
    EXPECT_EQ(SgColumnHint("Description", "01"), "Sample Group Description (Displayed in Kelvane Tally Form");
    EXPECT_EQ(SgColumnHint("Vol/Acre", "01"), "Estimated Board Foot Volume per Acre");
    EXPECT_EQ(SgColumnHint("Vol/Acre", "03"), "Estimated Cubic Foot Volume per Acre");
    EXPECT_EQ(SgColumnHint("C", "01"), "");
    EXPECT_EQ(StratumColumnHint("TotalVol", "01"), "Total MBF for the Stratum");
    EXPECT_EQ(StratumColumnHint("TotalVol", "03"), "Total CCF for the Stratum");
    EXPECT_EQ(StratumColumnHint("Vol/Acre", "03"), "Cubic Foot Volume per Acre");
    EXPECT_EQ(StratumColumnHint("Lock", "01"),
              "Switch to Lock This Stratum Error When Running the Optimize Function");
    EXPECT_FALSE(StratumColumnShown("TotCircum"));
    EXPECT_FALSE(StratumColumnReadOnly("Lock"));
    EXPECT_FALSE(StratumColumnReadOnly("Description"));
    EXPECT_TRUE(StratumColumnReadOnly("StrCost"));
    EXPECT_FALSE(StratumColumnRightAligned("CruzMeth"));
    EXPECT_TRUE(StratumColumnRightAligned("TotAcres"));
}

TEST(DesignFormLayout, CellTexts) {
    StratumRow s;
    s.stratum = "7";
    s.totAcres = 120.5;
    s.sumN = 14;
    EXPECT_EQ(StratumCellText(s, "TotAcres"), "120.5");
    EXPECT_EQ(StratumCellText(s, "SumN"), "14");
    SgRow g;
    g.sgCV = 33.333;
    g.kz = 412;
    EXPECT_EQ(SgCellText(g, "SgCV"), "33.333");
    EXPECT_EQ(SgCellText(g, "KZ"), "412");
}

TEST(DesignFormLayout, UnitLists) {
    EXPECT_EQ(SplitUnits(" 10, 11,,12 "), (std::vector<std::string>{"10", "11", "12"}));
    EXPECT_TRUE(SplitUnits("").empty());
    EXPECT_EQ(JoinUnits({"1", "2"}), "1,2");
    EXPECT_EQ(JoinUnits({}), "");
}

}  // namespace
