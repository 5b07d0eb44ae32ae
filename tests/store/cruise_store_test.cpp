#include "store/cruise_store.h"

#include <filesystem>

#include "store/file_lock.h"
#include "store/schema.h"
#include "store_fixture.h"
#include "ui/scripted_ui.h"

using namespace store;
using storetest::Table;

namespace {

class CruiseStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.Path("SALE.crz");
        storetest::WriteFile(path_, {
            storetest::ConfigTable(schema::kCurrentVersion),
            Table{"SVDesignTable[Stratum:S,Error:D,SumN:I,Units:S]",
                  {{"2", "12.5", "30", "A,B"}, {"1", "2.5", "12", "C"}, {"3", "7", "4", ""}}},
            Table{"SVSelTreeTable[Species:S,Stratum:S]", {{"DF", "1"}}},
            Table{"TreeTable[Stratum:S,Sp:S,DBH:F]", {{"1", "DF", "14.5"}}},
        });
    }

    storetest::TempDir dir_;
    std::string path_;
    ui::ScriptedUi ui_;
};

TEST_F(CruiseStoreTest, OpenBuildsViewListAndHoldsTheLock) {
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    EXPECT_EQ(store.ViewList(),
              "GlobalConfigurationTable, SVDesignTable, SVSelTreeTable, TreeTable");
    EXPECT_EQ(FileLock::Probe(path_), FileAccess::InUse);
    EXPECT_EQ(store.Close(), 0);
    EXPECT_EQ(FileLock::Probe(path_), FileAccess::Ok);
    EXPECT_EQ(store.Open(dir_.Path("missing.crz")), -1);
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(CruiseStoreTest, SlotsOpenFindAndClose) {
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    EXPECT_EQ(store.OpenView("NoSuchTable"), -1);
    for (int i = 0; i < store.SlotCount(); ++i) EXPECT_EQ(store.SlotName(i), "");

    int a = store.OpenView("SVDesignTable");
    ASSERT_EQ(a, 0);
    EXPECT_EQ(store.SlotStructure(a), "SVDesignTable[Stratum:S,Error:D,SumN:I,Units:S]");
    int again = store.OpenView("SVDesignTable");
    EXPECT_GE(again, 0);
    int named = 0;
    for (int i = 0; i < store.SlotCount(); ++i) named += store.SlotName(i) == "SVDesignTable";
    EXPECT_EQ(named, 1);
    EXPECT_EQ(store.FindView("SVDesignTable"), again);

    // Fill every slot: the next open fails.
    for (int i = 1; i < store.SlotCount(); ++i) EXPECT_GE(store.ReserveSlot("x"), 0);
    EXPECT_EQ(store.ReserveSlot("y"), -1);
    EXPECT_EQ(store.OpenView("TreeTable"), -1);

    EXPECT_EQ(store.CloseView(store.SlotCount()), 2);
    EXPECT_EQ(store.CloseView(again), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(store.CloseView(again), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error in Close a View, **1**\n");
}

TEST_F(CruiseStoreTest, UpdaterVariantHasMoreSlotsAndLongerNumbers) {
    CCruiseStore form(ui_), updater(ui_, StoreVariant::Updater);
    EXPECT_EQ(form.SlotCount(), 12);
    EXPECT_EQ(updater.SlotCount(), 25);
    EXPECT_EQ(form.FormatNumber(1.0 / 3), "0.333333");
    EXPECT_EQ(updater.FormatNumber(1.0 / 3), "0.333333333333333");
}

TEST_F(CruiseStoreTest, ConvertingReadsAndWrites) {
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    int s = store.OpenView("SVDesignTable");
    int i = 0;
    double d = 0;
    std::string t;
    EXPECT_EQ(store.GetInt(s, 1, "Error", i), 0);
    EXPECT_EQ(i, 3);  // 2.5 rounds half up
    EXPECT_EQ(store.GetString(s, 0, "Error", t), 0);
    EXPECT_EQ(t, "12.5");
    EXPECT_EQ(store.GetString(s, 0, "SumN", t), 0);
    EXPECT_EQ(t, "30");

    EXPECT_EQ(store.SetString(s, 0, "Units", "12abc"), 0);
    EXPECT_EQ(store.GetInt(s, 0, "Units", i), 0);
    EXPECT_EQ(i, 12);
    EXPECT_EQ(store.GetDouble(s, 0, "Units", d), 0);
    EXPECT_DOUBLE_EQ(d, 12);
    store.SetString(s, 0, "Units", "not a number");
    EXPECT_EQ(store.GetDouble(s, 0, "Units", d), 0);
    EXPECT_EQ(d, 0);

    store.SetDouble(s, 0, "Units", 0.1 + 0.2);
    EXPECT_EQ(store.View(s).GetString(0, "Units"), "0.3");  // "%g" in the form variant
    store.SetInt(s, 0, "Error", 7);
    EXPECT_EQ(store.View(s).GetDouble(0, "Error"), 7.0);
    store.SetString(s, 0, "SumN", "41 trees");
    EXPECT_EQ(store.View(s).GetInt(0, "SumN"), 41);

    // Out-of-range rows and unknown columns never touch the file.
    EXPECT_NE(store.SetInt(s, 99, "SumN", 1), 0);
    EXPECT_EQ(store.GetInt(s, 0, "NoColumn", i), 1);
    EXPECT_EQ(i, 0);
}

TEST_F(CruiseStoreTest, DerivedViewsSelectSortProjectAndWriteThrough) {
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    int d = store.OpenSelected("SVDesignTable", "Stratum,SumN", "", "Stratum");
    ASSERT_GE(d, 0);
    EXPECT_EQ(store.SlotName(d), "DSVDesignTable");
    int base = store.FindView("SVDesignTable");
    EXPECT_EQ(store.SlotBase(d), base);
    ASSERT_EQ(store.RowCount(d), 3);
    EXPECT_EQ(store.View(d).ColumnCount(), 2);
    std::string t;
    store.GetString(d, 0, "Stratum", t);
    EXPECT_EQ(t, "1");
    EXPECT_EQ(store.FindView("SelCrit"), -1);

    // A write on the derived row lands on the base row it shows.
    store.SetInt(d, 0, "SumN", 99);
    int n = 0;
    store.GetInt(base, 1, "SumN", n);
    EXPECT_EQ(n, 99);

    int sel = store.OpenSelected("SVDesignTable", "", "Stratum = 3 , SumN=4", "");
    ASSERT_EQ(store.RowCount(sel), 1);
    EXPECT_EQ(store.DeleteRow(sel, 0), 0);
    EXPECT_EQ(store.RowCount(base), 2);
    EXPECT_EQ(store.DeleteRow(sel, 0), 0);  // already empty

    int none = store.OpenSelected("SVDesignTable", "", "NoSuchColumn=x", "");
    EXPECT_EQ(store.RowCount(none), 0);
    ASSERT_EQ(store.Commit(), 0);
    store.Close();

    auto reopened = mk::Storage::Open(path_);
    ASSERT_TRUE(reopened.ok());
    EXPECT_EQ(storetest::Column(*reopened, "SVDesignTable", "SumN"),
              (std::vector<std::string>{"30", "99"}));
}

TEST_F(CruiseStoreTest, DeleteViewRemovesExactlyThatTable) {
    CCruiseStore store(ui_);
    ASSERT_EQ(store.Open(path_), 0);
    // "TreeTable" is also the tail of "SVSelTreeTable": only the table itself goes.
    EXPECT_EQ(store.DeleteView("TreeTable"), 0);
    EXPECT_EQ(store.ViewList(), "GlobalConfigurationTable, SVDesignTable, SVSelTreeTable");
    EXPECT_EQ(store.DeleteView("TreeTable"), -1);
    EXPECT_EQ(store.DeleteView("SVSelTreeTable"), 0);
    EXPECT_EQ(store.Commit(), 0);
    store.Close();
    auto reopened = mk::Storage::Open(path_);
    EXPECT_EQ(reopened->Structure(),
              "GlobalConfigurationTable[Block:S,Key:S,Value:S],"
              "SVDesignTable[Stratum:S,Error:D,SumN:I,Units:S]");
    EXPECT_EQ(storetest::Column(*reopened, "SVDesignTable", "Stratum"),
              (std::vector<std::string>{"2", "1", "3"}));
}

TEST_F(CruiseStoreTest, EveryOperationWithoutStorageReportsMinusTwo) {
    CCruiseStore store(ui_);
    EXPECT_EQ(store.BuildViewList(), -2);
    EXPECT_EQ(store.ReserveSlot("x"), -2);
    EXPECT_EQ(store.DeleteView("x"), -2);
    EXPECT_EQ(store.Commit(), -2);
    EXPECT_EQ(store.OpenView("x"), -2);  // logged, not reported
    EXPECT_EQ(store.CloseViewByName("x"), -1);
    EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{
                               "Internal Error.\nPlease Contact Developer.\nError # -2\n"
                               "Building List of Views",
                               "Internal Error.\nPlease Contact Developer.\nError # -2\n"
                               "In Get View Index",
                               "Internal Error.\nPlease Contact Developer.\nError # -2\n"
                               "Deleting View",
                               "Internal Error.\nPlease Contact Developer.\nError # -2\n"
                               "Committing ata"}));
    EXPECT_EQ(ui_.Messages()[0].icon, ui::Icon::Information);
    ui_.Clear();
    store.ReportError("Done here", 0);
    EXPECT_EQ(ui_.Texts()[0], "Operation completed successfully.\nDone here");
}

TEST(SplitList, OneRowPerPieceUntrimmed) {
    auto v = mk::View::Make("Item:S");
    ASSERT_TRUE(v.ok());
    CCruiseStore::SplitList("A, B,,C", *v);
    ASSERT_EQ(v->RowCount(), 4);
    EXPECT_EQ(v->GetString(1, "Item"), " B");
    EXPECT_EQ(v->GetString(2, "Item"), "");
    CCruiseStore::SplitList("", *v);
    ASSERT_EQ(v->RowCount(), 1);
    EXPECT_EQ(v->GetString(0, "Item"), "");
}

TEST_F(CruiseStoreTest, UpdaterLogAppendsMessageLogRows) {
    CCruiseStore store(ui_, StoreVariant::Updater);
    ASSERT_EQ(store.Open(path_), 0);
    EXPECT_EQ(store.Log("hello", "I", "me on here", "Verlane"), 0);
    EXPECT_EQ(store.Log("again", "W", "", "Verlane"), 0);
    EXPECT_EQ(store.FindView("MessageLog"), -1);  // closed again
    store.Close();
    auto s = mk::Storage::Open(path_);
    EXPECT_EQ(storetest::Column(*s, "MessageLog", "Msg"), (std::vector<std::string>{"hello", "again"}));
    std::string date = storetest::Column(*s, "MessageLog", "Date")[0];
    std::string time = storetest::Column(*s, "MessageLog", "Time")[0];
    EXPECT_EQ(date.size(), 10u);
    EXPECT_EQ(date[2], '/');
    EXPECT_EQ(time.size(), 5u);
    EXPECT_EQ(storetest::Column(*s, "MessageLog", "MsgNum")[0], "");

    // The form variant never logs.
    CCruiseStore form(ui_);
    ASSERT_EQ(form.Open(path_), 0);
    EXPECT_EQ(form.Log("nothing", "I", "", ""), 0);
    form.Close();
    auto s2 = mk::Storage::Open(path_);
    EXPECT_EQ(storetest::Column(*s2, "MessageLog", "Msg").size(), 2u);
}

TEST_F(CruiseStoreTest, RenameColumnKeepsValuesAndDictionaryFollows) {
    storetest::WriteFile(path_, {
        Table{"TreeTable[Tree:S,ContSpec:S,DBH:F]", {{"1", "X1", "10"}, {"2", "X2", "12"}}},
        Table{schema::kDataDictionaryUpdaterDesc,
              {{"TreeTable", "S", "Contract species", "ContSpec", "Y"}}},
    });
    CCruiseStore store(ui_, StoreVariant::Updater);
    ASSERT_EQ(store.Open(path_), 0);
    EXPECT_EQ(store.RenameColumn("TreeTable", "ContSpec", "ContrSpec"), 0);
    ASSERT_EQ(store.Commit(), 0);
    store.Close();
    auto s = mk::Storage::Open(path_);
    EXPECT_EQ(s->Structure("TreeTable"), "Tree:S,ContrSpec:S,DBH:F");
    EXPECT_EQ(storetest::Column(*s, "TreeTable", "ContrSpec"), (std::vector<std::string>{"X1", "X2"}));
    EXPECT_EQ(storetest::Column(*s, "DataDictionary", "ColumnName"),
              (std::vector<std::string>{"ContrSpec"}));
}

TEST(BackupCopy, NamedByVersionBesideTheOriginal) {
    storetest::TempDir dir;
    std::string path = dir.Path("SALE.crz");
    storetest::WriteFile(path, {storetest::ConfigTable("02.20.2007")});
    std::string first = MakeBackupCopy(path, "BAK");
    EXPECT_EQ(first, dir.Path("SALE_v20070220.crz.BAK"));
    EXPECT_EQ(MakeBackupCopy(path, "BAK"), dir.Path("SALE_v20070220.crz.BAK1"));
    EXPECT_EQ(MakeBackupCopy(path, "BAK"), dir.Path("SALE_v20070220.crz.BAK2"));
    EXPECT_EQ(std::filesystem::file_size(first), std::filesystem::file_size(path));

    EXPECT_EQ(VersionAsYmd("2008.12.19"), "20081219");
    // The first dot alone tells the form; other texts never name another folder.
    EXPECT_EQ(VersionAsYmd("01.15/2004"), "20040115");
    EXPECT_EQ(BackupCopyName(dir.Path("B.crz"), "../x", "BAK"), dir.Path("B_v.._x.crz.BAK"));
    EXPECT_EQ(BackupCopyName(dir.Path("B.crz"), "", "BAK"), dir.Path("B_vUnknown.crz.BAK"));
    EXPECT_EQ(MakeBackupCopy(dir.Path("absent.crz"), "BAK"), "");
}

}  // namespace
