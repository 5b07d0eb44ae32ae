// A step on a cruise file lands whole or leaves every byte as it was, and a step that
// changes nothing writes nothing.
#include "store/unit_of_work.h"

#include <fstream>
#include <iterator>

#include "mk/file_io.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "store_fixture.h"
#include "ui/scripted_ui.h"

using namespace store;
using storetest::Table;

namespace {

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class UnitOfWorkTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.Path("SALE.crz");
        storetest::WriteFile(path_, {
            storetest::ConfigTable(schema::kCurrentVersion),
            Table{"SVStrataTable[Stratum:S,TotAcres:S,Modified:S]", {{"1", "10.0", "N"}, {"2", "5.0", "N"}}},
            Table{"SVSelTreeTable[Species:S,Stratum:S]", {{"DF", "1"}}},
        });
        before_ = Bytes(path_);
    }
    void TearDown() override { mk::detail::StopFailingWrites(); }

    std::vector<std::string> Strata(CCruiseStore& store) {
        return storetest::Column(*store.Storage(), "SVStrataTable", "Modified");
    }

    storetest::TempDir dir_;
    std::string path_, before_;
    ui::ScriptedUi ui_;
};

TEST_F(UnitOfWorkTest, AStepThatStopsLeavesEveryByteAndTheStoreAtTheFileState) {
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    {
        UnitOfWork step(store);
        int slot = store.OpenView("SVStrataTable");
        store.SetString(slot, 0, "Modified", "Y");
        // Commits and table drops inside the step wait for its end.
        EXPECT_EQ(store.Commit(), 0);
        EXPECT_EQ(store.DeleteView("SVSelTreeTable"), 0);
        EXPECT_EQ(store.Commit(), 0);
        EXPECT_EQ(Bytes(path_), before_);
    }  // not completed: discarded
    EXPECT_EQ(Bytes(path_), before_);
    EXPECT_EQ(Strata(store), (std::vector<std::string>{"N", "N"}));
    EXPECT_TRUE(store.Storage()->HasView("SVSelTreeTable"));
    EXPECT_EQ(store.FindView("SVStrataTable"), -1);  // slots on the dropped state are gone
    // Outside a step commits land at once again.
    store.Storage()->GetView("SVStrataTable").SetString(1, "Modified", "Y");
    EXPECT_EQ(store.Commit(), 0);
    EXPECT_NE(Bytes(path_), before_);
}

TEST_F(UnitOfWorkTest, ACompletedStepCommitsOnceAndNothingWhenNothingChanged) {
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    {
        // Values written as they were, and tables made but left empty, are no change.
        UnitOfWork step(store);
        mk::View strata = store.Storage()->GetView("SVStrataTable");
        strata.SetString(0, "Modified", "N");
        mk::View copy = strata.Clone();
        strata.RemoveAll();
        for (int r = 0; r < copy.RowCount(); ++r) strata.AddRowFrom(copy, r);
        ASSERT_GE(store.OpenViewAs("SVDesignTable[Stratum:S,Error:D]"), 0);
        mk::detail::FailWritesAfter(0);  // any write would fail the commit
        EXPECT_TRUE(step.Complete());
        mk::detail::StopFailingWrites();
    }
    EXPECT_EQ(Bytes(path_), before_);
    EXPECT_FALSE(store.Storage()->HasView("SVDesignTable"));
    {
        UnitOfWork step(store);
        store.Storage()->GetView("SVStrataTable").SetString(0, "Modified", "Y");
        mk::View design = *store.Storage()->GetAs("SVDesignTable[Stratum:S,Error:D]");
        design.SetString(design.AddRow(), "Stratum", "1");
        EXPECT_TRUE(step.Complete());
    }
    store.Close();
    auto reopened = mk::Storage::Open(path_);
    ASSERT_TRUE(reopened.ok());
    EXPECT_EQ(storetest::Column(*reopened, "SVStrataTable", "Modified"), (std::vector<std::string>{"Y", "N"}));
    EXPECT_EQ(storetest::Column(*reopened, "SVDesignTable", "Stratum"), (std::vector<std::string>{"1"}));
}

TEST_F(UnitOfWorkTest, AFailedCommitLeavesTheFileAndTheStoreAsBefore) {
    mk::Storage storage = std::move(*mk::Storage::Open(path_));
    UnitOfWork step(storage);
    storage.GetView("SVStrataTable").SetString(0, "TotAcres", "99.0");
    mk::detail::FailWritesAfter(0);
    EXPECT_FALSE(step.Complete());
    mk::detail::StopFailingWrites();
    EXPECT_EQ(Bytes(path_), before_);
    EXPECT_EQ(storetest::Column(storage, "SVStrataTable", "TotAcres"), (std::vector<std::string>{"10.0", "5.0"}));
    EXPECT_FALSE(storage.Held());
}

TEST_F(UnitOfWorkTest, AStepInsideAnotherLeavesTheCommitToIt) {
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    UnitOfWork outer(store);
    {
        UnitOfWork inner(store);
        store.Storage()->GetView("SVStrataTable").SetString(0, "Modified", "Y");
        EXPECT_TRUE(inner.Complete());
    }
    EXPECT_EQ(Bytes(path_), before_);
    EXPECT_TRUE(outer.Complete());
    EXPECT_NE(Bytes(path_), before_);
}

TEST_F(UnitOfWorkTest, SnapshotTellsChangesAndPutsTablesBack) {
    mk::Storage storage = std::move(*mk::Storage::Open(path_));
    TableSnapshot snap(storage, {"SVStrataTable", "SVUnitsTable"});
    EXPECT_FALSE(snap.Changed(storage));
    mk::View strata = storage.GetView("SVStrataTable");
    strata.SetString(0, "TotAcres", "-5");
    strata.RemoveRows(1);
    // A table made empty is no change; one with rows is.
    mk::View units = *storage.GetAs("SVUnitsTable[CutUnit:S,Area:D]");
    EXPECT_TRUE(snap.Changed(storage));
    snap.Restore(storage);
    EXPECT_FALSE(snap.Changed(storage));
    units.SetString(units.AddRow(), "CutUnit", "7");
    EXPECT_TRUE(snap.Changed(storage));
    snap.Restore(storage);
    EXPECT_EQ(storage.GetView("SVUnitsTable").RowCount(), 0);
    EXPECT_EQ(storetest::Column(storage, "SVStrataTable", "TotAcres"), (std::vector<std::string>{"10.0", "5.0"}));
    // Putting back what is already there changes nothing: the file is not written.
    ASSERT_TRUE(storage.Commit().ok());
    const std::string now = Bytes(path_);
    snap.Restore(storage);
    mk::detail::FailWritesAfter(0);
    EXPECT_TRUE(storage.Commit().ok());
    mk::detail::StopFailingWrites();
    EXPECT_EQ(Bytes(path_), now);
}

}  // namespace
