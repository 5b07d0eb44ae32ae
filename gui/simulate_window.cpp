#include "simulate_window.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "conventions.h"
#include "design/workspace.h"
#include "grid/grid_export.h"
#include "grid_print_qt.h"
#include "grid_widget.h"
#include "pictures.h"
#include "qt_ui.h"
#include "simulate/result_table.h"

namespace gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Pct(double v, int decimals = 1) { return simulate::Percent(v, decimals) + " %"; }

std::string Signed(double v) {
    std::string s = simulate::Percent(v);
    return (v > 0 && s != "0.0" ? "+" : "") + s + " %";
}

}  // namespace

// --- Histogram ---------------------------------------------------------------------------

ErrorHistogram::ErrorHistogram(QWidget* parent) : QWidget(parent) {
    setMinimumSize(360, 170);
    setToolTip("How often each sale error came out of the simulated cruises; the red line is the target, the "
               "blue one the error the design claims.");
}

void ErrorHistogram::SetData(std::vector<std::pair<double, int64_t>> values, double target, double designError) {
    values_ = std::move(values);
    target_ = target;
    design_ = designError;
    update();
}

void ErrorHistogram::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm = BeginChart(p, *this);
    const int left = fm.horizontalAdvance("00000") + 8, top = fm.height() + 6, bottom = 2 * fm.height() + 6, right = 12;
    QRect plot(left, top, width() - left - right, height() - top - bottom);
    p.setPen(palette().color(QPalette::Text));
    if (values_.empty() || plot.width() < 40 || plot.height() < 30) {
        p.drawText(rect(), Qt::AlignCenter, "No simulation yet");
        return;
    }
    double lo = std::min({values_.front().first, target_, design_}), hi = std::max({values_.back().first, target_, design_});
    const double pad = std::max(0.05, (hi - lo) * 0.05);
    lo = std::max(0.0, lo - pad);
    hi += pad;
    const int bins = std::clamp(static_cast<int>(plot.width() / 14), 8, 40);
    const double step = (hi - lo) / bins;
    std::vector<int64_t> counts(static_cast<size_t>(bins), 0);
    for (const auto& [v, n] : values_) counts[std::clamp(static_cast<int>((v - lo) / step), 0, bins - 1)] += n;
    const int64_t most = *std::max_element(counts.begin(), counts.end());
    auto X = [&](double v) { return plot.left() + (v - lo) / (hi - lo) * plot.width(); };
    auto Y = [&](double n) { return plot.bottom() - n / static_cast<double>(most) * plot.height(); };

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 150, 190));
    for (int b = 0; b < bins; ++b)
        if (counts[b] > 0) p.drawRect(QRectF(QPointF(X(lo + b * step) + 1, Y(counts[b])), QPointF(X(lo + (b + 1) * step) - 1, plot.bottom())));

    p.setPen(palette().color(QPalette::Text));
    p.setBrush(Qt::NoBrush);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    const double tick = std::pow(10.0, std::floor(std::log10(std::max(hi - lo, 1e-6) / 5)));
    const double ticks = (hi - lo) / tick > 10 ? ((hi - lo) / tick > 25 ? 5 * tick : 2 * tick) : tick;
    for (double v = std::ceil(lo / ticks) * ticks; v <= hi + 1e-9; v += ticks) {
        p.drawLine(QPointF(X(v), plot.bottom()), QPointF(X(v), plot.bottom() + 3));
        p.drawText(QRectF(X(v) - 30, plot.bottom() + 3, 60, fm.height()), Qt::AlignHCenter, QString::number(v, 'g', 4));
    }
    p.drawText(QRectF(0, Y(most) - fm.height() / 2.0, left - 4, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(most));
    p.drawText(QRectF(0, plot.bottom() - fm.height() / 2.0, left - 4, fm.height()), Qt::AlignRight | Qt::AlignVCenter, "0");
    p.drawText(QRect(left, height() - fm.height() - 1, plot.width(), fm.height()), Qt::AlignHCenter,
               "Sale error of the simulated cruises (%)");

    auto mark = [&](double v, QColor c, const QString& label, bool below) {
        QPen pen(c, 2);
        if (below) pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        p.drawLine(QPointF(X(v), plot.top()), QPointF(X(v), plot.bottom()));
        p.setPen(c);
        const int w = fm.horizontalAdvance(label);
        const double x = std::clamp(X(v) - w / 2.0, 0.0, static_cast<double>(width() - w));
        p.drawText(QPointF(x, below ? top - 3 : fm.ascent() + 1), label);
    };
    mark(target_, QColor(200, 30, 30), QString("Target %1 %").arg(target_, 0, 'g', 4), true);
    if (std::fabs(X(design_) - X(target_)) > 2)
        mark(design_, QColor(20, 60, 200), QString("Design %1 %").arg(design_, 0, 'f', 2), false);
}

// --- Window ------------------------------------------------------------------------------

SimulateWindow::SimulateWindow(mk::Storage& storage, const design::Design& design, const std::string& uom,
                               double target, ui::UiPort* ui, QWidget* parent)
    : QDialog(parent),
      population_(simulate::BuildPopulation(storage, design, uom)),
      uom_(uom),
      ownUi_(ui ? nullptr : std::make_unique<QtUi>()),
      ui_(ui ? *ui : *ownUi_) {
    setWindowTitle("Simulate Cruise");
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu("&File");
    QAction* print = file->addAction("&Print Table", this, &SimulateWindow::PrintTable);
    QAction* csv = file->addAction("Export CS&V...", this, &SimulateWindow::ExportCsv);
    QAction* pdf = file->addAction("Export P&DF...", this, &SimulateWindow::ExportPdf);
    file->addSeparator();
    file->addAction("&Close", this, &SimulateWindow::reject);
    layout->setMenuBar(bar);

    auto* settings = new QHBoxLayout;
    replicates_ = new QSpinBox(this);
    replicates_->setRange(100, 100000);
    replicates_->setSingleStep(1000);
    replicates_->setValue(1000);
    replicates_->setGroupSeparatorShown(true);
    seed_ = new QSpinBox(this);
    seed_->setRange(0, 999999);
    seed_->setValue(1);
    target_ = new QDoubleSpinBox(this);
    target_->setRange(0.1, 100);
    target_->setDecimals(1);
    target_->setValue(target > 0 ? target : 10);
    target_->setSuffix(" %");
    run_ = new QPushButton("&Run", this);
    auto addLabelled = [&](const char* text, QWidget* w) {
        auto* l = new QLabel(text, this);
        l->setBuddy(w);
        settings->addWidget(l);
        settings->addWidget(w);
    };
    addLabelled("Simulated &cruises:", replicates_);
    addLabelled("&Seed:", seed_);
    addLabelled("&Target sale error:", target_);
    settings->addWidget(run_);
    settings->addStretch();
    layout->addLayout(settings);

    auto* running = new QHBoxLayout;
    progress_ = new QProgressBar(this);
    cancel_button_ = new QPushButton("Cancel", this);
    cancel_button_->setEnabled(false);
    running->addWidget(progress_, 1);
    running->addWidget(cancel_button_);
    layout->addLayout(running);

    sentence_ = new QLabel(this);
    QFont bold = sentence_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() + 1);
    sentence_->setFont(bold);
    sentence_->setWordWrap(true);
    layout->addWidget(sentence_);
    details_ = new QLabel(this);
    details_->setWordWrap(true);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(details_);
    histogram_ = new ErrorHistogram(this);
    layout->addWidget(histogram_, 2);
    grid_ = new GridWidget(table_, this);
    grid_->SetUi(&ui_);
    layout->addWidget(grid_, 3);

    timer_ = new QTimer(this);
    timer_->setInterval(50);
    connect(timer_, &QTimer::timeout, this, &SimulateWindow::Poll);
    connect(run_, &QPushButton::clicked, this, &SimulateWindow::Start);
    connect(cancel_button_, &QPushButton::clicked, this, &SimulateWindow::CancelRun);
    for (QAction* a : {print, csv, pdf}) {
        a->setEnabled(false);
        connect(this, &QDialog::windowTitleChanged, a, [this, a] { a->setEnabled(result_.replicates > 0); });
    }

    if (!population_.problem.empty()) {
        sentence_->setText(Q(population_.problem));
        run_->setEnabled(false);
    }
    resize(1000, 720);
}

SimulateWindow::~SimulateWindow() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
    // The grid widget points at the table, a member: the widget goes first.
    delete grid_;
}

void SimulateWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!started_ && population_.problem.empty()) {
        started_ = true;
        QTimer::singleShot(0, this, &SimulateWindow::Start);
    }
}

void SimulateWindow::Start() {
    if (Running() || !population_.problem.empty()) return;
    started_ = true;
    simulate::Options o;
    o.replicates = replicates_->value();
    o.seed = static_cast<uint64_t>(seed_->value());
    o.target = target_->value();
    cancel_ = false;
    finished_ = false;
    done_ = 0;
    progress_->setRange(0, o.replicates);
    progress_->setValue(0);
    run_->setEnabled(false);
    cancel_button_->setEnabled(true);
    sentence_->setText("Simulating " + Q(simulate::Grouped(o.replicates)) + " cruises...");
    details_->clear();
    worker_ = std::thread([this, o] {
        result_ = simulate::Run(population_, o, [this](int d) {
            done_ = d;
            return !cancel_.load();
        }, &cancel_);
        finished_ = true;
    });
    timer_->start();
}

void SimulateWindow::CancelRun() { cancel_ = true; }

void SimulateWindow::reject() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
    timer_->stop();
    QDialog::reject();
}

void SimulateWindow::Poll() {
    progress_->setValue(done_.load());
    if (!finished_.load()) return;
    worker_.join();
    timer_->stop();
    run_->setEnabled(true);
    cancel_button_->setEnabled(false);
    ShowResult();
}

void SimulateWindow::ShowResult() {
    const simulate::Result& r = result_;
    if (r.cancelled) {
        sentence_->setText("Cancelled: no results.");
        return;
    }
    if (!r.problem.empty()) {
        sentence_->setText(Q(r.problem));
        return;
    }
    const simulate::Summary& s = r.sale;
    const char* unit = uom_ == "01" ? "MBF" : "CCF";
    sentence_->setText(Q(simulate::MeetsTargetSentence(r) + "."));
    std::string text = "Sale error: median " + Pct(s.errorMedian, 2) + "; in 90 % of the cruises between " +
                       Pct(s.errorP5, 2) + " and " + Pct(s.errorP95, 2) + " (the design claims " +
                       Pct(s.designError, 2) + ").\nVolume: the estimates lay between " + Signed(s.deviationP5) +
                       " and " + Signed(s.deviationP95) + " of the recon's " +
                       simulate::Grouped(std::llround(s.truth)) + " " + unit + " in 90 % of the cruises (bias " +
                       Signed(s.relativeBias) + "); the estimate plus or minus its sale error held that volume in " +
                       Pct(s.coverage * 100) + " of them.";
    if (!r.leftOut.empty()) {
        text += "\nNot simulated (left out of the sale figures): stratum";
        text += r.leftOut.size() > 1 ? "s" : "";
        for (size_t i = 0; i < r.leftOut.size(); ++i) text += (i ? ", " : " ") + r.leftOut[i];
        text += "; the table says why.";
    }
    details_->setText(Q(text));
    histogram_->SetData(s.errors.Values(), r.options.target, s.designError);
    simulate::FillResultGrid(table_, r, uom_);
    grid_->ApplyLayout();
    grid_->SizeToContents();
    // Print and export follow whether there is a result.
    setWindowTitle("Simulate Cruise - " + Q(simulate::Grouped(r.replicates)) + " cruises");
}

void SimulateWindow::PrintTable() {
    if (result_.replicates == 0) return;
    grid::PrintOptions options;
    options.fit_width = true;  // the table is wide: one page across
    PrintGrid(table_, 0, 0, table_.ColumnCount() - 1, table_.RowCount() - 1, true, this, ui_, options);
}

void SimulateWindow::ExportCsv() {
    if (result_.replicates == 0) return;
    auto path = ui_.SaveFileName({"Export Table", {{"CSV Files (*.csv)", {"*.csv"}}}, "csv", "simulation.csv", ""});
    if (!path) return;
    std::string why;
    if (!grid::SaveCsv(table_, *path, why)) ui_.MessageBox("Error", why, ui::Icon::Stop);
}

void SimulateWindow::ExportPdf() {
    if (result_.replicates == 0) return;
    auto path = ui_.SaveFileName({"Export PDF", {{"PDF Files (*.pdf)", {"*.pdf"}}}, "pdf", "simulation.pdf", ""});
    if (!path) return;
    grid::PrintOptions options;
    options.fit_width = true;
    SaveGridPdf(table_, *path, ui_, true, options);
}

void ShowSimulation(design::DesignWorkspace& ws, QWidget* parent) {
    mk::Storage* storage = ws.OpenStorage();
    if (!storage) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SimulateWindow w(*storage, ws.Model(), ws.Inputs().uom, design::ParseNumber(ws.targetError), nullptr, parent);
    QApplication::restoreOverrideCursor();
    RunModal(w);
}

}  // namespace gui
