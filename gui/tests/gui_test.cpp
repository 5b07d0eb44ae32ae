// Widget tests of the front end, run with QT_QPA_PLATFORM=offscreen. The windows run
// on the real logic; dialogs the logic opens are answered by a ScriptedUi.
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QtTest>

#include "app/costs_dialog.h"
#include "app/main_dialog.h"
#include "app/new_cruise_dialog.h"
#include "app/setup_file.h"
#include "costs_window.h"
#include "main_window.h"
#include "mk/mk.h"
#include "new_cruise_window.h"
#include "qt_ui.h"
#include "store/config.h"
#include "ui/scripted_ui.h"

namespace {
std::string Setting(const std::string& path, const char* block, const char* key) {
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    return s ? store::GetSetting(*s, block, key).value_or("<none>") : "<unreadable>";
}

// Clicks a button of the next modal dialog that opens; saves a picture of it first
// when given a name.
void AnswerNextDialog(const QString& button_text, const QString& picture = {}) {
    QTimer::singleShot(0, [button_text, picture] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        if (!picture.isEmpty()) modal->grab().save(QString(STROVAN_BINARY_DIR) + "/" + picture);
        for (QPushButton* b : modal->findChildren<QPushButton*>())
            if (b->text().remove('&') == button_text) {
                b->click();
                return;
            }
        QFAIL("button not found");
    });
}
}  // namespace

class GuiTest : public QObject {
    Q_OBJECT
private slots:
    void MainWindowThroughCreateOpenAndEdit();
    void NewCruiseWindowModesAndLimits();
    void CostsWindowDigitsAndHelp();
    void QtUiQuestionAndMessages();
    void RealFormsThroughQtUi();
};

void GuiTest::MainWindowThroughCreateOpenAndEdit() {
    QTemporaryDir dir;
    const std::string setup = dir.filePath("default.stp").toStdString();
    const std::string crz = dir.filePath("12345_design.crz").toStdString();
    QVERIFY(app::WriteSetupFile(setup));

    ui::ScriptedUi ui;
    app::CMainDialog logic(ui);
    logic.OnInitDialog();
    gui::MainWindow w(logic);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Strovan Program                                   Version 2011-04-22"));
    QCOMPARE(w.StatusLine()->text(), QString("Active File:  "));
    QVERIFY(w.StatusLine()->isReadOnly());
    for (const auto& b : app::kMainButtons) {
        QCOMPARE(w.Button(b.id)->text(), QString(b.text));
        QCOMPARE(w.Button(b.id)->isEnabled(), !b.file_bound);
    }

    // Create: the scripted form browses for the setup file and fills the sale.
    ui.PushFileName(setup);
    ui.PushFileName(crz);
    ui.PushNewCruise(ui::ScriptedUi::Submit([](ui::NewCruiseForm& f) {
        f.OnBrowse();
        f.Fields().sale_no = "12345";
        f.Fields().sale_name = "Bear Creek";
        f.OnUnitChosen("01");
    }));
    QTest::mouseClick(w.Button(app::kIdCreate), Qt::LeftButton);
    QCOMPARE(w.StatusLine()->text(), QString::fromStdString("Active File:  " + crz));
    for (const auto& b : app::kMainButtons) QVERIFY(w.Button(b.id)->isEnabled());
    QCOMPARE(Setting(crz, "Strovan", "UOM"), std::string("01"));
    w.grab().save(QString(STROVAN_BINARY_DIR) + "/main_window.png");

    // Open shows the sale summary.
    ui.PushFileName(crz);
    QTest::mouseClick(w.Button(app::kIdOpen), Qt::LeftButton);
    QCOMPARE(ui.Texts().back(), std::string("Sale Name: Bear Creek   \n\nSale Number: "
                                            "12345\n\nBoard Foot Sale\n\nHas Been Opened."));

    // Edit: a new unit asks for a rebuild of the design tables.
    ui.PushNewCruise(ui::ScriptedUi::Submit([](ui::NewCruiseForm& f) { f.OnUnitChosen("03"); }));
    w.Button(app::kIdEditInfo)->click();
    QCOMPARE(Setting(crz, "Strovan", "UOM"), std::string("03"));
    QCOMPARE(Setting(crz, "Strovan", "UpdateFlag"), std::string("Y"));

    // A cancelled open keeps the file current.
    w.Button(app::kIdOpen)->click();
    QCOMPARE(w.StatusLine()->text(), QString::fromStdString("Active File:  " + crz));
    QVERIFY(w.Button(app::kIdCosts)->isEnabled());

    w.Button(app::kIdHelp)->click();
    QCOMPARE(ui.Last()->kind, std::string("help"));
    w.Button(app::kIdExit)->click();
    QCOMPARE(w.result(), int(QDialog::Accepted));
}

void GuiTest::NewCruiseWindowModesAndLimits() {
    ui::ScriptedUi ui;
    app::CNewCruiseDialog logic(ui, ui::kModeEditInfo);
    logic.Fields().uom = "03";
    logic.Fields().cruise_type = "Recon";
    logic.Fields().sale_no = "42";
    gui::NewCruiseWindow w(logic);
    w.show();
    // Editing an existing file is titled as such.
    QCOMPARE(w.windowTitle(), QString("Edit Cruise Information"));
    QVERIFY(!w.BrowseButton()->isVisible());
    QVERIFY(!w.Combo(1102)->isVisible() && !w.Combo(1102)->isEnabled());
    QVERIFY(w.Combo(1112)->isVisible() && w.Combo(1113)->isVisible());
    QCOMPARE(w.Combo(1112)->currentData().toString(), QString("03"));
    QCOMPARE(w.Combo(1112)->currentText(), QString("Cubic feet"));
    QCOMPARE(w.Combo(1113)->currentText(), QString("Recon"));
    QCOMPARE(w.Edit(1080)->text(), QString("42"));
    w.grab().save(QString(STROVAN_BINARY_DIR) + "/new_cruise_mode2.png");

    // Length limits hold while typing.
    w.Edit(1080)->clear();
    QTest::keyClicks(w.Edit(1080), "1234567");
    QCOMPARE(w.Edit(1080)->text(), QString("12345"));
    QTest::keyClicks(w.Edit(1082), "061");
    QCOMPARE(w.Edit(1082)->text(), QString("06"));
    QCOMPARE(w.Edit(1081)->MaxChars(), 25);

    // Choosing a type is no unit change; picking a unit is.
    w.Combo(1113)->setCurrentIndex(2);
    w.OkButton()->click();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(logic.Fields().cruise_type, std::string("Design"));
    QCOMPARE(logic.Fields().sale_no, std::string("12345"));
    QCOMPARE(logic.UnitChanged(), 0);
    emit w.Combo(1112)->activated(0);
    QCOMPARE(logic.UnitChanged(), 1);
    QCOMPARE(logic.Fields().uom, std::string("01"));

    // Mode 0 without a setup file stays open with the message.
    app::CNewCruiseDialog create(ui, ui::kModeNewDesign);
    gui::NewCruiseWindow c(create);
    c.show();
    QVERIFY(c.BrowseButton()->isVisible());
    QCOMPARE(c.windowTitle(), QString("Create New Cruise"));
    c.grab().save(QString(STROVAN_BINARY_DIR) + "/new_cruise_mode0.png");
    QVERIFY(c.Edit(1078)->isReadOnly());
    // ... and looks it: the field has the window's colour, not a field's.
    QCOMPARE(c.Edit(1078)->palette().color(QPalette::Base), c.palette().color(QPalette::Window));
    QVERIFY(c.Edit(1080)->palette().color(QPalette::Base) != c.palette().color(QPalette::Window));
    QVERIFY(!c.Combo(1113)->isVisible());
    // Writing the design into a field file is titled as such.
    app::CNewCruiseDialog field(ui, ui::kModeFieldCruise);
    QCOMPARE(gui::NewCruiseWindow(field).windowTitle(), QString("Create Field Cruise File"));
    c.setResult(QDialog::Rejected);
    c.OkButton()->click();
    QVERIFY(c.isVisible());
    QCOMPARE(ui.Texts().back(), std::string("Need to supply a valid Cruise Object Setup File."));
}

void GuiTest::CostsWindowDigitsAndHelp() {
    ui::ScriptedUi ui;
    app::CCostsDialog logic(ui, {"60", "", "", "", "", "", "", "", ""});
    gui::CostsWindow w(logic);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Setup Relative Cruising Costs"));
    QCOMPARE(w.Field(ui::kCrewPlot)->text(), QString("60"));
    w.grab().save(QString(STROVAN_BINARY_DIR) + "/costs.png");
    QTest::keyClicks(w.Field(ui::kTrav), "1x2.5");
    QCOMPARE(w.Field(ui::kTrav)->text(), QString("125"));
    QTest::keyClicks(w.Field(ui::kPaint), "3.75");
    QCOMPARE(w.Field(ui::kPaint)->text(), QString("3.75"));
    w.HelpButton()->click();
    QCOMPARE(ui.Last()->text, std::string("6"));
    w.accept();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(logic.Values()[ui::kTrav], std::string("125"));
    QCOMPARE(logic.Values()[ui::kPaint], std::string("3.75"));
    QStringList groups;
    for (QGroupBox* g : w.findChildren<QGroupBox*>()) groups << g->title();
    QCOMPARE(groups, (QStringList{" Plot Based Methods (Variable and Fixed):",
                                  " Tree Based Methods: ", " All Methods: "}));
}

void GuiTest::QtUiQuestionAndMessages() {
    gui::QtUi ui;
    AnswerNextDialog("No", "question.png");
    QVERIFY(!ui.Question("\r\n\r\n\r\nDoes this file contain Recon data?"));
    AnswerNextDialog("Yes");
    QVERIFY(ui.Question("Recon?"));
    AnswerNextDialog("OK");
    QCOMPARE(int(ui.MessageBox("ERROR", "Need to supply a Sale Number", ui::Icon::Stop)),
             int(ui::Answer::Ok));
    AnswerNextDialog("OK", "about.png");
    ui.ShowAbout();
    QString help_text;
    QTimer::singleShot(0, [&help_text] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        help_text = modal->findChild<QTextBrowser*>()->toPlainText();
        modal->close();
    });
    ui.ShowHelp(ui::kHelpCosts);
    QVERIFY(help_text.contains("Relative cruising costs"));

    // File dialogs: the first setup file is looked for among the program's own; then
    // every dialog starts in the folder of the last file chosen.
    ui::FileDialogSpec setup;
    setup.default_extension = "stp";
    const QString bundled = gui::BundledSetupFolder();
    QVERIFY(QFileInfo::exists(bundled + "/default.stp"));
    QCOMPARE(ui.StartFolder(setup), bundled);
    QCOMPARE(ui.StartFolder(ui::FileDialogSpec{}), QString());
    QTemporaryDir dir;
    const QString chosen = dir.filePath("sale.crz");
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectFile(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ui::FileDialogSpec save;
    save.default_extension = "crz";
    QCOMPARE(ui.SaveFileName(save).value_or(""), chosen.toStdString());
    QCOMPARE(ui.StartFolder(setup), QFileInfo(chosen).absolutePath());
}

// The main window with the Qt port: the forms are real windows, filled in by hand.
void GuiTest::RealFormsThroughQtUi() {
    QTemporaryDir dir;
    const std::string crz = dir.filePath("copy.crz").toStdString();
    QVERIFY(app::WriteSetupFile(crz));  // a cruise file without cruise information

    gui::QtUi ui;
    app::CMainDialog logic(ui);
    logic.SetFilePath(crz);
    logic.OnInitDialog();
    gui::MainWindow w(logic);
    ui.SetMainWindow(&w);
    w.show();

    QTimer::singleShot(0, [] {
        auto* form = qobject_cast<gui::NewCruiseWindow*>(QApplication::activeModalWidget());
        QVERIFY(form);
        QTest::keyClicks(form->Edit(1080), "555");
        QTest::keyClicks(form->Edit(1081), "Elk Ridge");
        form->Combo(1113)->setCurrentIndex(1);
        form->Combo(1112)->setCurrentIndex(0);
        emit form->Combo(1112)->activated(0);
        form->OkButton()->click();
    });
    w.Button(app::kIdEditInfo)->click();
    QCOMPARE(Setting(crz, "Strovan", "Type"), std::string("Production"));
    QCOMPARE(Setting(crz, "Strovan", "UOM"), std::string("01"));
    QCOMPARE(Setting(crz, "Strovan", "UpdateFlag"), std::string("Y"));

    bool minimized_while_open = false;
    QTimer::singleShot(0, [&w, &minimized_while_open] {
        auto* form = qobject_cast<gui::CostsWindow*>(QApplication::activeModalWidget());
        QVERIFY(form);
        minimized_while_open = w.isMinimized();
        QTest::keyClicks(form->Field(ui::kCrewPlot), "60");
        form->accept();
    });
    w.Button(app::kIdCosts)->click();
    QVERIFY(minimized_while_open);
    QVERIFY(!w.isMinimized());
    QCOMPARE(Setting(crz, "Strovan", "CrewPlot"), std::string("60"));
    QCOMPARE(Setting(crz, "Strovan", "TreePaint"), std::string(""));
}

QTEST_MAIN(GuiTest)
#include "gui_test.moc"
