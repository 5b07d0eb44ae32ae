// Grid printing through Qt, run offscreen: PDF output through QPrinter and the print
// dialog's Cancel.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <map>

#include "grid/grid_model.h"
#include "grid_print_qt.h"
#include "ui/scripted_ui.h"

namespace {
void Fill(grid::GridModel& g, int cols, int64_t rows) {
    g.Unbind(cols, rows);
    for (int c = 0; c < cols; ++c) {
        g.SetHeading(c, "Col" + std::to_string(c));
        for (int64_t r = 0; r < rows; ++r) g.SetText(c, r, std::to_string(r * 10 + c));
    }
}

int PdfPageCount(const QByteArray& pdf) {
    // Page objects, not the page tree.
    return pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/") +
           pdf.count("/Type /Page>");
}

// ---- What a PDF written by Qt draws: its page's content and text ----------------------

QByteArray Inflate(const QByteArray& z) {
    // qUncompress wants the size first; it is only a hint of the room to start with.
    QByteArray sized(4, '\0');
    const quint32 hint = 4u << 20;
    for (int i = 0; i < 4; ++i) sized[i] = static_cast<char>((hint >> (24 - 8 * i)) & 0xFF);
    return qUncompress(sized + z);
}

QByteArray Object(const QByteArray& pdf, int id) {
    int at = pdf.indexOf("\n" + QByteArray::number(id) + " 0 obj");
    return at < 0 ? QByteArray() : pdf.mid(at, pdf.indexOf("endobj", at) - at);
}

QByteArray Stream(const QByteArray& object) {
    int begin = object.indexOf("stream\n");
    if (begin < 0) return {};
    begin += 7;
    QByteArray raw = object.mid(begin, object.lastIndexOf("endstream") - begin);
    return object.contains("/FlateDecode") ? Inflate(raw) : raw;
}

// The page's drawing operators (one page).
QByteArray PageContent(const QByteArray& pdf) {
    auto contents = QRegularExpression("/Contents (\\d+) 0 R").match(QString::fromLatin1(pdf));
    return contents.hasMatch() ? Stream(Object(pdf, contents.captured(1).toInt())) : QByteArray();
}

// The text the page draws, in drawing order, decoded through each font's ToUnicode map.
QString PageText(const QByteArray& pdf) {
    const QString text = QString::fromLatin1(pdf);
    std::map<QString, std::map<uint, QChar>> fonts;
    auto fontRefs = QRegularExpression("/(F\\d+) (\\d+) 0 R").globalMatch(text);
    while (fontRefs.hasNext()) {
        auto f = fontRefs.next();
        auto map = QRegularExpression("/ToUnicode (\\d+) 0 R").match(QString::fromLatin1(Object(pdf, f.captured(2).toInt())));
        if (!map.hasMatch()) continue;
        const QString cmap = QString::fromLatin1(Stream(Object(pdf, map.captured(1).toInt())));
        auto& glyphs = fonts[f.captured(1)];
        auto ranges = QRegularExpression("<([0-9A-Fa-f]+)> <([0-9A-Fa-f]+)> \\[([^\\]]*)\\]").globalMatch(cmap);
        while (ranges.hasNext()) {
            auto r = ranges.next();
            uint code = r.captured(1).toUInt(nullptr, 16);
            for (const QString& u : r.captured(3).split(' ', Qt::SkipEmptyParts))
                glyphs[code++] = QChar(u.mid(1, u.size() - 2).toUInt(nullptr, 16));
        }
    }
    QString out;
    std::map<uint, QChar>* font = nullptr;
    auto ops = QRegularExpression("/(F\\d+) [\\d.]+ Tf|<([0-9A-Fa-f]+)> Tj").globalMatch(QString::fromLatin1(PageContent(pdf)));
    while (ops.hasNext()) {
        auto op = ops.next();
        if (!op.captured(1).isEmpty()) {
            font = &fonts[op.captured(1)];
            continue;
        }
        const QString hex = op.captured(2);
        for (int i = 0; font && i + 4 <= hex.size(); i += 4) {
            auto g = font->find(hex.mid(i, 4).toUInt(nullptr, 16));
            out += g == font->end() ? QChar('?') : g->second;
        }
    }
    // Qt's maps give the blank's glyph as a tab.
    return out.replace('\t', ' ');
}
}  // namespace

class GridPrintTest : public QObject {
    Q_OBJECT
private slots:
    void PdfThroughQtHasAPagePerBlockOfRows();
    void CancelledPrintDialogPrintsNothing();
    void NothingToPrintAndAnUnwritableTargetAreReported();
    void ReportPresentationPrintsThroughQt();
};

void GridPrintTest::PdfThroughQtHasAPagePerBlockOfRows() {
    QTemporaryDir dir;
    grid::GridModel g;
    Fill(g, 5, 400);
    g.SetPrintMargins({20, 20, 15, 15});
    ui::ScriptedUi ui;
    std::string path = (dir.path() + "/grid.pdf").toStdString();
    QCOMPARE(gui::SaveGridPdf(g, path, ui), grid::PrintResult::Printed);
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray pdf = f.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    // 400 rows of 20 pixels do not fit on one page; a few pages each hold dozens.
    int pages = PdfPageCount(pdf);
    QVERIFY2(pages >= 4 && pages <= 20, qPrintable(QString::number(pages)));
    QVERIFY(!QFile::exists(QString::fromStdString(path + ".part")));
    QVERIFY(ui.Messages().empty());
    QVERIFY(!g.Printing());
}

void GridPrintTest::CancelledPrintDialogPrintsNothing() {
    grid::GridModel g;
    Fill(g, 2, 3);
    ui::ScriptedUi ui;
    bool saw_dialog = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            saw_dialog = true;
            d->reject();
        }
    });
    QCOMPARE(gui::PrintGrid(g, 0, 0, 1, 2, true, nullptr, ui), grid::PrintResult::Cancelled);
    QVERIFY(saw_dialog);
    QVERIFY(ui.Messages().empty());
    QCOMPARE(g.Text(1, 2), std::string("21"));

    // Qt-free forms print through the same dialog, installed as the program's printer.
    QVERIFY(static_cast<bool>(grid::PrinterChooser()));
    saw_dialog = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            saw_dialog = true;
            d->reject();
        }
    });
    QVERIFY(grid::PrintGridPaged(g, 0, 0, 1, 2, ui));
    QVERIFY(saw_dialog);
    QVERIFY(ui.Messages().empty());
}

void GridPrintTest::NothingToPrintAndAnUnwritableTargetAreReported() {
    grid::GridModel empty;
    empty.Unbind(2, 0);
    ui::ScriptedUi ui;
    QCOMPARE(gui::PrintGrid(empty, 0, 0, 1, -1, false, nullptr, ui), grid::PrintResult::Refused);
    QCOMPARE(ui.Messages().size(), size_t(1));

    grid::GridModel g;
    Fill(g, 2, 3);
    QCOMPARE(gui::SaveGridPdf(g, "/nonexistent-folder/x/grid.pdf", ui), grid::PrintResult::Failed);
    QCOMPARE(ui.Messages().size(), size_t(2));
    QCOMPARE(ui.Messages()[1].title, std::string("Error"));
}

// A report-like page (joined title, shaded and bordered cells, check boxes, colours),
// kept in the build folder for a look.
void GridPrintTest::ReportPresentationPrintsThroughQt() {
    grid::GridModel g;
    Fill(g, 9, 30);
    g.SetColumnHeadingsShown(false);
    for (int c = 0; c < 9; ++c)
        for (int r = 0; r < 3; ++r) g.SetText(c, r, "");
    g.SetText(1, 0, "Strovan Report - Based on Net Board Foot Volume");
    g.Join(1, 0, 7, 0);
    g.SetFont(1, 0, grid::Font{"Arial", 20, true});
    g.SetText(0, 2, "SG Code     ");
    g.SetShaded(0, 2, true);
    g.SetBordersRange(0, 4, 8, 5, grid::kBorderAll);
    g.SetColumnKind(8, grid::CellKind::CheckBox);
    g.SetTextColor(3, 6, grid::colors::kMarkRed);
    g.SetBackground(4, 6, grid::Color::FromColorRef(16770740));
    g.SetPrintMargins({20, 20, 12, 12});
    ui::ScriptedUi ui;
    std::string path = std::string(STROVAN_BINARY_DIR) + "/grid_print_qt.pdf";
    QCOMPARE(gui::SaveGridPdf(g, path, ui, true, {.column_headings = false}), grid::PrintResult::Printed);
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    QCOMPARE(PdfPageCount(pdf), 1);

    // The page's text: the joined title, the shaded heading, the cells below.
    const QString text = PageText(pdf);
    QVERIFY2(text.contains("Strovan Report - Based on Net Board Foot Volume"), qPrintable(text.left(200)));
    QVERIFY2(text.contains("SG Code"), qPrintable(text.left(200)));
    QVERIFY2(text.contains("293"), qPrintable(text.right(200)));  // row 29, column 3
    // What it paints: the shading (grey 220) and the light blue background as filled
    // rectangles, the red text, the borders in black beside the grey grid lines.
    const QByteArray page = PageContent(pdf);
    QVERIFY(page.contains("0.862745106 0.862745106 0.862745106 scn"));
    QVERIFY(page.contains("0.705882370 0.901960790 1 scn"));
    QVERIFY(page.contains("1 0 0 scn"));
    QVERIFY(page.count(" re\nf\n") >= 2);
    QVERIFY(page.contains("0.627451002 0.627451002 0.627451002 SCN"));
    QVERIFY(page.count("0 0 0 SCN") > 30);
}

QTEST_MAIN(GridPrintTest)
#include "grid_print_test.moc"
