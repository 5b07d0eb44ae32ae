// The user guide's walk-through, step by step as it tells the forester to work, on the
// forms the windows show: the example sale from an empty file to the field file. Then
// the windows of the guide on that design (the pictures of the guide, saved into
// STROVAN_SCREENSHOT_DIR when it is set), and the help window itself.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/bundled_files.h"
#include "app/costs_dialog.h"
#include "app/main_dialog.h"
#include "app/step_hooks.h"
#include "app/user_guide.h"
#include "conventions.h"
#include "costs_window.h"
#include "new_cruise_window.h"
#include "report_window.h"
#include "design/design_form.h"
#include "design/workspace.h"
#include "design_form_window.h"
#include "help_window.h"
#include "main_window.h"
#include "output/field_file_forms.h"
#include "qt_ui.h"
#include "reports/report_window.h"
#include "setup/setup_session.h"
#include "setup/strata_definition.h"
#include "setup_windows.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "strata_windows.h"
#include "ui/forms.h"
#include "ui/scripted_ui.h"

namespace {

// The letters the guide has the forester type down the sample-group columns.
const std::string kLetters = "ABCDEFGHJKLMNPQRSTUVWXYZ";

struct Stratum {
    const char* code;
    std::vector<std::string> units;
    const char* method;  // chosen in the design form ("100" stays)
};
const Stratum kStrata[] = {{"1", {"1", "2", "3", "4", "5", "6"}, "PNT"},
                           {"2", {"7", "8", "9", "10"}, "FIX"},
                           {"3", {"11", "12"}, "100"}};

QString ShotPath(const QString& name) {
    QString dir = qEnvironmentVariable("STROVAN_SCREENSHOT_DIR");
    return (dir.isEmpty() ? QString(STROVAN_BINARY_DIR) : dir) + "/" + name;
}

// A window of a step, on the step's own form, as the forester sees it at that point.
bool Shot(QWidget& w, const QString& name, QSize size = {}) {
    if (size.isValid()) w.resize(size);
    w.show();
    QTest::qWait(30);
    return w.grab().save(ShotPath(name));
}

}  // namespace

class GuideTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void WalkthroughReproducesTheExampleDesign();
    void WindowsOfTheGuideOnTheExampleDesign();
    void HelpWindowOpensTheFormsSectionAndSearches();

private:
    QTemporaryDir dir_;
    std::string crz_, field_, summary_;
    std::vector<ui::RecordedMessage> messages_;
    double sale_error_ = 0, cost_ = 0;
};

void GuideTest::initTestCase() {
    // The pictures show the windows as the program shows them, Alt letters included.
    gui::InstallWindowConventions();
    QVERIFY(dir_.isValid());
    crz_ = dir_.filePath("54321_design.crz").toStdString();
    field_ = dir_.filePath("54321.crz").toStdString();
    summary_ = dir_.filePath("summary.txt").toStdString();
}

void GuideTest::WalkthroughReproducesTheExampleDesign() {
    const std::string setup = app::BundledFile("setup/default.stp"), svz = app::BundledFile("examples/sale.svz");
    QVERIFY(!setup.empty() && !svz.empty());
    ui::ScriptedUi ui;
    app::HookedSteps steps(ui);
    app::CMainDialog main(ui, &steps);
    main.OnInitDialog();

    // 1. Create a New Cruise File: Browse for default.stp, sale 54321 "Cedar Flats", unit 03.
    ui.PushFileName(setup);
    ui.PushFileName(crz_);
    bool shot = false;
    ui.PushNewCruise(ui::ScriptedUi::Submit([&shot](ui::NewCruiseForm& f) {
        f.OnBrowse();
        f.Fields().sale_no = "54321";
        f.Fields().sale_name = "Cedar Flats";
        f.OnUnitChosen("03");
        gui::NewCruiseWindow w(f);
        shot = Shot(w, "new-cruise.png");
    }));
    QVERIFY(main.OnCreate());
    QVERIFY(shot);

    // 2. Establish Strata and Sample Groups: File, Import .SVZ File; then STRATA SETUP
    // FORM, one stratum per group of recon units, its items all picked, the sample
    // groups lettered A, B, C ... down both columns; Return; RETURN.
    ui.PushFormAs<setup::StrataDefinitionsForm>(setup::StrataDefinitionsForm::kId, [&](setup::StrataDefinitionsForm& f) {
        ui.PushFileName(svz);
        if (f.ImportFile() != 0) return false;
        ui.PushFormAs<setup::StrataForm>(setup::StrataForm::kId, [&](setup::StrataForm& s) {
            for (const Stratum& st : kStrata) {
                if (s.code != st.code) return false;  // the form offers the next code itself
                auto& units = s.Units();
                for (int r = 0; r < units.RowCount(); ++r) {
                    const std::string unit = units.Text(r, units.FindColumn("CutUnit"));
                    // The units of the stratum before stay ticked: Unselect All first.
                    s.PickUnit(r, std::find(st.units.begin(), st.units.end(), unit) != st.units.end());
                }
                auto& items = s.Items();
                for (int r = 0; r < items.RowCount(); ++r)
                    if (!s.ItemHidden(r) && !items.ReadOnly(r, items.FindColumn("Select"))) s.PickItem(r, true);
                if (std::string(st.code) == "2") {
                    gui::StrataFormWindow w(s);
                    shot = Shot(w, "strata-form.png", {900, 720});
                }
                ui.PushFormAs<setup::PopulationsForm>(setup::PopulationsForm::kId, [&](setup::PopulationsForm& p) {
                    auto& g = p.Grid();
                    for (int r = 0; r < g.RowCount(); ++r) {
                        const std::string letter(1, kLetters[r]);
                        g.SetText(r, "SgTree", letter);
                        g.SetText(r, "SgPlot", letter);
                    }
                    if (std::string(st.code) == "1") {
                        gui::PopulationsWindow w(p);
                        shot = shot && Shot(w, "sample-groups-form.png", {760, 360});
                    }
                    return p.Accept();
                });
                if (!s.DefineSampleGroups()) return false;
            }
            return true;
        });
        return f.SetupForm() == 0;
    });
    main.OnEstablishStrata();

    // 3. Define Relative Cruising Costs.
    QVERIFY(shot);
    ui.PushCosts([&](ui::CostsForm& f) {
        f.Values() = {"90", "6", "12", "90", "250", "80", "15", "14.50", "60"};
        gui::CostsWindow w(f);
        shot = Shot(w, "costs.png");
        return f.OnOk();
    });
    QVERIFY(main.OnCosts());
    QVERIFY(shot);

    // 4. Strovan Processing: the design form. Change Cruise Method of strata 1 and 2,
    // Optimize For Error at 10 %, Make Report (Strovan Summary, File Save), Make
    // Kelvane (54321.crz, no recon plots), Return.
    bool designed = false;
    ui.PushFormAs<design::DesignForm>(design::kDesignFormId, [&](design::DesignForm& f) {
        design::DesignWorkspace& ws = f.Workspace();
        for (std::size_t i = 0; i < std::size(kStrata); ++i) {
            if (std::string(kStrata[i].method) == "100") continue;
            const std::string method = kStrata[i].method;
            ui.PushFormAs<design::MethodSelectionForm>(design::kSelectMethodFormId,
                                                        [method](design::MethodSelectionForm& m) {
                                                            return m.TickMethod(method);
                                                        });
            if (ws.ChangeCruiseMethod(i) != design::kWsDone) return false;
        }
        ws.targetError = "10";
        if (ws.OptimizeForError() != design::kWsDone) return false;
        {
            gui::DesignFormWindow w(ws);
            w.resize(1180, 640);
            w.UpdateChartNow();
            if (!Shot(w, "design-form.png") || w.findChild<QLineEdit*>()->text().trimmed() != "9.6") return false;
        }
        sale_error_ = ws.Totals().error;
        cost_ = ws.Totals().cost;

        ui.PushFormAs<reports::ReportChooserForm>(reports::ReportChooserForm::kId, [](reports::ReportChooserForm& c) {
            c.choice = reports::ReportKind::Summary;
            return true;
        });
        ui.PushFormAs<reports::ReportWindowForm>(reports::ReportWindowForm::kId, [&](reports::ReportWindowForm& r) {
            gui::ReportWindow w(r);
            shot = Shot(w, "report-summary.png", {820, 640});
            ui.PushFileName(summary_);
            return r.Save();
        });
        ws.MakeReport();

        ui.PushFileName(field_);
        ui.PushNewCruise(ui::ScriptedUi::Submit([](ui::NewCruiseForm& n) { n.OnPurposeChosen("Timber Sale"); }));
        ui.PushFormAs<output::ReconStrataForm>(output::ReconStrataForm::kId, [](output::ReconStrataForm&) { return true; });
        ws.MakeKelvane();
        designed = ws.Return() == design::kWsDone;
        return designed;
    });
    main.OnDesignProcessing();
    messages_ = ui.Messages();
    QVERIFY(designed);
    QVERIFY(shot);

    // The example design: sale error 9.55 % (shown as 9.6), cost $8,790.
    QCOMPARE(sale_error_, 9.55);
    QCOMPARE(cost_, 8790.0);
    QVERIFY(std::filesystem::file_size(field_) > 0);
    std::ifstream text(summary_);
    std::stringstream s;
    s << text.rdbuf();
    QVERIFY(s.str().find("Sale Error") != std::string::npos);
    QVERIFY(s.str().find("9.6") != std::string::npos);
    bool created = false;
    for (const auto& m : messages_) created = created || m.text.find("Has Been Created") != std::string::npos;
    QVERIFY(created);
}

// The windows the guide shows, on the design the walk-through made.
void GuideTest::WindowsOfTheGuideOnTheExampleDesign() {
    QVERIFY(std::filesystem::exists(crz_));
    ui::ScriptedUi ui;
    {
        app::CMainDialog logic(ui);
        logic.SetFilePath(crz_);
        logic.OnInitDialog();
        gui::MainWindow w(logic);
        QVERIFY(Shot(w, "main-window.png"));
    }
    // The whole sale's setup table, as STRATA SETUP TABLE shows it after the walk-through.
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(crz_), 0);
    {
        setup::PopulationsForm form(ui, store, schema::kSVSummaryTable, true);
        QCOMPARE(form.Grid().RowCount(), 63);
        gui::PopulationsWindow w(form);
        QVERIFY(Shot(w, "populations-form.png", {900, 520}));
    }
    store.Close();
}

void GuideTest::HelpWindowOpensTheFormsSectionAndSearches() {
    app::UserGuide guide;
    QVERIFY(guide.Load(app::DataDir() / "guide"));
    gui::HelpWindow w(guide);
    w.resize(1000, 640);
    QVERIFY(w.ShowTopic(app::HelpTopic(ui::kHelpCosts)));
    const app::GuideSection& costs = guide.Sections()[w.CurrentSection()];
    QCOMPARE(QString::fromStdString(costs.anchor), QString("relative-cruising-costs"));
    QVERIFY(w.Contents()->currentItem());
    QCOMPARE(w.Contents()->currentItem()->text(0), QString::fromStdString(costs.title));
    QVERIFY(Shot(w, "help-window.png"));
    // Headings nest by level: the four subsections of the populations form are its
    // children, side by side.
    const auto found = w.Contents()->findItems("The populations form", Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0]->parent()->text(0), QString("Strata and sample groups"));
    QCOMPARE(found[0]->childCount(), 4);
    QVERIFY(w.Page()->verticalScrollBar()->value() > 0);  // the page is scrolled to the section

    // A search lists the sections holding every word; choosing one shows it.
    w.SearchField()->setText("Student");
    QVERIFY(w.Contents()->topLevelItemCount() > 0);
    QTreeWidgetItem* first = w.Contents()->topLevelItem(0);
    w.Contents()->setCurrentItem(first);
    const std::string& text = guide.Sections()[w.CurrentSection()].text;
    QVERIFY(QString::fromStdString(text).contains("Student", Qt::CaseInsensitive));
    QVERIFY(!w.Page()->extraSelections().isEmpty());
    w.SearchField()->setText("zzzz-nothing");
    QCOMPARE(w.Contents()->topLevelItemCount(), 1);
    QVERIFY(!(w.Contents()->topLevelItem(0)->flags() & Qt::ItemIsEnabled));

    // The context of a window is its form's, or its owner's; F1 anywhere in it opens
    // the guide there.
    QDialog plain;
    QCOMPARE(gui::HelpContextOf(&plain), ui::kHelpMain);
    gui::QtUi qt;
    ui::ScriptedUi scripted;
    app::CCostsDialog costs_form(scripted);
    gui::CostsWindow window(costs_form);
    QDialog owned(&window);
    QCOMPARE(gui::HelpContextOf(&owned), ui::kHelpCosts);
    window.show();
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* help = qobject_cast<gui::HelpWindow*>(QApplication::activeModalWidget());
        QVERIFY(help);
        shown = help->Contents()->currentItem()->text(0);
        help->close();
    });
    QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, Qt::Key_F1);
    QCOMPARE(shown, QString("Relative cruising costs"));
}

QTEST_MAIN(GuideTest)
#include "guide_test.moc"
