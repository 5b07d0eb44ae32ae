// The advisor on made-up sales: what it proposes, that its numbers are the ones the
// forester gets by hand, and what applying a proposal does to the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "advise/advice_table.h"
#include "advise/advisor.h"
#include "advise_fixture.h"
#include "store/config.h"

namespace {

using advisetest::DesignOf;
using advisetest::DesignStratum;
using advisetest::UnitSpec;

// Twelve point-sampled units, four from each of three populations (2, 6 and 12 trees
// a point), interleaved in the unit table; and a fixed-plot pair.
std::vector<UnitSpec> ThreePopulations(bool withFixed = false) {
    std::vector<UnitSpec> units;
    const double perPlot[] = {2, 6, 12};
    for (int u = 1; u <= 12; ++u)
        units.push_back({u, 1, 40.0 + 10 * (u % 4), perPlot[(u - 1) % 3], 7919ull * u});
    if (withFixed) {
        units.push_back({13, 2, 30, 8, 13});
        units.push_back({14, 2, 35, 8, 14});
    }
    return units;
}

std::set<std::set<std::string>> Groups(const advise::Plan& plan) {
    std::set<std::set<std::string>> out;
    for (const auto& s : plan) out.insert(std::set<std::string>(s.units.begin(), s.units.end()));
    return out;
}

std::vector<DesignStratum> Expected(const advise::Outcome& o) {
    std::vector<DesignStratum> out;
    for (const auto& s : o.strata) out.push_back({s.code, s.method, s.units, s.sumN, s.sumN2, s.error, s.cost});
    return out;
}

class Advisor : public advisetest::SaleTest {
protected:
    advise::Advice AdviceFor(const std::string& path, int k = 6) {
        advise::AdviseOptions o;
        o.maxStrata = k;
        o.target = "10";
        return advise::AdviseFile(path, o);
    }
    std::string Copy(const std::string& from, const std::string& name) {
        const std::string to = scratch_.Path(name);
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        return to;
    }
    // What the forester does by hand for a plan: the strata deleted and defined unit
    // by unit, sample groups by species and product, the compilation, each stratum's
    // method, Optimize For Error and Return.
    void ByHand(const std::string& path, const advise::Plan& plan) {
        ASSERT_EQ(Run({"strata", path, "--delete", "all"}), 0) << err_.str();
        std::vector<std::string> design = {"design", path};
        for (size_t i = 0; i < plan.size(); ++i) {
            std::string units;
            for (const auto& u : plan[i].units) units += (units.empty() ? "" : ",") + u;
            const std::string code = std::to_string(i + 1);
            ASSERT_EQ(Run({"strata", path, "--define", code, "--units", units, "--sample-groups",
                           "tree=species,product", "plot=species,product"}),
                      0)
                << err_.str();
            design.insert(design.end(), {"--method", code + "=" + plan[i].method});
        }
        ASSERT_EQ(Run({"sample-groups", path, "--quick", "tree=species,product", "plot=species,product"}), 0)
            << err_.str();
        ASSERT_EQ(Run({"compile", path}), 0) << err_.str();
        design.insert(design.end(), {"--optimize", "10", "--return", "--yes"});
        ASSERT_EQ(Run(design), 0) << err_.str();
    }
};

TEST_F(Advisor, RecoversPopulationsOfDifferentVolumeAndCostsLessThanOneStratum) {
    const std::string sale = MakeSale("pops", ThreePopulations());
    const advise::Advice a = AdviceFor(sale);
    ASSERT_TRUE(a.error.empty()) << a.error;
    ASSERT_EQ(a.proposals.size(), 6u);
    ASSERT_GE(a.best, 0);
    const advise::Proposal& best = a.proposals[static_cast<size_t>(a.best)];
    EXPECT_EQ(best.k, 3);
    std::set<std::set<std::string>> populations = {
        {"1", "4", "7", "10"}, {"2", "5", "8", "11"}, {"3", "6", "9", "12"}};
    EXPECT_EQ(Groups(best.plan), populations);
    const advise::Proposal* one = a.Find(1);
    ASSERT_TRUE(one && one->outcome.ok);
    EXPECT_LT(best.outcome.cost, 0.8 * one->outcome.cost);
    EXPECT_LE(best.outcome.saleError, 10.1);

    // The current strata (one, of all units) are priced as the proposal of one stratum.
    ASSERT_TRUE(a.current.ok) << a.current.failure;
    EXPECT_EQ(a.current.cost, one->outcome.cost);
    EXPECT_EQ(a.current.saleError, one->outcome.saleError);
    EXPECT_EQ(*a.Saving(best), a.current.cost - best.outcome.cost);
    // Every line of the table: a stratification and then its strata.
    const auto lines = advise::AdviceLines(a);
    EXPECT_TRUE(lines.front().head && lines.front().current);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l.head; }), 7);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l.best; }), 1);
}

TEST_F(Advisor, IdenticalUnitsAreOneStratum) {
    std::vector<UnitSpec> units;
    for (int u = 1; u <= 6; ++u) units.push_back({u, 1, 50, 6, 42});
    const advise::Advice a = AdviceFor(MakeSale("alike", units), 4);
    ASSERT_TRUE(a.error.empty()) << a.error;
    ASSERT_GE(a.best, 0);
    EXPECT_EQ(a.proposals[static_cast<size_t>(a.best)].k, 1);
    for (const auto& p : a.proposals)
        if (p.k > 1 && p.outcome.ok) EXPECT_GE(p.outcome.cost, a.proposals.front().outcome.cost) << "k " << p.k;
}

TEST_F(Advisor, NumbersAreThoseOfDefiningTheStrataByHand) {
    const std::string sale = MakeSale("pops", ThreePopulations(true));
    const advise::Advice a = AdviceFor(sale, 5);
    ASSERT_TRUE(a.error.empty()) << a.error;
    // Points and fixed plots never share a stratum: one stratum is no proposal.
    EXPECT_EQ(a.impossible, std::vector<int>{1});
    ASSERT_EQ(a.proposals.size(), 4u);
    for (const auto& p : a.proposals) {
        SCOPED_TRACE("k " + std::to_string(p.k));
        ASSERT_TRUE(p.outcome.ok) << p.outcome.failure;
        for (const auto& s : p.plan) {
            const bool fixed = s.units.front() == "13" || s.units.front() == "14";
            EXPECT_EQ(s.method, fixed ? "FIX" : "PNT");
        }
        const std::string copy = Copy(sale, "byhand" + std::to_string(p.k) + ".crz");
        ByHand(copy, p.plan);
        design::SaleTotals totals;
        EXPECT_EQ(DesignOf(copy, &totals), Expected(p.outcome));
        EXPECT_EQ(totals.error, p.outcome.saleError);
        EXPECT_EQ(totals.cost, p.outcome.cost);
    }
}

TEST_F(Advisor, ApplyingIsTheProposalAndDeletingItLeavesAFreshSetup) {
    const std::string sale = MakeSale("pops", ThreePopulations());
    const advise::Advice a = AdviceFor(sale, 3);
    const advise::Proposal* three = a.Find(3);
    ASSERT_TRUE(three && three->outcome.ok);

    const std::string applied = Copy(sale, "applied.crz");
    ASSERT_EQ(Run({"advise-strata", applied, "--error", "10", "--max-strata", "3", "--apply", "3", "--yes"}), 0)
        << err_.str() << out_.str();
    EXPECT_EQ(DesignOf(applied), Expected(three->outcome));
    {
        auto st = mk::Storage::Open(applied, mk::OpenMode::ReadOnly);
        ASSERT_TRUE(st);
        EXPECT_EQ(store::GetSetting(*st, schema::kBlockStrovan, schema::kKeyUpdateFlag).value_or(""), "N");
        mk::View strata = st->GetView(schema::kSVStrataTable);
        ASSERT_EQ(strata.RowCount(), 3);
        // Sample groups by species and product in every stratum.
        for (int r = 0; r < 3; ++r) EXPECT_FALSE(strata.GetString(r, "SG_Tree").empty());
    }

    // Deleting the strata by hand, then Quick Strata by unit: as on the file never advised.
    const std::string fresh = Copy(sale, "fresh.crz");
    for (const std::string& f : {applied, fresh}) {
        ASSERT_EQ(Run({"strata", f, "--delete", "all"}), 0) << err_.str();
        ASSERT_EQ(Run({"strata", f, "--quick", "unit", "--sample-groups", "tree=species,product",
                       "plot=species,product"}),
                  0)
            << err_.str();
    }
    auto table = [](const std::string& path, const char* name) {
        std::vector<std::string> rows;
        auto st = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
        mk::View v = st->GetView(name);
        for (int r = 0; r < v.RowCount(); ++r) {
            std::string row;
            // Select holds the strata form's last picks, which every opening resets.
            for (int c = 0; c < v.ColumnCount(); ++c)
                if (v.Column(c).name != "Select") row += v.GetString(r, c) + "|";
            rows.push_back(row);
        }
        return rows;
    };
    for (const char* t : {schema::kSVSummaryTable, schema::kSVStrataTable, schema::kSVUnitsTable}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(table(applied, t), table(fresh, t));
        EXPECT_FALSE(table(fresh, t).empty());
    }
}

TEST_F(Advisor, AdviceAndAnApplyNotAnsweredYesLeaveTheFileAsItWas) {
    const std::string sale = MakeSale("pops", ThreePopulations());
    const std::string before = testsupport::ReadBytes(sale);
    EXPECT_EQ(Run({"advise-strata", sale, "--error", "10", "--max-strata", "4"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("best"), std::string::npos) << out_.str();
    EXPECT_EQ(Run({"advise-strata", sale, "--error", "10", "--max-strata", "4", "--apply", "3"}), 1);
    EXPECT_EQ(Run({"advise-strata", sale, "--error", "10", "--max-strata", "4", "--apply", "3", "--no", "--json"}), 1);
    EXPECT_NE(out_.str().find("\"applied\": false"), std::string::npos) << out_.str();
    EXPECT_EQ(Run({"advise-strata", sale, "--error", "10", "--max-strata", "4", "--apply", "9", "--yes"}), 1);
    EXPECT_EQ(testsupport::ReadBytes(sale), before);

    // Wrong command lines.
    EXPECT_EQ(Run({"advise-strata", sale}), 2);
    EXPECT_EQ(Run({"advise-strata", sale, "--error", "10", "--max-strata", "0"}), 2);
    EXPECT_EQ(Run({"advise-strata", sale, "--error", "10", "--apply", "two"}), 2);
    for (const char* bad : {"0", "inf", "nan", "1e400", "101"}) {
        EXPECT_EQ(Run({"advise-strata", sale, "--error", bad}), 1) << bad;
        EXPECT_NE(err_.str().find("Target sale error: "), std::string::npos) << err_.str();
    }
}

TEST_F(Advisor, ExampleSaleCurrentStrataArePricedAsTheDesignTheForesterMade) {
    const std::string dir = scratch_.Path("run");
    ASSERT_EQ(Run({"run", "--example", "--out", dir}), 0) << err_.str();
    const std::string sale = dir + "/sale.crz";
    design::SaleTotals made;
    const auto design = DesignOf(sale, &made);
    const advise::Advice a = AdviceFor(sale, 4);
    ASSERT_TRUE(a.error.empty()) << a.error;
    ASSERT_TRUE(a.current.ok) << a.current.failure;
    EXPECT_EQ(Expected(a.current), design);
    EXPECT_EQ(a.current.cost, made.cost);
    // Points, fixed plots and a 100 % cruise: never fewer than three strata.
    EXPECT_EQ(a.impossible, (std::vector<int>{1, 2}));
}

}  // namespace
