// The real program, driven offscreen through every form that opens another: each form
// is left by each of its ways out (OK, Cancel, Return, Exit, the close button,
// Escape), and after each the form that opened it must be shown, modal, in front
// and answering the mouse and the keyboard. Input goes through the window system,
// as a user's would, so a window blocked by a lost modal form cannot take it.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <map>

#include "app/main_dialog.h"
#include "app/step_hooks.h"
#include "conventions.h"
#include "grid_widget.h"
#include "main_window.h"
#include "mk/mk.h"
#include "qt_ui.h"
#include "setup/import_svz.h"
#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "ui/scripted_ui.h"

namespace {

QString Plain(QString text) { return text.remove('&'); }

// The title a step waits for; kMain stands for the main window, whose title changes
// with the file it holds.
const QString kMain = "<main window>";
bool Matches(QWidget* w, const QString& title) {
    return title == kMain ? w->property("mainWindow").toBool() : w->windowTitle() == title;
}

// What every window of the program owes the user, checked on each window the walk
// meets: it lies within the available screen, and its buttons, menus and menu items
// carry mnemonics that differ within each. Qt's own file and print dialogs are Qt's.
QStringList Conventions(QWidget* w) {
    QStringList problems;
    if (qobject_cast<QFileDialog*>(w) || qobject_cast<QPrintDialog*>(w)) return problems;
    const QRect screen = w->screen()->availableGeometry();
    if (!screen.contains(w->frameGeometry()))
        problems << QString("%1 x %2 at (%3, %4) is not within the screen's %5 x %6")
                        .arg(w->frameGeometry().width())
                        .arg(w->frameGeometry().height())
                        .arg(w->frameGeometry().x())
                        .arg(w->frameGeometry().y())
                        .arg(screen.width())
                        .arg(screen.height());
    auto unique = [&](const QStringList& texts, const QString& where) {
        QSet<QChar> seen;
        for (const QString& t : texts) {
            QChar m = gui::MnemonicOf(t);
            if (m.isNull()) problems << where + ": \"" + t + "\" has no mnemonic";
            else if (seen.contains(m)) problems << where + ": \"" + t + "\" repeats Alt+" + m;
            seen.insert(m);
        }
    };
    QStringList top;
    std::function<void(QMenu*)> menu = [&](QMenu* m) {
        QStringList items;
        for (QAction* a : m->actions()) {
            if (a->isSeparator() || !a->isVisible()) continue;
            items << a->text();
            if (a->menu()) menu(a->menu());
        }
        unique(items, "menu " + Plain(m->title()));
    };
    for (QMenuBar* bar : w->findChildren<QMenuBar*>())
        for (QAction* a : bar->actions()) {
            top << a->text();
            if (a->menu()) menu(a->menu());
        }
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        if (b->window() == w && !b->text().isEmpty() && b->isVisible()) top << b->text();
    unique(top, "buttons and menus");
    for (QString& p : problems) p = w->windowTitle() + ": " + p;
    return problems;
}

// Plays a user through nested modal forms: each step waits until the window in front
// carries its title, then acts on it. Every action runs from a timer of its own, so
// the driver goes on ticking inside the nested exec() an action starts.
class Driver {
public:
    using Act = std::function<void(QWidget* front)>;

    void Then(const QString& title, Act act) { steps_.push_back({title, std::move(act)}); }
    void Fail(const QString& what) { failures << QString("step %1: %2").arg(next_).arg(what); }

    // The main window is no modal form (it shows before it runs), so it is in front
    // when no form is.
    void Start(QDialog* main) {
        main_ = main;
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(20);
    }
    bool Finished() const { return next_ >= steps_.size() && !aborting_; }

    QStringList failures;

private:
    struct Step {
        QString title;
        Act act;
    };

    void Tick() {
        QWidget* front = QApplication::activeModalWidget();
        if (!front && main_ && main_->isVisible()) front = main_;
        if (aborting_) {
            // Out of every form, whatever its own buttons would do, so the test ends.
            if (qEnvironmentVariableIsSet("STROVAN_TRACE")) qInfo("abort: %s", front ? qPrintable(front->windowTitle()) : "none");
            if (auto* d = qobject_cast<QDialog*>(front)) d->QDialog::done(QDialog::Rejected);
            if (!front) timer_.stop();
            return;
        }
        // An action whose window has closed is still on its way out (a key click
        // processes events): nothing new starts until it has returned.
        bool settling = false;
        for (const QPointer<QWidget>& w : running_) settling = settling || !w || !w->isVisible();
        if (next_ >= steps_.size()) {
            if (!settling) timer_.stop();
            return;
        }
        const Step& s = steps_[next_];
        if (!settling && front && front->isVisible() && Matches(front, s.title)) {
            if (qEnvironmentVariableIsSet("STROVAN_TRACE")) qInfo("step %zu: %s", next_, qPrintable(s.title));
            if (!inspected_.contains(front->windowTitle())) {
                inspected_.insert(front->windowTitle());
                for (const QString& p : Conventions(front)) Fail(p);
            }
            ++next_;
            clock_.restart();
            QPointer<QWidget> at = front;
            QTimer::singleShot(0, [this, act = s.act, at] {
                if (!at) return;
                running_.push_back(at);
                act(at);
                running_.pop_back();
            });
            return;
        }
        if (clock_.elapsed() > 8000) {
            QString seen = front ? front->windowTitle() : "nothing";
            if (auto* box = qobject_cast<QMessageBox*>(front)) seen += " (" + box->text() + ")";
            for (const QPointer<QWidget>& w : running_)
                if (w && !w->isVisible()) seen += "; " + w->windowTitle() + " vanished under a form it opened";
            failures << QString("step %1: waited for \"%2\"; in front: \"%3\"").arg(next_).arg(s.title, seen);
            aborting_ = true;
        }
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    QElapsedTimer clock_;
    QTimer timer_;
    QPointer<QDialog> main_;
    std::vector<QPointer<QWidget>> running_;  // actions under way, innermost last
    QSet<QString> inspected_;
    bool aborting_ = false;
};

// Sees the events that reach a window through the window system.
struct Probe : QObject {
    bool key = false, mouse = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) key = true;
        if (e->type() == QEvent::MouseMove) mouse = true;
        return false;
    }
};

// Empty when the window is shown, modal, in front and takes the mouse and the keyboard.
QString Alive(QWidget* w) {
    if (!w->isVisible() || w->isMinimized()) return w->windowTitle() + " is not shown";
    // The main window runs modally but shows before it does, so only the forms count
    // as modal windows.
    const bool main = w->property("mainWindow").toBool();
    if (QApplication::activeModalWidget() != (main ? nullptr : w)) return w->windowTitle() + " is not in front";
    if (!main && !w->isModal()) return w->windowTitle() + " is not modal";
    QWindow* window = w->windowHandle();
    Probe probe;
    window->installEventFilter(&probe);
    static int nudge = 0;
    nudge = (nudge + 1) % 5;
    QTest::mouseMove(window, QPoint(w->width() / 2 + nudge, w->height() - 4));
    QTest::keyClick(window, Qt::Key_Shift);
    window->removeEventFilter(&probe);
    if (!probe.mouse || !probe.key)
        return w->windowTitle() + " does not answer " + (probe.key ? "the mouse" : "the keyboard");
    return {};
}

QAbstractButton* FindButton(QWidget* front, const QString& text) {
    for (QAbstractButton* b : front->findChildren<QAbstractButton*>())
        if (Plain(b->text()) == text && b->isVisible() && b->window() == front) return b;
    return nullptr;
}

// A click as the window system delivers it.
void Click(Driver& d, QWidget* front, const QString& text) {
    QAbstractButton* b = FindButton(front, text);
    if (!b) return d.Fail("no button \"" + text + "\" in " + front->windowTitle());
    QTest::mouseClick(front->windowHandle(), Qt::LeftButton, {}, b->mapTo(front, b->rect().center()));
}

void Trigger(Driver& d, QWidget* front, const QString& menu, const QString& item) {
    for (QMenuBar* bar : front->findChildren<QMenuBar*>())
        for (QAction* m : bar->actions())
            if (Plain(m->text()) == menu && m->menu())
                for (QAction* a : m->menu()->actions())
                    if (Plain(a->text()) == item) return a->trigger();
    d.Fail("no menu item " + menu + " > " + item + " in " + front->windowTitle());
}

// An item of the right-click menu on a cell of the window's grid that has the column.
void RightClick(Driver& d, QWidget* front, const char* column, int row, const QString& item) {
    gui::GridWidget* grid = nullptr;
    for (gui::GridWidget* g : front->findChildren<gui::GridWidget*>())
        if (g->Grid().FindColumn(column) >= 0) grid = g;
    if (!grid) return d.Fail(QString("no grid with ") + column + " in " + front->windowTitle());
    std::unique_ptr<QMenu> menu(grid->BuildContextMenu(grid->model()->index(row, grid->Grid().FindColumn(column))));
    QStringList offered;
    if (menu)
        for (QAction* a : menu->actions()) {
            if (Plain(a->text()) == item) return a->trigger();
            offered << Plain(a->text());
        }
    d.Fail("no right-click item " + item + " in " + front->windowTitle() + " (" + offered.join(", ") + ")");
}

void Escape(QWidget* front) { QTest::keyClick(front->windowHandle(), Qt::Key_Escape); }
// The window's close button: the window system's close request.
void CloseBox(QWidget* front) { front->windowHandle()->close(); }

void ExpectAlive(Driver& d, QWidget* w) {
    QString why = Alive(w);
    if (!why.isEmpty()) d.Fail(why);
}

// The example sale: created as Create does, its recon imported and grouped into
// three strata with sample groups, ready for design processing.
std::string MakeSale(const QTemporaryDir& dir) {
    ui::ScriptedUi ui;
    std::string stp = dir.filePath("default.stp").toStdString();
    std::string path = dir.filePath("sale.crz").toStdString();
    if (!QFile::copy(STROVAN_SOURCE_DIR "/data/setup/default.stp", QString::fromStdString(stp))) return {};
    ui.PushFileName(stp);
    ui.PushFileName(path);
    ui.PushNewCruise(ui::ScriptedUi::Submit([](ui::NewCruiseForm& f) {
        f.OnBrowse();
        f.Fields().sale_no = "54321";
        f.Fields().sale_name = "Cedar Flats";
        f.OnUnitChosen("03");
    }));
    app::CMainDialog creator(ui);
    if (!creator.OnCreate()) return {};
    if (setup::ImportSvz(ui, path, STROVAN_SOURCE_DIR "/examples/sale.svz") != 0) return {};
    store::CCruiseStore store(ui);
    if (store.Open(path) != 0) return {};
    setup::PrepareWorkTables(*store.Storage(), ui, setup::PrepareVariant::Table);
    {
        setup::PopulationsForm form(ui, store, "SVSummaryTable", true);
        auto& g = form.Grid();
        // Sample group codes are two characters: one per species and product.
        std::map<std::string, std::string> codes;
        for (int r = 0; r < g.RowCount(); ++r) {
            int unit = std::atoi(g.Text(r, g.FindColumn("CutUnit")).c_str());
            const std::string prod = g.Text(r, g.FindColumn("Prod"));
            auto [it, fresh] = codes.emplace(g.Text(r, g.FindColumn("Species")) + "/" + prod, "");
            if (fresh) it->second = std::to_string(10 + codes.size());
            g.SetText(r, "Stratum", unit <= 6 ? "1" : unit <= 10 ? "2" : "3");
            g.SetText(r, "SgTree", it->second);
            g.SetText(r, "SgPlot", prod.substr(prod.size() > 2 ? prod.size() - 2 : 0));
        }
        if (!form.Accept()) {
            qWarning("%s", ui.Texts().empty() ? "refused" : ui.Texts().back().c_str());
            return {};
        }
    }
    store::SetSetting(*store.Storage(), "Strovan", "UpdateFlag", "Y");
    store.Storage()->Commit();
    store.Close();
    return path;
}

// The program as main() runs it, on a file.
struct Program {
    gui::QtUi ui;
    app::HookedSteps steps{ui};
    app::CMainDialog logic{ui, &steps};
    std::unique_ptr<gui::MainWindow> window;

    explicit Program(const std::string& path) {
        gui::InstallWindowConventions();
        logic.SetFilePath(path);
        window = std::make_unique<gui::MainWindow>(logic);
        window->setProperty("mainWindow", true);
        ui.SetMainWindow(window.get());
        window->show();
        logic.OnInitDialog();
        window->Refresh();
    }
    // Runs the main window until the driver's user leaves it; the driver's failures.
    QStringList Run(Driver& d) {
        d.Start(window.get());
        window->exec();
        if (!d.Finished()) d.failures << "the script did not finish";
        return d.failures;
    }
};

const QString kDefinitions = "Setup Strata Definitions";
const QString kPopulations = setup::kPopulationsTitle;
const QString kStrataForm = "Define Strata and Sample Groups";

// One way out of a form: how, and whether the form closes by it.
struct Way {
    QString name;
    std::function<void(Driver&, QWidget*)> leave;
    bool closes = true;
};

Way ByButton(const QString& text) {
    return {text, [text](Driver& d, QWidget* w) { Click(d, w, text); }};
}
Way ByMenu(const QString& menu, const QString& item) {
    return {menu + " > " + item, [menu, item](Driver& d, QWidget* w) { Trigger(d, w, menu, item); }};
}
Way ByEscape(bool closes = true) {
    return {"Escape", [](Driver&, QWidget* w) { Escape(w); }, closes};
}
Way ByCloseBox() {
    return {"close button", [](Driver&, QWidget* w) { CloseBox(w); }};
}
std::vector<Way> dismiss_file() { return {ByButton("Cancel"), ByEscape(), ByCloseBox()}; }

// For each way out: from `parent`, `open` the child (titled `child`), leave it that
// way, and find the parent alive again. A way that leaves the child open is followed
// by the next one on the same child.
void EveryWayOut(Driver& d, const QString& parent, const QString& child, std::function<void(Driver&, QWidget*)> open,
                 const std::vector<Way>& ways) {
    bool open_now = false;
    for (const Way& way : ways) {
        if (!open_now)
            d.Then(parent, [&d, open](QWidget* w) {
                ExpectAlive(d, w);
                open(d, w);
            });
        d.Then(child, [&d, way](QWidget* w) { way.leave(d, w); });
        open_now = !way.closes;
        if (!way.closes)
            d.Then(child, [&d](QWidget* w) {
                if (!w->isVisible()) d.Fail(w->windowTitle() + " closed on Escape");
            });
    }
    d.Then(parent, [&d](QWidget* w) { ExpectAlive(d, w); });
}

}  // namespace

class NestedFormsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void SetupFormsGiveBackTheDialogAndTheMainWindow();
    void PopulationsCommandsGiveBackThePopulationsForm();
    void DesignFormAndItsFormsGiveBackTheirParents();
    void MainWindowFormsGiveBackTheMainWindow();

private:
    // A fresh copy of the example sale for a test that changes it.
    std::string Copy(const QString& name) {
        QString to = dir_.filePath(name);
        QFile::remove(to);
        return QFile::copy(QString::fromStdString(sale_), to) ? to.toStdString() : std::string();
    }

    QTemporaryDir dir_;
    std::string sale_;
};

void NestedFormsTest::initTestCase() {
    sale_ = MakeSale(dir_);
    QVERIFY(!sale_.empty());
}

void NestedFormsTest::SetupFormsGiveBackTheDialogAndTheMainWindow() {
    Program p(sale_);
    Driver d;
    const QString main = kMain;
    auto open_setup = [](Driver& d, QWidget* w) {
        Click(d, w, "Establish Strata and Sample Groups (Add/Edit/Import Data).");
    };
    // The setup dialog opens over the main window...
    d.Then(main, [&d, open_setup](QWidget* w) {
        ExpectAlive(d, w);
        open_setup(d, w);
    });
    // ... and each of its forms comes back to it by each way out.
    EveryWayOut(d, kDefinitions, kPopulations,
                [](Driver& d, QWidget* w) { Click(d, w, "STRATA SETUP TABLE"); },
                {ByButton("OK"), ByButton("Cancel"), ByMenu("File", "Exit"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, kDefinitions, kStrataForm,
                [](Driver& d, QWidget* w) { Click(d, w, "STRATA SETUP FORM"); },
                {ByButton("Return"), ByMenu("File", "Exit"), ByEscape(false), ByCloseBox()});
    // The setup dialog itself gives the main window back, every way.
    d.Then(kDefinitions, [&d](QWidget* w) { Click(d, w, "RETURN"); });
    EveryWayOut(d, main, kDefinitions, open_setup,
                {ByMenu("File", "Return"), ByEscape(), ByCloseBox()});
    d.Then(main, [&d](QWidget* w) { Click(d, w, "Exit"); });
    QStringList failures = p.Run(d);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
}

void NestedFormsTest::PopulationsCommandsGiveBackThePopulationsForm() {
    Program p(Copy("populations.crz"));
    Driver d;
    d.Then(kMain, [&d](QWidget* w) { Click(d, w, "Establish Strata and Sample Groups (Add/Edit/Import Data)."); });
    d.Then(kDefinitions, [&d](QWidget* w) { Click(d, w, "STRATA SETUP TABLE"); });
    auto menu = [](const char* m, const char* item) {
        return [m, item](Driver& d, QWidget* w) { Trigger(d, w, m, item); };
    };
    auto right_click = [](const char* item) {
        return [item](Driver& d, QWidget* w) { RightClick(d, w, "Species", 0, item); };
    };
    const std::vector<Way> dismiss = {ByButton("Cancel"), ByEscape(), ByCloseBox()};
    EveryWayOut(d, kPopulations, "Edit Unit Table", menu("Edit", "Edit Unit Table"),
                {ByButton("OK"), ByButton("Cancel"), ByEscape(false), ByCloseBox()});
    EveryWayOut(d, kPopulations, "Quick Strata Setup Form", menu("Edit", "Quick Strata Setup"), dismiss);
    // The ranges form follows the quick setup's button.
    d.Then(kPopulations, [&d](QWidget* w) {
        ExpectAlive(d, w);
        Trigger(d, w, "Edit", "Quick Strata Setup");
    });
    d.Then("Quick Strata Setup Form", [&d](QWidget* w) { Click(d, w, "Setup Diameter Ranges"); });
    d.Then("Setup Diameter Ranges", [&d](QWidget* w) { Click(d, w, "Cancel"); });
    EveryWayOut(d, kPopulations, "Quick Sample Group Setup", menu("Edit", "Quick SG Setup"), dismiss);
    EveryWayOut(d, kPopulations, "Delete Strata", menu("Edit", "Delete Strata"), dismiss);
    EveryWayOut(d, kPopulations, "Delete Sample Groups", menu("Edit", "Delete Sample Groups"), dismiss);
    // A message box is a nested form too.
    EveryWayOut(d, kPopulations, "Warning", right_click("Remove Defined Diameter Ranges"),
                {ByButton("OK"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, kPopulations, "Setup Diameter Ranges", right_click("Define Diameter Ranges"), dismiss);
    EveryWayOut(d, kPopulations, "Sort", menu("File", "Sort Table"),
                {ByButton("OK"), ByButton("Cancel"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, kPopulations, "Question", menu("File", "Remake Tables From Recon Data"),
                {ByButton("No"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, kPopulations, "Recon Strata Table", menu("View", "Recon Strata Table"),
                {ByButton("OK"), ByButton("Cancel"), ByEscape(false), ByCloseBox()});
    EveryWayOut(d, kPopulations, "Print", menu("File", "Print"), dismiss);
    EveryWayOut(d, kPopulations, "Advise Strata", menu("Edit", "Advise Strata\u2026"),
                {ByButton("Close"), ByEscape(), ByCloseBox()});
    d.Then(kPopulations, [&d](QWidget* w) { Click(d, w, "OK"); });
    d.Then(kDefinitions, [&d](QWidget* w) { Click(d, w, "RETURN"); });
    d.Then(kMain, [&d](QWidget* w) {
        ExpectAlive(d, w);
        Click(d, w, "Exit");
    });
    QStringList failures = p.Run(d);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
}

void NestedFormsTest::DesignFormAndItsFormsGiveBackTheirParents() {
    const std::string path = Copy("design.crz");
    Program p(path);
    Driver d;
    const QString main = kMain;
    const QString form = QString("Strovan Form     ") + QString::fromStdString(path);
    auto open_form = [](Driver& d, QWidget* w) {
        Click(d, w, "Strovan Processing. Determine Sample Sizes and Frequencies.");
    };
    auto right_click = [](const char* item) {
        return [item](Driver& d, QWidget* w) { RightClick(d, w, "CruzMeth", 0, item); };
    };
    auto button = [](const char* text) { return [text](Driver& d, QWidget* w) { Click(d, w, text); }; };
    const std::vector<Way> dismiss = {ByButton("Cancel"), ByEscape(), ByCloseBox()};
    d.Then(main, [&d, open_form](QWidget* w) { open_form(d, w); });
    // No question about data warnings before each report.
    d.Then(form, [&d](QWidget* w) { Trigger(d, w, "Data", "Display Data Warnings"); });
    // Change Cruise Method, a method ticked and OK: the form comes back.
    Way tick_and_ok{"tick a method, OK", [](Driver& d, QWidget* w) {
                        auto* table = w->findChild<QTableWidget*>();
                        if (!table) return d.Fail("no method list");
                        table->item(4, 0)->setCheckState(Qt::Checked);
                        Click(d, w, "OK");
                    }};
    EveryWayOut(d, form, "Select Cruise Method", right_click("Change Cruise Method"),
                {tick_and_ok, ByButton("Cancel"), ByEscape(), ByCloseBox()});
    Way size_and_ok{"a size, OK", [](Driver& d, QWidget* w) {
                        w->findChild<QLineEdit*>()->setText("10");
                        Click(d, w, "OK");
                    }};
    EveryWayOut(d, form, "Change Plot Size", right_click("Change Fixed Plot Size"),
                {size_and_ok, ByButton("Cancel"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, form, "Add a Unit ", right_click("Add Units to Stratum"), dismiss);
    EveryWayOut(d, form, "Remove a Unit", right_click("Remove Units From Stratum"), dismiss);
    EveryWayOut(d, form, "Save/Load Designs", [](Driver& d, QWidget* w) { Trigger(d, w, "File", "Save Design"); },
                dismiss);
    EveryWayOut(d, form, "Select Report From List", button("Make Report"), dismiss);
    // A report window closed any way gives the form back.
    for (const Way& way : {ByMenu("File", "Exit"), ByEscape(), ByCloseBox()}) {
        d.Then(form, [&d](QWidget* w) {
            ExpectAlive(d, w);
            Click(d, w, "Make Report");
        });
        d.Then("Select Report From List", [&d](QWidget* w) { Click(d, w, "OK"); });
        d.Then("Strovan Summary Report", [&d, way](QWidget* w) { way.leave(d, w); });
    }
    EveryWayOut(d, form, "Create Field Cruise File", button("Make Kelvane"), dismiss);
    EveryWayOut(d, form, "Strovan Help", button("Help"), {ByButton("Close"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, form, "Print", [](Driver& d, QWidget* w) { Trigger(d, w, "File", "Print Table"); }, dismiss);
    auto data = [](const char* item) {
        return [item](Driver& d, QWidget* w) { Trigger(d, w, "Data", QString::fromUtf8(item)); };
    };
    const std::vector<Way> closes = {ByButton("Close"), ByEscape(), ByCloseBox()};
    EveryWayOut(d, form, "Simulate Cruise", data("Simulate Cruise\u2026"),
                {ByMenu("File", "Close"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, form, "Advise Strata", data("Advise Strata\u2026"), closes);
    EveryWayOut(d, form, "Compare Designs", data("Compare Designs\u2026"), closes);
    // The form itself gives the main window back every way but Escape, which it
    // ignores.
    d.Then(form, [&d](QWidget* w) { Click(d, w, "Return"); });
    EveryWayOut(d, main, form, open_form, {ByMenu("File", "Exit"), ByEscape(false), ByCloseBox()});
    d.Then(main, [&d](QWidget* w) { Click(d, w, "Exit"); });
    QStringList failures = p.Run(d);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
}

void NestedFormsTest::MainWindowFormsGiveBackTheMainWindow() {
    Program p(Copy("main.crz"));
    Driver d;
    const QString main = kMain;
    auto button = [](const char* text) { return [text](Driver& d, QWidget* w) { Click(d, w, text); }; };
    const std::vector<Way> every = {ByButton("OK"), ByButton("Cancel"), ByEscape(), ByCloseBox()};
    EveryWayOut(d, main, "Setup Relative Cruising Costs", button("Define Relative Cruising Costs."), every);
    EveryWayOut(d, main, "Edit Cruise Information", button("Edit Cruise Information"), every);
    EveryWayOut(d, main, "Strovan Help", button("Help"), {ByButton("Close"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, main, "About Strovan",
                [](Driver& d, QWidget* w) { Trigger(d, w, "Strovan", "About Strovan..."); },
                {ByButton("OK"), ByEscape(), ByCloseBox()});
    EveryWayOut(d, main, "Open", button("Open an Existing Cruise File"), dismiss_file());
    // Cancelling Create leaves no file open: last.
    EveryWayOut(d, main, "Create New Cruise", button("Create a New Cruise File"), {ByEscape()});
    d.Then(kMain, [&d](QWidget* w) { Click(d, w, "Exit"); });
    QStringList failures = p.Run(d);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
}

QTEST_MAIN(NestedFormsTest)
#include "nested_forms_test.moc"
