#include <gtest/gtest.h>

#include <cmath>

#include "store/schema.h"
#include "store/value_rules.h"

using store::Check;
using store::Refusal;
namespace rules = store::rules;

TEST(ValueRules, WholeNumbersInRangeAreTakenNormalised) {
    auto v = Check(rules::kSgN, "  12 ");
    ASSERT_TRUE(v.ok()) << v.refusal;
    EXPECT_EQ(v.text, "12");
    EXPECT_EQ(v.number, 12);
    EXPECT_EQ(Check(rules::kSgN, "1e3").text, "1000");  // a whole number, written as one
    EXPECT_EQ(Check(rules::kSgN, "1000000").number, 1e6);

    EXPECT_EQ(Refusal(rules::kSgN, "abc"), "SgN: 'abc' is not a number. Enter a whole number from 1 to 1,000,000.");
    EXPECT_EQ(Refusal(rules::kSgN, ""), "SgN cannot be empty. Enter a whole number from 1 to 1,000,000.");
    EXPECT_EQ(Refusal(rules::kSgN, "0"), "SgN: '0' is too small. Enter a whole number from 1 to 1,000,000.");
    EXPECT_EQ(Refusal(rules::kSgN, "-5"), "SgN: '-5' is too small. Enter a whole number from 1 to 1,000,000.");
    EXPECT_EQ(Refusal(rules::kSgN, "12.5"),
              "SgN: '12.5' is not a whole number. Enter a whole number from 1 to 1,000,000.");
    // Neither clamped nor cut at the exponent: refused.
    EXPECT_EQ(Refusal(rules::kSgN, "99999999999"),
              "SgN: '99999999999' is too large. Enter a whole number from 1 to 1,000,000.");
    EXPECT_EQ(Refusal(rules::kSgN, "1e12"), "SgN: '1e12' is too large. Enter a whole number from 1 to 1,000,000.");
    EXPECT_EQ(Refusal(rules::kSgN, "1e400"), "SgN: '1e400' is too large. Enter a whole number from 1 to 1,000,000.");
    for (const char* bad : {"nan", "inf", "-inf", "0x10", "12 trees", "   "}) EXPECT_NE(Refusal(rules::kSgN, bad), "") << bad;
}

TEST(ValueRules, DecimalBoundsOpenOrClosedAndEmptyWhereAllowed) {
    EXPECT_TRUE(Check(rules::kSgCV, "0").ok());  // no variation is a CV
    EXPECT_EQ(Check(rules::kSgCV, "-0").number, 0.0);
    EXPECT_FALSE(std::signbit(Check(rules::kSgCV, "-0").number));
    EXPECT_EQ(Refusal(rules::kSgCV, "-50"), "SgCV: '-50' is too small. Enter a number from 0 to 1,000 percent.");
    // An error of 0 asks for an endless sample; the bound itself is outside.
    EXPECT_EQ(Refusal(rules::kSgErr, "0"),
              "SgErr: '0' is too small. Enter a number greater than 0 and at most 100 percent.");
    EXPECT_TRUE(Check(rules::kSgErr, "100").ok());
    EXPECT_TRUE(Check(rules::kSgErr, "0.01").ok());

    const store::ValueRule& trav = rules::Costs()[2];
    EXPECT_EQ(trav.name, std::string("Time to traverse 10 chains"));
    auto empty = Check(trav, "  ");
    EXPECT_TRUE(empty.ok());
    EXPECT_TRUE(empty.empty);
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(Refusal(trav, "99999999999999999999"),
              "Time to traverse 10 chains: '99999999999999999999' is too large. Enter a number from 0 to 600 "
              "minutes, or leave it empty.");
    EXPECT_EQ(store::RangeText(rules::kUnitArea), "a number greater than 0 and at most 1,000,000 acres");
}

TEST(ValueRules, TextsAreTrimmedCheckedAgainstTheirWidthAndStorable) {
    auto code = Check(rules::kCutUnit, "  12 ");
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(code.text, "12");
    EXPECT_EQ(Refusal(rules::kCutUnit, "   "), "CutUnit cannot be blank. Enter text of at most 3 characters.");
    EXPECT_EQ(Refusal(rules::kCutUnit, "1234"),
              "CutUnit: '1234' is too long. Please enter no more than 3 characters.");
    // Characters, not bytes, count against the width.
    EXPECT_TRUE(Check(rules::kCutUnit, "Bär").ok());
    EXPECT_EQ(Refusal(rules::kSgCode, std::string(36, 'A')).find("is too long"), 36u + 22u);
    EXPECT_TRUE(Check(rules::kSgCode, "").ok());  // a blank sample group code is valid
    EXPECT_EQ(Refusal(rules::kSgDescription, "Łódź"), "Description: 'Ł' cannot be stored in a cruise file");

    EXPECT_TRUE(Check(rules::kSaleNo, "01234").ok());  // its leading zero stays
    EXPECT_EQ(Check(rules::kSaleNo, "01234").text, "01234");
    EXPECT_EQ(Refusal(rules::kSaleNo, "12a"),
              "Sale Number: '12a' is not made of digits alone. Enter at most 5 digits.");
    EXPECT_EQ(Refusal(rules::kDesignId, "   "), "Design ID cannot be blank. Enter text of at most 25 characters.");
}

TEST(ValueRules, EveryEditedColumnOfTheWorkTablesHasItsRule) {
    for (const char* c : {"SgErr", "SgN", "SgN2", "SgCV", "SgCV2", "Trees/Acre", "Vol/Acre", "Freq", "KZ",
                          "Trees/Plot", "AvgHt", "BigBaf", "Description"})
        EXPECT_NE(store::RuleFor(schema::kSVDesignSgTable, c), nullptr) << c;
    for (const char* c : {"CutUnit", "Area", "Description", "LogMeth", "PayUnit"})
        EXPECT_NE(store::RuleFor(schema::kSVUnitsTable, c), nullptr) << c;
    for (const char* c : {"Stratum", "SgTree", "SgPlot", "Species", "Prod", "LD", "DMin", "DMax"})
        EXPECT_NE(store::RuleFor(schema::kSVSummaryTable, c), nullptr) << c;
    EXPECT_EQ(store::RuleFor(schema::kSVDesignSgTable, "Stratum"), nullptr);  // a key, not edited
    EXPECT_EQ(store::RuleFor(schema::kSVDesignTable, "Lock"), &rules::kLock);
}
