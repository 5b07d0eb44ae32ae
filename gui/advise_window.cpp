#include "advise_window.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "conventions.h"
#include "form_registry.h"
#include "grid_print_qt.h"
#include "grid_widget.h"
#include "pictures.h"
#include "ui/ui_port.h"

namespace gui {

// --- The chart -----------------------------------------------------------------------------

StrataCostChart::StrataCostChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(220, 140);
    setToolTip("Cost of the design optimised for the target sale error, by number of strata; the dashed "
               "line is the current strata.");
}

void StrataCostChart::SetPoints(std::vector<std::pair<int, double>> points, std::optional<double> current, int best) {
    points_ = std::move(points);
    current_ = current;
    best_ = best;
    update();
}

void StrataCostChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm = BeginChart(p, *this);
    int kmax = 1;
    double ymax = current_.value_or(0);
    for (const auto& [k, cost] : points_) {
        kmax = std::max(kmax, k);
        ymax = std::max(ymax, cost);
    }
    ymax = ymax > 0 ? ymax * 1.1 : 1;
    const int left = fm.horizontalAdvance(QString::number(ymax, 'f', 0)) + 8, top = fm.height() + 4,
              bottom = fm.height() * 2 + 4;
    const QRect plot(left, top, width() - left - 10, height() - top - bottom);
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QRect(0, 0, width(), top), Qt::AlignCenter, "Cost by number of strata");
    if (points_.empty() || plot.width() < 20 || plot.height() < 20) {
        p.drawText(plot, Qt::AlignCenter, "No proposal");
        return;
    }
    auto X = [&](double k) { return plot.left() + (k - 0.5) / kmax * plot.width(); };
    auto Y = [&](double v) { return plot.bottom() - v / ymax * plot.height(); };
    p.drawRect(plot);
    for (int k = 1; k <= kmax; ++k)
        p.drawText(QRectF(X(k) - 15, plot.bottom() + 2, 30, fm.height()), Qt::AlignHCenter, QString::number(k));
    for (double v : {0.0, ymax / 2, ymax})
        p.drawText(QRectF(0, Y(v) - fm.height() / 2.0, left - 4, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'f', 0));
    p.drawText(QRect(left, height() - fm.height() - 1, plot.width(), fm.height()), Qt::AlignHCenter, "Strata");
    if (current_) {
        QPen dashed(QColor(200, 0, 0), 1.2);
        dashed.setStyle(Qt::DashLine);
        p.setPen(dashed);
        p.drawLine(QPointF(plot.left(), Y(*current_)), QPointF(plot.right(), Y(*current_)));
        p.drawText(QPointF(plot.left() + 4, Y(*current_) - 3), "current");
    }
    QPainterPath path;
    for (size_t i = 0; i < points_.size(); ++i) {
        const QPointF at(X(points_[i].first), Y(points_[i].second));
        if (i == 0) path.moveTo(at);
        else path.lineTo(at);
    }
    p.setPen(QPen(QColor(0, 0, 200), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    for (const auto& [k, cost] : points_) {
        const bool best = k == best_;
        p.setBrush(best ? QColor(0, 150, 0) : QColor(0, 0, 200));
        p.drawEllipse(QPointF(X(k), Y(cost)), best ? 4.5 : 2.5, best ? 4.5 : 2.5);
    }
}

// --- The window ------------------------------------------------------------------------------

QVBoxLayout* BuildDocumentWindow(QDialog& window, const std::string& title, advise::GridDocument& document) {
    window.setWindowTitle(QString::fromStdString(title));
    window.setWindowFlag(Qt::WindowMaximizeButtonHint);
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new QMenuBar(&window);
    QMenu* file = bar->addMenu("&File");
    QDialog* w = &window;
    advise::GridDocument* doc = &document;
    file->addAction("&Print", w, [w, doc] { doc->Print([w] { return ChoosePrinter(w, true); }); });
    file->addAction("Export &CSV", w, [doc] { doc->ExportCsv(); });
    file->addAction("Export P&DF", w, [doc] { doc->ExportPdf(); });
    file->addSeparator();
    file->addAction("E&xit", w, &QDialog::reject);
    layout->setMenuBar(bar);
    return layout;
}

AdviseWindow::AdviseWindow(advise::AdviseForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    QVBoxLayout* layout = BuildDocumentWindow(*this, form.Title(), form);

    auto* top = new QHBoxLayout;
    target_ = new QSpinBox;
    target_->setRange(1, 99);
    target_->setSuffix(" %");
    target_->setValue(std::clamp(std::atoi(form.target.c_str()), 1, 99));
    maxStrata_ = new QSpinBox;
    maxStrata_->setRange(1, 99);
    maxStrata_->setValue(form.maxStrata);
    auto* again = new QPushButton("&Advise");
    again->setAutoDefault(false);
    auto* targetLabel = new QLabel("&Target sale error");
    targetLabel->setBuddy(target_);
    auto* strataLabel = new QLabel("&Strata up to");
    strataLabel->setBuddy(maxStrata_);
    top->addWidget(targetLabel);
    top->addWidget(target_);
    top->addWidget(strataLabel);
    top->addWidget(maxStrata_);
    top->addWidget(again);
    top->addStretch(1);
    layout->addLayout(top);
    connect(again, &QPushButton::clicked, this, &AdviseWindow::Recompute);

    auto* split = new QSplitter(Qt::Horizontal);
    grid_ = new GridWidget(form_.Grid(), split);
    grid_->SetUi(&form_.Ui());
    chart_ = new StrataCostChart(split);
    split->addWidget(grid_);
    split->addWidget(chart_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);

    auto* note = new QLabel(
        "Plots, sale error and cost come from the program's own compilation and optimisation of each "
        "stratification. Apply makes the chosen one the sale's strata and design.");
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox;
    apply_ = buttons->addButton("A&pply", QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    apply_->setAutoDefault(false);
    connect(apply_, &QPushButton::clicked, this, &AdviseWindow::ApplyCurrent);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    ShowResult();
    resize(1000, 560);
}

AdviseWindow::~AdviseWindow() = default;

void AdviseWindow::ShowResult() {
    form_.Grid().NotifyLayoutChanged();
    grid_->ApplyLayout();
    grid_->SizeToContents();
    const advise::Advice& a = form_.Result();
    const int best = a.best >= 0 ? a.proposals[static_cast<size_t>(a.best)].k : -1;
    chart_->SetPoints(form_.CostByStrata(), form_.CurrentCost(), best);
    // The best proposal's first row is where Apply starts.
    for (size_t r = 0; r < form_.Lines().size(); ++r)
        if (form_.Lines()[r].best) form_.Grid().SetCurrent(0, static_cast<int64_t>(r));
}

void AdviseWindow::Recompute() {
    form_.target = std::to_string(target_->value());
    form_.maxStrata = maxStrata_->value();
    form_.Compute();
    ShowResult();
}

void AdviseWindow::ApplyCurrent() {
    if (form_.ApplyRow(form_.Grid().CurrentRow())) ShowResult();
}

bool RunAdvisor(ui::UiPort& ui, store::CCruiseStore& store, const std::string& target) {
    advise::AdviseForm form(ui, store, target);
    if (!form.Compute()) return false;
    ui.RunForm(form);
    return form.Applied();
}

namespace {

FormRegistrar adviseReg{advise::AdviseForm::kId, [](ui::Form& f, QWidget* parent) {
                            AdviseWindow w(dynamic_cast<advise::AdviseForm&>(f), parent);
                            return RunModalOk(w);
                        }};

}  // namespace

}  // namespace gui
