// What a user of any desktop program expects of the main window and the shell's forms:
// Enter and Escape, the standard shortcuts, a title naming the file, fields that never
// change what was typed without a word, pictures beside their buttons at any size and
// scale, message boxes over the form that raised them. Run offscreen.
//
// With STROVAN_SCREENSHOT_DIR set, the tests also save pictures of the main window and
// of the costs form refusing a bad value there (run once more with QT_SCALE_FACTOR=2
// for the double-scale picture).
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QMenuBar>
#include <QMenu>
#include <QVBoxLayout>
#include <QDialog>
#include <QtTest>

#include "app/costs_dialog.h"
#include "app/main_dialog.h"
#include "app/new_cruise_dialog.h"
#include "app/setup_file.h"
#include "conventions.h"
#include "costs_window.h"
#include "main_window.h"
#include "new_cruise_window.h"
#include "pictures.h"
#include "qt_ui.h"
#include "store/config.h"
#include "ui/scripted_ui.h"

namespace {

// Where screenshots go, or empty when none are wanted.
QString ShotDir() { return qEnvironmentVariable("STROVAN_SCREENSHOT_DIR"); }

QString ShotName(const QString& stem, qreal dpr) {
    return ShotDir() + "/" + stem + (dpr > 1.01 ? QString("_%1x").arg(qRound(dpr)) : "") + ".png";
}

// A main window on a file made from the setup file, as after Create.
struct Fixture {
    QTemporaryDir dir;
    std::string setup, crz;
    ui::ScriptedUi ui;
    app::CMainDialog logic{ui};
    bool setup_written = false;

    Fixture() {
        setup = dir.filePath("default.stp").toStdString();
        crz = dir.filePath("12345_design.crz").toStdString();
        setup_written = static_cast<bool>(app::WriteSetupFile(setup));
        logic.OnInitDialog();
    }
    bool Create() {
        if (!setup_written) return false;
        ui.PushFileName(setup);
        ui.PushFileName(crz);
        ui.PushNewCruise(ui::ScriptedUi::Submit([](ui::NewCruiseForm& f) {
            f.OnBrowse();
            f.Fields().sale_no = "12345";
            f.Fields().sale_name = "Bear Creek";
            f.OnUnitChosen("01");
        }));
        return logic.OnCreate();
    }
};

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    // As the program runs: every window fitted to the screen and given mnemonics.
    void initTestCase() { gui::InstallWindowConventions(); }
    void EnterPressesTheFocusedButtonAndNeverQuits();
    void StandardShortcutsAndATitleNamingTheFile();
    void PicturesStayBesideTheirButtonsAndAreSharp();
    void FieldsRefuseWhatTheyCannotTakeAndSaySo();
    void UnitsReadAsWordsAndCostsShowTheirUnits();
    void MessagesSitOverTheFormThatRaisedThem();
    void TheFocusedStepShowsItsFocus();
    void MnemonicsGoToFreeLettersFirstOfWords();
};

void DesktopTest::EnterPressesTheFocusedButtonAndNeverQuits() {
    Fixture fx;
    gui::MainWindow w(fx.logic);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // Exit is no default button; Enter on the status line does nothing.
    QVERIFY(!w.Button(app::kIdExit)->isDefault());
    w.StatusLine()->setFocus();
    QTest::keyClick(w.StatusLine(), Qt::Key_Return);
    QTest::keyClick(w.StatusLine(), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(fx.ui.Messages().empty());

    // Enter on a focused step button runs that step, not Exit.
    w.Button(app::kIdHelp)->setFocus();
    QTest::keyClick(w.Button(app::kIdHelp), Qt::Key_Return);
    QVERIFY(w.isVisible());
    QCOMPARE(fx.ui.Kinds(), std::vector<std::string>{"help"});
    w.Button(app::kIdCreate)->setFocus();
    QTest::keyClick(w.Button(app::kIdCreate), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(w.isVisible());
    QCOMPARE(fx.ui.Kinds().back(), std::string("form"));  // the create form, cancelled
    // ... the status line again, now that a button has been the default for a while.
    w.StatusLine()->setFocus();
    fx.ui.Clear();
    QTest::keyClick(w.StatusLine(), Qt::Key_Return);
    QVERIFY(fx.ui.Messages().empty());
    QVERIFY(w.isVisible());

    // Escape asks nothing and does nothing.
    QTest::keyClick(&w, Qt::Key_Escape);
    QTest::keyClick(w.Button(app::kIdOpen), Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QVERIFY(fx.ui.Messages().empty());

    // Exit, when it is the button pressed, still ends the program.
    w.Button(app::kIdExit)->setFocus();
    QTest::keyClick(w.Button(app::kIdExit), Qt::Key_Return);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));
}

void DesktopTest::StandardShortcutsAndATitleNamingTheFile() {
    Fixture fx;
    gui::MainWindow w(fx.logic);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QString("Strovan Program                                   Version 2011-04-22"));
    QCOMPARE(w.Shortcut(app::kIdOpen)->shortcut(), QKeySequence(QKeySequence::Open));
    QCOMPARE(w.Shortcut(app::kIdCreate)->shortcut(), QKeySequence(QKeySequence::New));
    QCOMPARE(w.Shortcut(app::kIdHelp)->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(w.Shortcut(app::kIdExit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(fx.ui.Kinds(), std::vector<std::string>{"help"});
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(fx.ui.Kinds().back(), std::string("open"));  // the file dialog, cancelled
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(fx.ui.Last()->title, std::string(ui::kNewCruiseFormId));

    // The title names the open file; with none it is the program's.
    QVERIFY(fx.Create());
    w.Refresh();
    QCOMPARE(w.windowTitle(), QString::fromUtf8("12345_design.crz \u2014 Strovan"));
    if (!ShotDir().isEmpty())
        QVERIFY(w.grab().save(ShotName("main_window", w.devicePixelRatioF())));
    w.Button(app::kIdOpen)->click();  // cancelled: the file stays current
    QCOMPARE(w.windowTitle(), QString::fromUtf8("12345_design.crz \u2014 Strovan"));

    // The form for a file that exists is titled for editing.
    app::CNewCruiseDialog edit(fx.ui, ui::kModeEditInfo);
    QCOMPARE(QString::fromStdString(edit.Title()), QString("Edit Cruise Information"));
    app::CNewCruiseDialog create(fx.ui, ui::kModeNewDesign);
    QCOMPARE(QString::fromStdString(create.Title()), QString("Create New Cruise"));

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!w.isVisible());
}

void DesktopTest::PicturesStayBesideTheirButtonsAndAreSharp() {
    Fixture fx;
    gui::MainWindow w(fx.logic);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int steps[] = {app::kIdOpen, app::kIdCreate, app::kIdStrata, app::kIdCosts,
                         app::kIdDesign};
    for (QSize size : {w.size(), QSize(1400, 900), w.minimumSizeHint()}) {
        w.resize(size);
        QApplication::processEvents();
        for (int id : steps) {
            QRect pic = w.Picture(id)->geometry();
            QRect button = w.Button(id)->geometry();
            QVERIFY2(pic.right() < button.left() && button.left() - pic.right() <= 16,
                     qPrintable(QString("picture %1 drifted from its button").arg(id)));
            QVERIFY(qAbs(pic.center().y() - button.center().y()) <= 2);
        }
    }
    // Drawn at the screen's resolution: a double-scale picture has twice the pixels
    // and is the same drawing the window paints there.
    for (int id : steps) {
        QPixmap sharp = gui::ButtonPicture(id, 2.0);
        QCOMPARE(sharp.size(), QSize(2 * gui::kPictureSize, 2 * gui::kPictureSize));
        QCOMPARE(sharp.deviceIndependentSize(), QSizeF(gui::kPictureSize, gui::kPictureSize));
        QImage painted(sharp.size(), QImage::Format_ARGB32_Premultiplied);
        painted.setDevicePixelRatio(2.0);
        painted.fill(Qt::transparent);
        w.Picture(id)->render(&painted, QPoint(), QRegion(), QWidget::DrawChildren);
        QCOMPARE(painted, sharp.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

void DesktopTest::FieldsRefuseWhatTheyCannotTakeAndSaySo() {
    ui::ScriptedUi ui;
    app::CCostsDialog costs(ui, {"60", "", "", "", "", "", "", "", ""});
    gui::CostsWindow c(costs);
    c.show();
    gui::FieldEdit* crew = c.Field(ui::kCrewPlot);
    crew->clear();
    QTest::keyClicks(crew, "45.50");
    QCOMPARE(crew->text(), QString("4550"));  // the dot was refused ...
    QCOMPARE(crew->HintTitle(), QString("Unacceptable Character"));  // ... with a word
    QCOMPARE(crew->HintText(), QString("You can only type a number here."));
    QVERIFY(crew->Hint()->isVisible());
    if (!ShotDir().isEmpty()) QVERIFY(c.grab().save(ShotName("costs_hint", c.devicePixelRatioF())));
    // A paste with anything but digits is refused whole, never stripped.
    QApplication::clipboard()->setText("1,200");
    crew->selectAll();
    crew->paste();
    QCOMPARE(crew->text(), QString("4550"));
    QApplication::clipboard()->setText("1200");
    crew->selectAll();
    crew->paste();
    QCOMPARE(crew->text(), QString("1200"));
    // The paint fields take any text.
    QTest::keyClicks(c.Field(ui::kPaint), "3.75 a quart");
    QCOMPARE(c.Field(ui::kPaint)->text(), QString("3.75 a quart"));
    QCOMPARE(c.Field(ui::kPaint)->HintTitle(), QString());

    ui::ScriptedUi ui2;
    app::CNewCruiseDialog logic(ui2, ui::kModeNewDesign);
    gui::NewCruiseWindow n(logic);
    n.show();
    gui::FieldEdit* sale = n.Edit(1080);
    QApplication::clipboard()->setText("123456");
    sale->paste();
    QCOMPARE(sale->text(), QString());  // not cut to five
    QCOMPARE(sale->HintText(),
             QString("The pasted text has 6 characters; this field takes at most 5.\nNothing "
                     "was pasted."));
    QApplication::clipboard()->setText("12345");
    sale->paste();
    QCOMPARE(sale->text(), QString("12345"));
    QTest::keyClicks(sale, "6");
    QCOMPARE(sale->text(), QString("12345"));
    QCOMPARE(sale->HintText(), QString("Please enter no more than 5 characters."));
    gui::FieldEdit* name = n.Edit(1081);
    QApplication::clipboard()->setText(QString(26, 'x'));
    name->paste();
    QCOMPARE(name->text(), QString());
    // A value the program shows is never refused, and can be shortened.
    sale->SetValue("1234567");
    QCOMPARE(sale->text(), QString("1234567"));
    sale->end(false);
    sale->backspace();
    QCOMPARE(sale->text(), QString("123456"));
}

void DesktopTest::UnitsReadAsWordsAndCostsShowTheirUnits() {
    ui::ScriptedUi ui;
    app::CNewCruiseDialog logic(ui, ui::kModeEditInfo);
    logic.Fields().uom = "01";
    gui::NewCruiseWindow n(logic);
    QComboBox* unit = n.Combo(1112);
    QCOMPARE(unit->count(), 2);
    QCOMPARE(unit->itemText(0), QString("Board feet"));
    QCOMPARE(unit->itemText(1), QString("Cubic feet"));
    QCOMPARE(unit->currentText(), QString("Board feet"));
    unit->setCurrentIndex(1);
    emit unit->activated(1);
    n.OkButton()->click();
    QCOMPARE(logic.Fields().uom, std::string("03"));  // the stored code stays a code
    QCOMPARE(logic.UnitChanged(), 1);

    app::CCostsDialog costs(ui);
    gui::CostsWindow c(costs);
    QStringList units;
    for (QLabel* l : c.findChildren<QLabel*>()) units << l->text();
    for (const char* u : {"$ per hour", "trees per hour", "minutes", "$ per quart"})
        QVERIFY2(units.contains(u), u);
}

void DesktopTest::MessagesSitOverTheFormThatRaisedThem() {
    gui::QtUi ui;
    QWidget main;
    main.show();
    ui.SetMainWindow(&main);
    app::CCostsDialog costs(ui, {"60", "4", "10", "30", "100", "50", "6", "", "50"});
    bool over_form = false;
    QString box_text;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<gui::CostsWindow*>(QApplication::activeModalWidget());
        QVERIFY(form);
        QTest::keyClicks(form->Field(ui::kPaint), "1e400");
        QTimer::singleShot(0, [&, form] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            over_form = box->parentWidget() == form;
            box_text = box->text();
            if (!ShotDir().isEmpty()) {
                // The form with its refusal over it, as the user sees them.
                QPixmap shot = form->grab();
                QPixmap over = box->grab();
                QPainter p(&shot);
                QPoint at((form->width() - over.deviceIndependentSize().width()) / 2,
                          (form->height() - over.deviceIndependentSize().height()) / 2);
                p.drawPixmap(at, over);
                p.setPen(QPen(Qt::darkGray, 1));
                p.drawRect(QRectF(at, over.deviceIndependentSize()));
                p.end();
                QVERIFY(shot.save(ShotName("costs_refused", form->devicePixelRatioF())));
            }
            box->accept();
            QTimer::singleShot(0, form, &QDialog::reject);
        });
        form->accept();  // OK: refused, the form stays
    });
    QVERIFY(!ui.RunForm(costs));
    QVERIFY(over_form);
    QVERIFY(box_text.startsWith("Cost of a quart of marker paint: '1e400' is too large."));
}

void DesktopTest::TheFocusedStepShowsItsFocus() {
    Fixture fx;
    gui::MainWindow w(fx.logic);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QPushButton* step = w.Button(app::kIdOpen);
    const QColor ring = step->palette().color(QPalette::Highlight);
    // Pixels of the focus colour along the button's left edge.
    auto ringPixels = [&] {
        QImage shot = step->grab().toImage();
        int n = 0;
        for (int x = 0; x < 4; ++x)
            for (int y = shot.height() / 4; y < shot.height() * 3 / 4; ++y) {
                QColor c = shot.pixelColor(x, y);
                n += std::abs(c.red() - ring.red()) + std::abs(c.green() - ring.green()) +
                         std::abs(c.blue() - ring.blue()) < 60;
            }
        return n;
    };
    w.Button(app::kIdHelp)->setFocus();
    QVERIFY(!step->hasFocus());
    QCOMPARE(ringPixels(), 0);
    step->setFocus();
    QVERIFY(step->hasFocus());
    QVERIFY2(ringPixels() > step->height() / 2, "a ring of the focus colour");
}

void DesktopTest::MnemonicsGoToFreeLettersFirstOfWords() {
    QDialog d;
    auto* layout = new QVBoxLayout(&d);
    auto* bar = new QMenuBar(&d);
    layout->setMenuBar(bar);
    QMenu* file = bar->addMenu("File");
    bar->addMenu("Fit");
    QAction* save = file->addAction("Save Design");
    QAction* sort = file->addAction("Sort");
    QAction* print = file->addAction("&Print");
    QAction* literal = file->addAction("R&&D table");
    QStringList buttons = {"Find", "&Open", "Other"};
    for (const QString& t : buttons) layout->addWidget(new QPushButton(t));
    gui::GiveMnemonics(d);
    // The menu bar first (Alt+F is File); a text's own mnemonic stays; a taken letter
    // passes to the next word's first letter, then to any free letter.
    QCOMPARE(bar->actions()[0]->text(), QString("&File"));
    QCOMPARE(bar->actions()[1]->text(), QString("F&it"));
    QStringList shown;
    for (QPushButton* b : d.findChildren<QPushButton*>()) shown << b->text();
    QCOMPARE(shown, (QStringList{"Fi&nd", "&Open", "O&ther"}));
    QCOMPARE(save->text(), QString("&Save Design"));
    QCOMPARE(sort->text(), QString("S&ort"));
    QCOMPARE(print->text(), QString("&Print"));
    QCOMPARE(literal->text(), QString("&R&&D table"));  // "&&" is an ampersand
    QCOMPARE(gui::MnemonicOf(literal->text()), QChar('r'));
}

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
