#include <gtest/gtest.h>

#include <memory>

#include "design/saved_designs.h"
#include "design/workspace.h"
#include "store/cruise_store.h"
#include "workspace_fixture.h"

using namespace design;
using wstest::DumpAll;

namespace {

TEST(SavedDesignsForm, ChecksTheIdBeforeClosing) {
    ui::ScriptedUi ui;
    SavedDesignsForm save(ui, DesignsMode::Save, {"Base", "Cheap", "base"});
    EXPECT_EQ(save.ActionText(), "Save");
    EXPECT_FALSE(save.OnAction());
    EXPECT_EQ(ui.Last()->text, "No Design ID Provided.");
    EXPECT_EQ(ui.Last()->title, "Warning");
    EXPECT_EQ(ui.Last()->icon, ui::Icon::Exclamation);
    // A different letter case is the same ID: the last match is asked about.
    save.id = "BASE";
    ui.PushQuestionAnswer(false);
    EXPECT_FALSE(save.OnAction());
    EXPECT_EQ(ui.Last()->kind, "question");
    EXPECT_EQ(ui.Last()->text, "\r\n\r\nDesign ID Exists.\r\n\r\n  Do you want to replace it?");
    EXPECT_EQ(save.Result(), kDesignCancelled);
    ui.PushQuestionAnswer(true);
    EXPECT_TRUE(save.OnAction());
    EXPECT_EQ(save.Result(), 2);
    SavedDesignsForm fresh(ui, DesignsMode::Save, {"Base"});
    fresh.id = "Other";
    EXPECT_TRUE(fresh.OnAction());
    EXPECT_EQ(fresh.Result(), kNewDesign);

    SavedDesignsForm load(ui, DesignsMode::Load, {"Base", "Cheap"});
    EXPECT_EQ(load.ActionText(), "Load");
    load.id = "nothing";
    EXPECT_FALSE(load.OnAction());
    EXPECT_EQ(ui.Last()->text, "Design ID Not Found.");
    load.Pick(1);
    EXPECT_EQ(load.id, "Cheap");
    load.Pick(7);
    EXPECT_EQ(load.id, "Cheap");
    EXPECT_TRUE(load.OnAction());
    EXPECT_EQ(load.Result(), 1);

    SavedDesignsForm remove(ui, DesignsMode::Remove, {"Base", "Cheap"});
    remove.id = "cheap";
    ui.PushQuestionAnswer(false);
    EXPECT_FALSE(remove.OnAction());
    EXPECT_EQ(ui.Last()->text, "\r\n\r\nDo you wish to delete selected design?");
    ui.PushQuestionAnswer(true);
    EXPECT_TRUE(remove.OnAction());
    EXPECT_EQ(remove.Result(), 1);
}

TEST(SavedDesignsForm, ANewIdIsNeverARowNumber) {
    ui::ScriptedUi ui;
    std::vector<std::string> ids;
    for (int i = 0; i < 1001; ++i) ids.push_back("D" + std::to_string(i));
    SavedDesignsForm save(ui, DesignsMode::Save, ids);
    save.id = "D1001";
    ASSERT_TRUE(save.OnAction());
    EXPECT_EQ(save.Result(), kNewDesign);
    save.id = "d999";
    ASSERT_TRUE(save.OnAction());
    EXPECT_EQ(save.Result(), 999);
}

class SavedDesignsTest : public ::testing::Test {
protected:
    wstest::TempDir dir;
    std::string path = dir.Path("sale.crz");
    ui::ScriptedUi ui;
    std::unique_ptr<store::CCruiseStore> store;
    std::unique_ptr<DesignWorkspace> ws;

    void SetUp() override {
        wstest::WriteSale(path, wstest::DefaultSale());
        store = std::make_unique<store::CCruiseStore>(ui);
        ASSERT_EQ(store->Open(path), 0);
        ws = std::make_unique<DesignWorkspace>(ui, *store, WorkspaceInputs{0, wstest::kCosts, "01", "10", path});
        ASSERT_EQ(ws->Open(), 0);
        ws->displayDataWarnings = false;
    }
    void TearDown() override {
        ws.reset();
        if (store->IsOpen()) store->Close();
    }
    mk::Storage& S() { return *store->Storage(); }
    void Dialog(const std::string& id, bool confirm = true) {
        ui.PushFormAs<SavedDesignsForm>(kSavedDesignsFormId, [id, confirm, this](SavedDesignsForm& f) {
            f.id = id;
            ui.PushQuestionAnswer(confirm);
            return f.OnAction();
        });
    }
};

TEST_F(SavedDesignsTest, LoadAndRemoveWithoutSavedDesigns) {
    EXPECT_EQ(ws->LoadDesign(), kWsRefused);
    EXPECT_EQ(ui.Last()->text, "No Saved Designs");
    EXPECT_EQ(ui.Last()->title, "Warning");
    EXPECT_EQ(ws->RemoveDesign(), kWsRefused);
    EXPECT_EQ(ui.Last()->text, "No Saved Designs");
    EXPECT_EQ(ui.PendingForms(kSavedDesignsFormId), 0u);
}

TEST_F(SavedDesignsTest, SaveChangeAndLoadBringsTheTablesBack) {
    Dialog("Base");
    ASSERT_EQ(ws->SaveDesign(), kWsDone);
    EXPECT_EQ(ui.Last()->text, "Design specifications have been saved.");
    EXPECT_EQ(ui.Last()->title, "Information");
    EXPECT_EQ(ws->SavedDesignIds(), std::vector<std::string>{"Base"});
    auto saved = DumpAll(S());

    ASSERT_EQ(ws->SelectStratum(1), kWsDone);
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "88"), kWsDone);
    ui.PushFormAs<MethodSelectionForm>(kSelectMethodFormId, [](MethodSelectionForm& f) { return f.TickMethod("PCM"); });
    ASSERT_EQ(ws->ChangeCruiseMethod(1), kWsDone);
    auto changed = DumpAll(S());
    ASSERT_NE(changed, saved);

    Dialog("base");
    ASSERT_EQ(ws->LoadDesign(), kWsDone);
    EXPECT_EQ(ui.Last()->text, "Design specifications have been loaded.");
    auto loaded = DumpAll(S());
    for (const char* t : {schema::kSVDesignTable, schema::kSVMethodsTable, schema::kSVSummaryTable,
                          schema::kSVStrataTable})
        EXPECT_EQ(loaded[t], saved[t]) << t;
    // The workspace shows the loaded design on the stratum it had selected.
    EXPECT_EQ(ws->Selected(), 1);
    EXPECT_EQ(ws->Model().strata[1].cruzMeth, "PNT");
    EXPECT_EQ(ws->Totals().error, SaleErrorAndCost(ws->Model().strata).error);
    mk::View d = S().GetView(schema::kSVDesignSgTable);
    EXPECT_EQ(d.RowCount(), static_cast<int>(ws->Model().groups.size()));
    // Loading can be undone like any change.
    ASSERT_EQ(ws->Undo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), changed);
}

TEST_F(SavedDesignsTest, BigBafFollowsTheLoadedSizes) {
    ui.PushFormAs<MethodSelectionForm>(kSelectMethodFormId, [](MethodSelectionForm& f) { return f.TickMethod("PCM"); });
    ASSERT_EQ(ws->ChangeCruiseMethod(1), kWsDone);
    Dialog("Pcm");
    ASSERT_EQ(ws->SaveDesign(), kWsDone);
    // Another design's big BAF sits in the rows before the load.
    mk::View g = S().GetView(schema::kSVDesignSgTable);
    for (int r = 0; r < g.RowCount(); ++r) g.SetDouble(r, "BigBaf", 555);
    Dialog("PCM");
    ASSERT_EQ(ws->LoadDesign(), kWsDone);
    for (const SgRow* row : ws->GroupsOfStratum(1))
        EXPECT_EQ(row->bigBaf, std::trunc(SafeDiv(10.0 * row->sgN * 20 * row->treesPlot, row->sgN2)) / 10);
    for (const SgRow* row : ws->GroupsOfStratum(0)) EXPECT_EQ(row->bigBaf, 0);
    mk::View ms = S().GetView(schema::kSVMethodsSgTable);
    for (int r = 0; r < ms.RowCount(); ++r) {
        if (ms.GetString(r, "CruzMeth") != "PCM") EXPECT_EQ(ms.GetDouble(r, "BigBaf"), 0);
        else EXPECT_GT(ms.GetDouble(r, "BigBaf"), 0);
    }
}

TEST_F(SavedDesignsTest, ReplacingAsksFirstAndKeepsTheOldId) {
    Dialog("Base");
    ASSERT_EQ(ws->SaveDesign(), kWsDone);
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "91"), kWsDone);
    auto before = DumpAll(S());
    // Declined: the dialog stays open and the user then cancels it.
    ui.PushFormAs<SavedDesignsForm>(kSavedDesignsFormId, [this](SavedDesignsForm& f) {
        f.id = "BASE";
        ui.PushQuestionAnswer(false);
        return f.OnAction();
    });
    EXPECT_EQ(ws->SaveDesign(), kWsCancelled);
    mk::View saved = S().GetView(schema::kSVSaveDesignTable);
    EXPECT_NE(saved.GetSubview(0, "SgView").GetDouble(0, "SgCV"), 91);
    Dialog("BASE");
    ASSERT_EQ(ws->SaveDesign(), kWsDone);
    saved = S().GetView(schema::kSVSaveDesignTable);
    ASSERT_EQ(saved.RowCount(), 1);
    EXPECT_EQ(saved.GetString(0, "ID"), "Base");
    EXPECT_EQ(saved.GetSubview(0, "SgView").GetDouble(0, "SgCV"), 91);
    EXPECT_EQ(saved.GetSubview(0, "MethSgView").RowCount(), S().GetView(schema::kSVMethodsSgTable).RowCount());
    EXPECT_EQ(DumpAll(S()), before);
}

TEST_F(SavedDesignsTest, RemoveDeletesTheConfirmedRow) {
    Dialog("One");
    ASSERT_EQ(ws->SaveDesign(), kWsDone);
    Dialog("Two");
    ASSERT_EQ(ws->SaveDesign(), kWsDone);
    Dialog("one", false);
    EXPECT_EQ(ws->RemoveDesign(), kWsCancelled);
    EXPECT_EQ(ws->SavedDesignIds().size(), 2u);
    Dialog("one");
    ASSERT_EQ(ws->RemoveDesign(), kWsDone);
    EXPECT_EQ(ws->SavedDesignIds(), std::vector<std::string>{"Two"});
    // Committed.
    store->Close();
    auto reread = mk::Storage::Open(path);
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(SavedDesignIds(*reread), std::vector<std::string>{"Two"});
}

}  // namespace
