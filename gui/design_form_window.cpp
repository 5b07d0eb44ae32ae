#include "design_form_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "design/design_form.h"
#include "design/saved_designs.h"
#include "advise_window.h"
#include "compare_window.h"
#include "conventions.h"
#include "form_registry.h"
#include "grid_print_qt.h"
#include "grid_widget.h"
#include "pictures.h"
#include "simulate_window.h"
#include "qt_ui.h"

namespace gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

grid::Font FormFont() { return grid::Font{"MS Sans Serif", 9.5, false, false}; }

// Nice round steps for the chart's axes.
double NiceStep(double range, int ticks) {
    if (!(range > 0)) return 1;
    double raw = range / ticks;
    double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= m * mag) return m * mag;
    return 10 * mag;
}

}  // namespace

// --- Trade-off chart -----------------------------------------------------------------------

TradeoffChart::TradeoffChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(190, 130);
    setToolTip("Total cost against the sale error that Optimize For Error (blue) and Optimize At Least "
               "Cost (green) reach for targets of 2 to 30 percent; the dot is the current design.");
}

void TradeoffChart::SetCurve(std::vector<design::TradeoffPoint> points, design::SaleTotals current,
                             std::vector<design::TradeoffPoint> leastCost) {
    points_ = std::move(points);
    least_ = std::move(leastCost);
    current_ = current;
    update();
}

void TradeoffChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm = BeginChart(p, *this);
    const int left = fm.horizontalAdvance("000000") + 8, bottom = fm.height() * 2 + 4, top = fm.height() + 4,
              right = 10;
    QRect plot(left, top, width() - left - right, height() - top - bottom);
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QRect(0, 0, width(), top), Qt::AlignCenter, "Cost of precision");
    if (points_.empty() || plot.width() < 20 || plot.height() < 20) {
        p.drawText(plot, Qt::AlignCenter, "No design to optimise");
        return;
    }
    double xmax = current_.error, ymax = current_.cost;
    for (const auto* series : {&points_, &least_})
        for (const auto& pt : *series) {
            xmax = std::max(xmax, pt.saleError);
            ymax = std::max(ymax, pt.cost);
        }
    double xstep = NiceStep(xmax, 5), ystep = NiceStep(ymax, 4);
    xmax = std::ceil(xmax / xstep) * xstep;
    ymax = std::ceil(ymax / ystep) * ystep;
    if (xmax <= 0) xmax = 1;
    if (ymax <= 0) ymax = 1;
    auto X = [&](double v) { return plot.left() + v / xmax * plot.width(); };
    auto Y = [&](double v) { return plot.bottom() - v / ymax * plot.height(); };

    QPen gridPen(palette().color(QPalette::Mid));
    gridPen.setStyle(Qt::DotLine);
    for (double v = 0; v <= xmax + 1e-9; v += xstep) {
        p.setPen(gridPen);
        p.drawLine(QPointF(X(v), plot.top()), QPointF(X(v), plot.bottom()));
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(X(v) - 30, plot.bottom() + 2, 60, fm.height()), Qt::AlignHCenter, QString::number(v));
    }
    for (double v = 0; v <= ymax + 1e-9; v += ystep) {
        p.setPen(gridPen);
        p.drawLine(QPointF(plot.left(), Y(v)), QPointF(plot.right(), Y(v)));
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(0, Y(v) - fm.height() / 2.0, left - 4, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'g', 6));
    }
    p.drawText(QRect(left, height() - fm.height() - 1, plot.width(), fm.height()), Qt::AlignHCenter,
               "Sale error (%)");
    p.setPen(palette().color(QPalette::Text));
    p.drawRect(plot);

    auto series = [&](const std::vector<design::TradeoffPoint>& pts, QColor colour, const QString& name, int row) {
        if (pts.empty()) return;
        QPainterPath path;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            QPointF at(X(pts[i].saleError), Y(pts[i].cost));
            if (i == 0) path.moveTo(at);
            else path.lineTo(at);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 1.6));
        p.drawPath(path);
        p.setBrush(colour);
        for (const auto& pt : pts) p.drawEllipse(QPointF(X(pt.saleError), Y(pt.cost)), 1.8, 1.8);
        // A narrow chart has no room for the key beside the steep end of the curves;
        // the tooltip names the colours instead.
        if (plot.width() < 2 * fm.horizontalAdvance("Optimize For Error") + 12) return;
        QRectF key(plot.right() - fm.horizontalAdvance(name) - 6, plot.top() + 3 + row * fm.height(),
                   fm.horizontalAdvance(name) + 2, fm.height());
        p.drawText(key, Qt::AlignRight | Qt::AlignVCenter, name);
    };
    series(points_, QColor(0, 0, 200), "Optimize For Error", 0);
    series(least_, QColor(0, 140, 60), "Least cost", 1);
    p.setPen(QPen(QColor(200, 0, 0), 1.5));
    p.setBrush(QColor(230, 40, 40));
    QPointF here(X(current_.error), Y(current_.cost));
    p.drawEllipse(here, 4.5, 4.5);
    p.drawText(here + QPointF(7, -4), "current");
}

// --- The design form -------------------------------------------------------------------------

DesignFormWindow::DesignFormWindow(design::DesignWorkspace& ws, QWidget* parent) : QDialog(parent), ws_(ws) {
    setWindowTitle(Q(ws_.Title()));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    auto* layout = new QVBoxLayout(this);
    BuildMenus();

    auto* top = new QHBoxLayout;
    auto* figures = new QFormLayout;
    // Wide enough for the largest figure at any size of the form.
    saleError_ = new QLineEdit;
    cost_ = new QLineEdit;
    for (auto [field, widest] : {std::pair{saleError_, "not computable"}, std::pair{cost_, "999999999999.9"}}) {
        field->setReadOnly(true);
        field->setAlignment(Qt::AlignRight);
        const int need = field->fontMetrics().horizontalAdvance(widest) + 16;
        field->setMinimumWidth(need);
        field->setMaximumWidth(need + 40);
    }
    figures->addRow("Sale Error", saleError_);
    figures->addRow("Cost", cost_);
    saving_ = new QLabel;
    figures->addRow(saving_);
    top->addLayout(figures);

    auto* commands = new QGridLayout;
    optimize_ = new QPushButton("&Optimize For Error");
    target_ = new QSpinBox;
    target_->setRange(0, 100);
    target_->setValue(static_cast<int>(design::ParseNumber(ws_.targetError)));
    target_->setSuffix(" %");
    report_ = new QPushButton("Make &Report");
    kelvane_ = new QPushButton("Make &Kelvane");
    auto* help = new QPushButton("&Help");
    auto* ret = new QPushButton("Re&turn");
    commands->addWidget(optimize_, 0, 0);
    commands->addWidget(target_, 0, 1);
    leastCost_ = new QPushButton("Optimize At Least Cost");
    commands->addWidget(leastCost_, 0, 2);
    commands->addWidget(report_, 1, 0);
    commands->addWidget(kelvane_, 1, 1);
    commands->addWidget(help, 2, 0);
    commands->addWidget(ret, 2, 1);
    top->addLayout(commands);
    chart_ = new TradeoffChart;
    top->addWidget(chart_, 1);
    layout->addLayout(top);
    notice_ = new QLabel;
    notice_->setWordWrap(true);
    notice_->setStyleSheet("color: #a00000;");
    notice_->hide();
    layout->addWidget(notice_);

    for (QPushButton* b : {optimize_, leastCost_, report_, kelvane_, help, ret}) b->setAutoDefault(false);
    connect(leastCost_, &QPushButton::clicked, this, [this] {
        // The saving is stated until the next change.
        if (Run(&design::DesignWorkspace::OptimizeAtLeastCost) == design::kWsDone && ws_.LastLeastCost())
            saving_->setText(Q(ws_.LastLeastCost()->Text()));
    });
    connect(target_, &QSpinBox::valueChanged, this, [this](int v) { ws_.targetError = std::to_string(v); });
    connect(optimize_, &QPushButton::clicked, this, [this] { Run(&design::DesignWorkspace::OptimizeForError); });
    connect(report_, &QPushButton::clicked, this, [this] { Run(&design::DesignWorkspace::MakeReport); });
    connect(kelvane_, &QPushButton::clicked, this, [this] { Run(&design::DesignWorkspace::MakeKelvane); });
    connect(help, &QPushButton::clicked, this, [this] { ws_.Help(); });
    connect(ret, &QPushButton::clicked, this, &DesignFormWindow::accept);

    strata_.SetDefaultFont(FormFont());
    groups_.SetDefaultFont(FormFont());
    strataView_ = new GridWidget(strata_);
    groupView_ = new GridWidget(groups_);
    strataView_->SetUi(&ws_.Ui());
    groupView_->SetUi(&ws_.Ui());
    splitter_ = new QSplitter(Qt::Vertical);
    splitter_->addWidget(strataView_);
    splitter_->addWidget(groupView_);
    splitter_->setChildrenCollapsible(false);
    // The line can be dragged to within 75 pixels of either grid's far edge.
    strataView_->setMinimumHeight(75);
    groupView_->setMinimumHeight(75);
    splitter_->setHandleWidth(6);
    layout->addWidget(splitter_, 1);

    // A paste is one step of undo; one refused half-way is taken back whole.
    auto paste = [this](grid::GridModel& m, const grid::CellBlock& block, const std::string& text) {
        ws_.BeginUndoGroup("Paste");
        grid::PasteResult r = grid::PasteText(m, block, text, {/*roll_back=*/false});
        ws_.EndUndoGroup(r.ok);
        RefreshAll();
        return r;
    };
    strataView_->SetPasteHandler(paste);
    groupView_->SetPasteHandler(paste);

    strata_.OnRightClick([this](grid::GridModel&, grid::CellRef c) { return StrataMenu(c); });
    groups_.OnRightClick([this](grid::GridModel&, grid::CellRef c) { return GroupMenu(c); });
    strata_.OnEdit([this](grid::GridModel& m, const grid::EditEvent& e) {
        if (filling_) return;
        std::string column = strata_.Heading(e.col);
        std::string text = e.new_text;
        if (column == "Lock") text = m.IsChecked(e.col, e.row) ? "1" : "0";
        ws_.EditStratumCell(static_cast<std::size_t>(e.row), column, text);
        AfterChange();
    });
    // Each cell takes what its value rule allows; a refused text never reaches the grid.
    strata_.OnCheckEdit([this](const grid::GridModel& m, int col, int64_t row, const std::string& text) {
        return ws_.CheckStratumCell(static_cast<std::size_t>(row), m.Heading(col), text);
    });
    groups_.OnCheckEdit([this](const grid::GridModel& m, int col, int64_t row, const std::string& text) {
        return ws_.CheckSgCell(static_cast<std::size_t>(row), m.Heading(col), text);
    });
    groups_.OnEdit([this](grid::GridModel&, const grid::EditEvent& e) {
        if (filling_) return;
        ws_.EditSgCell(static_cast<std::size_t>(e.row), groups_.Heading(e.col), e.new_text);
        AfterChange();
    });
    connect(strataView_->Adapter(), &GridTableModel::currentMoved, this, [this](int, int row) {
        if (filling_ || row == ws_.Selected()) return;
        if (ws_.SelectStratum(row) == design::kWsDone) ShowGroups();
    });

    chartTimer_ = new QTimer(this);
    chartTimer_->setSingleShot(true);
    chartTimer_->setInterval(250);
    connect(chartTimer_, &QTimer::timeout, this, &DesignFormWindow::UpdateChartNow);

    RefreshAll();
    UpdateChartNow();
    resize(1100, 640);
}

// The grid widgets point at the models, which are members: the widgets go first.
DesignFormWindow::~DesignFormWindow() { delete splitter_; }

// Every menu of the form is built here. Items carry their mnemonics in the text; one
// without gets a free letter as the form shows (conventions.h), and a command with a
// standard shortcut takes it with AddShortcut and the keys:: list.
void DesignFormWindow::BuildMenus() {
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    QMenu* file = bar->addMenu("&File");
    saveDesign_ = file->addAction("&Save Design", this, [this] { Run(&design::DesignWorkspace::SaveDesign); });
    AddShortcut(saveDesign_, keys::kSave, *this);
    loadDesign_ = file->addAction("&Load Design", this, [this] { Run(&design::DesignWorkspace::LoadDesign); });
    file->addAction("&Remove Design", this, [this] { Run(&design::DesignWorkspace::RemoveDesign); });
    AddShortcut(file->addAction("&Print Table", this, &DesignFormWindow::PrintTable), keys::kPrint, *this);
    file->addSeparator();
    QAction* exit = file->addAction("E&xit", this, &DesignFormWindow::reject);
    // Edits are already in the design tables; only Return copies them to the methods.
    exit->setToolTip("Close the form; the design keeps its edits, the per-method copies are not updated");
    file->setToolTipsVisible(true);

    QMenu* edit = bar->addMenu("&Edit");
    undo_ = edit->addAction("&Undo", this, [this] {
        ws_.Undo();
        RefreshAll();
    });
    redo_ = edit->addAction("&Redo", this, [this] {
        ws_.Redo();
        RefreshAll();
    });
    AddShortcut(undo_, keys::kUndo, *this);
    AddShortcut(redo_, keys::kRedo, *this);

    QMenu* data = bar->addMenu("&Data");
    QAction* hints = data->addAction("Toggle &Hints");
    hints->setCheckable(true);
    hints->setChecked(ws_.hints);
    connect(hints, &QAction::triggered, this, [this] {
        ws_.ToggleHints();
        strata_.SetHintsShown(ws_.hints);
        groups_.SetHintsShown(ws_.hints);
    });
    QAction* multiple = data->addAction("Update &Multiple Methods");
    multiple->setCheckable(true);
    multiple->setChecked(ws_.updateMultipleMethods);
    connect(multiple, &QAction::triggered, this, [this] { ws_.ToggleUpdateMultipleMethods(); });
    QAction* warnings = data->addAction("Display Data &Warnings");
    warnings->setCheckable(true);
    warnings->setChecked(ws_.displayDataWarnings);
    connect(warnings, &QAction::triggered, this, [this] { ws_.ToggleDataWarnings(); });
    data->addSeparator();
    data->addAction("Simulate Cruise…", this, [this] { ShowSimulation(ws_, this); });
    data->addAction(QString::fromUtf8("Advise Strata\u2026"), this, [this] {
        if (!RunAdvisor(ws_.Ui(), ws_.Store(), ws_.targetError)) return;
        ws_.Reload();
        RefreshAll();
    });
    data->addAction(QString::fromUtf8("Compare Designs\u2026"), this,
                    [this] { RunComparison(ws_.Ui(), ws_.Store(), ws_.targetError); });
}

void DesignFormWindow::PrintTable() {
    // The table the forester works in: the sample groups when that grid has the
    // focus, else the strata.
    const bool groups = groupView_->hasFocus();
    grid::GridModel& table = groups ? groups_ : strata_;
    grid::PrintOptions options;
    options.document_name = (groups ? "Sample Groups - " : "Strata - ") + ws_.Inputs().path;
    QtUi ui;
    gui::PrintGrid(table, 0, 0, table.ColumnCount() - 1, table.RowCount() - 1, /*paged=*/true, this, ui,
                   options);
}

int DesignFormWindow::Run(int (design::DesignWorkspace::*command)()) {
    int rc = (ws_.*command)();
    RefreshAll();
    return rc;
}

void DesignFormWindow::AfterChange() {
    // Only the selected stratum and its groups change with a cell edit.
    filling_ = true;
    if (ws_.Selected() >= 0) FillStratumRow(ws_.Selected());
    auto groups = ws_.SelectedGroups();
    for (std::size_t i = 0; i < groups.size(); ++i) FillGroupRow(static_cast<int>(i), *groups[i]);
    filling_ = false;
    strata_.NotifyCellsChanged(0, 0, strata_.ColumnCount() - 1, strata_.RowCount() - 1);
    groups_.NotifyCellsChanged(0, 0, groups_.ColumnCount() - 1, groups_.RowCount() - 1);
    RefreshTotals();
    UpdateEnabled();
    saving_->clear();
    chartTimer_->start();
}

void DesignFormWindow::RefreshAll() {
    saving_->clear();
    FillStrata();
    ShowGroups();
    RefreshTotals();
    UpdateEnabled();
    chartTimer_->start();
}

void DesignFormWindow::UpdateChartNow() {
    chartTimer_->stop();
    if (!ws_.CanOptimize()) chart_->SetCurve({}, ws_.Totals());
    else chart_->SetCurve(ws_.TradeoffCurve(), ws_.Totals(), ws_.LeastCostCurve());
}

void DesignFormWindow::RefreshTotals() {
    // The texts are padded to their print widths; the fields align them instead.
    saleError_->setText(Q(ws_.SaleErrorText()).trimmed());
    saleError_->setToolTip(Q(ws_.UncomputableText()));
    cost_->setText(Q(ws_.CostText()).trimmed());
    cost_->setToolTip(Q(ws_.CostWarning()));
    std::string notice = ws_.UncomputableText();
    if (!ws_.CostWarning().empty()) notice += (notice.empty() ? "" : "\n") + ws_.CostWarning();
    notice_->setText(Q(notice));
    notice_->setVisible(!notice.empty());
}

void DesignFormWindow::UpdateEnabled() {
    optimize_->setEnabled(ws_.CanOptimize());
    leastCost_->setEnabled(ws_.CanOptimize());
    kelvane_->setEnabled(ws_.CanMakeKelvane());
    report_->setEnabled(ws_.CanMakeReport());
    saveDesign_->setEnabled(ws_.CanSaveLoad());
    loadDesign_->setEnabled(ws_.CanSaveLoad());
    undo_->setEnabled(ws_.CanUndo());
    redo_->setEnabled(ws_.CanRedo());
    undo_->setText(ws_.CanUndo() ? Q("&Undo " + ws_.UndoLabel()) : "&Undo");
    redo_->setText(ws_.CanRedo() ? Q("&Redo " + ws_.RedoLabel()) : "&Redo");
}

void DesignFormWindow::FillStrata() {
    filling_ = true;
    const auto& cols = design::StratumGridColumns();
    const auto& strata = ws_.Model().strata;
    strata_.Unbind(static_cast<int>(cols.size()), static_cast<int64_t>(strata.size()));
    for (std::size_t c = 0; c < cols.size(); ++c) {
        int col = static_cast<int>(c);
        strata_.SetHeading(col, cols[c]);
        // A production cruise's design table has neither a lock nor a plot size.
        bool absent = ws_.IsProduction() && (cols[c] == "Lock" || cols[c] == "PlotSize");
        strata_.SetColumnHidden(col, absent || !design::StratumColumnShown(cols[c]));
        strata_.SetHint(col, design::StratumColumnHint(cols[c], ws_.Inputs().uom));
        if (cols[c] == "Lock") {
            strata_.SetColumnKind(col, grid::CellKind::CheckBox);
            strata_.SetColumnWidthDu(col, 30);
            strata_.SetColumnReadOnly(col, ws_.IsProduction());
        } else {
            strata_.SetAutoWidth(col, true);
        }
        if (design::StratumColumnReadOnly(cols[c])) {
            strata_.SetColumnReadOnly(col, true);
            strata_.SetColumnBackground(col, grid::colors::kReadOnlyGrey);
        }
        strata_.SetColumnAlign(col, design::StratumColumnRightAligned(cols[c]) ? grid::Align::Right : grid::Align::Left);
    }
    strata_.SetHintsShown(ws_.hints);
    for (std::size_t r = 0; r < strata.size(); ++r) FillStratumRow(static_cast<int>(r));
    if (ws_.Selected() >= 0) strata_.SetCurrent(strata_.CurrentColumn(), ws_.Selected());
    filling_ = false;
    strata_.NotifyLayoutChanged();
    strataView_->ApplyLayout();
    strataView_->SizeToContents();
}

void DesignFormWindow::FillStratumRow(int row) {
    const design::StratumRow& s = ws_.Model().strata[row];
    const auto& cols = design::StratumGridColumns();
    for (std::size_t c = 0; c < cols.size(); ++c) {
        if (cols[c] == "Lock") strata_.SetChecked(static_cast<int>(c), row, design::IsLocked(s));
        else strata_.SetText(static_cast<int>(c), row, design::StratumCellText(s, cols[c]));
    }
}

void DesignFormWindow::ShowGroups() {
    filling_ = true;
    const auto& cols = design::SgGridColumns();
    auto groups = ws_.SelectedGroups();
    const design::StratumRow* s = ws_.SelectedStratum();
    std::string method = s ? s->cruzMeth : "";
    groups_.Unbind(static_cast<int>(cols.size()), static_cast<int64_t>(groups.size()));
    groups_.ClearCellStyles();
    for (std::size_t c = 0; c < cols.size(); ++c) {
        int col = static_cast<int>(c);
        groups_.SetHeading(col, cols[c]);
        groups_.SetColumnHidden(col, !design::SgColumnShown(method, cols[c]));
        groups_.SetColumnReadOnly(col, design::SgColumnReadOnly(method, cols[c]));
        groups_.SetHint(col, design::SgColumnHint(cols[c], ws_.Inputs().uom));
        bool text = cols[c] == "Stratum" || cols[c] == "SgCode" || cols[c] == "Description";
        if (text) {
            groups_.SetAutoWidth(col, true);
        } else {
            groups_.SetColumnWidthDu(col, 60);
            groups_.SetColumnAlign(col, grid::Align::Right);
        }
    }
    groups_.SetHintsShown(ws_.hints);
    shownMethod_ = method;
    for (std::size_t i = 0; i < groups.size(); ++i) FillGroupRow(static_cast<int>(i), *groups[i]);
    filling_ = false;
    groups_.NotifyLayoutChanged();
    groupView_->ApplyLayout();
    groupView_->SizeToContents();
}

void DesignFormWindow::FillGroupRow(int row, const design::SgRow& g) {
    const auto& cols = design::SgGridColumns();
    for (std::size_t c = 0; c < cols.size(); ++c) {
        int col = static_cast<int>(c);
        groups_.SetText(col, row, design::SgCellText(g, cols[c], shownMethod_));
        unsigned colour = design::SgCellColour(g, cols[c]);
        if (colour != design::kNormalTextColour) groups_.SetTextColor(col, row, grid::Color::FromColorRef(colour));
    }
}

std::vector<grid::MenuItem> DesignFormWindow::StrataMenu(grid::CellRef cell) {
    std::vector<grid::MenuItem> items;
    if (cell.row < 0 || cell.row >= static_cast<int64_t>(ws_.Model().strata.size())) return items;
    std::size_t s = static_cast<std::size_t>(cell.row);
    if (ws_.SelectStratum(static_cast<int>(s)) == design::kWsDone && shownMethod_ != ws_.SelectedStratum()->cruzMeth)
        ShowGroups();
    items.push_back({"Change Cruise Method", [this, s] {
                         ws_.ChangeCruiseMethod(s);
                         RefreshAll();
                     }});
    items.push_back({"Add Units to Stratum", [this, s] {
                         ws_.AddUnits(s);
                         RefreshAll();
                     }});
    items.push_back({"Remove Units From Stratum", [this, s] {
                         ws_.RemoveUnits(s);
                         RefreshAll();
                     }});
    std::string plot = design::PlotSizeMenuText(ws_.Model().strata[s].cruzMeth);
    if (!plot.empty())
        items.push_back({plot, [this, s] {
                             ws_.ChangePlotSize(s);
                             RefreshAll();
                         }});
    items.push_back({"Recalculate Sale Error", [this] {
                         ws_.RecalculateSaleError();
                         RefreshTotals();
                     }});
    return items;
}

std::vector<grid::MenuItem> DesignFormWindow::GroupMenu(grid::CellRef) {
    return {{"Recalculate Strata Error", [this] {
                 ws_.RecalculateStrataError();
                 AfterChange();
             }}};
}

void DesignFormWindow::keyPressEvent(QKeyEvent* e) {
    // Escape ends a cell edit (the grid's business); it never closes the form.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void DesignFormWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    raise();
    activateWindow();
}

void DesignFormWindow::closeEvent(QCloseEvent* e) {
    if (ws_.CloseByWindow() == design::kWsCancelled) {
        e->ignore();
        return;
    }
    e->accept();
    QDialog::done(QDialog::Rejected);
}

void DesignFormWindow::accept() {
    ws_.Return();
    QDialog::accept();
}

void DesignFormWindow::reject() {
    ws_.Exit();
    QDialog::reject();
}

// --- The small dialogs --------------------------------------------------------------------

namespace {

bool RunMethodSelection(design::MethodSelectionForm& form, QWidget* parent) {
    QDialog dlg(parent);
    dlg.setWindowTitle("Select Cruise Method");
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(design::kSelectMethodHeading));
    const char* heads[] = {"Select", "CruzMeth", "Error", "SumN", "SumN2", "WtCV", "WtCV2", "StrCost", "PlotSize"};
    auto* table = new QTableWidget(static_cast<int>(form.rows.size()), 9);
    for (int c = 0; c < 9; ++c) table->setHorizontalHeaderItem(c, new QTableWidgetItem(heads[c]));
    auto fill = [&] {
        table->blockSignals(true);
        for (std::size_t r = 0; r < form.rows.size(); ++r) {
            const auto& m = form.rows[r];
            auto* check = new QTableWidgetItem;
            check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            check->setCheckState(r < form.selected.size() && form.selected[r] ? Qt::Checked : Qt::Unchecked);
            table->setItem(static_cast<int>(r), 0, check);
            const std::string cells[] = {m.cruzMeth,
                                         design::StratumCellText(m, "Error"),
                                         design::StratumCellText(m, "SumN"),
                                         design::StratumCellText(m, "SumN2"),
                                         design::StratumCellText(m, "WtCV"),
                                         design::StratumCellText(m, "WtCV2"),
                                         design::StratumCellText(m, "StrCost"),
                                         design::StratumCellText(m, "PlotSize")};
            for (int c = 0; c < 8; ++c) {
                auto* item = new QTableWidgetItem(Q(cells[c]));
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table->setItem(static_cast<int>(r), c + 1, item);
            }
        }
        table->blockSignals(false);
    };
    fill();
    // One method only: ticking a row clears the others.
    QObject::connect(table, &QTableWidget::itemChanged, &dlg, [&](QTableWidgetItem* item) {
        if (item->column() != 0) return;
        form.Tick(static_cast<std::size_t>(item->row()), item->checkState() == Qt::Checked);
        fill();
    });
    table->resizeColumnsToContents();
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    dlg.resize(620, 380);
    return RunModalOk(dlg);
}

bool RunPlotSize(design::PlotSizeForm& form, QWidget* parent) {
    QDialog dlg(parent);
    dlg.setWindowTitle(Q(form.Title()));
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(Q(form.Label())));
    auto* edit = new QLineEdit(Q(form.value));
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [&] {
        form.value = edit->text().toStdString();
        if (form.OnOk()) dlg.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    return RunModalOk(dlg);
}

bool RunSavedDesigns(design::SavedDesignsForm& form, QWidget* parent) {
    QDialog dlg(parent);
    dlg.setWindowTitle(Q(form.Title()));
    auto* layout = new QVBoxLayout(&dlg);
    auto* list = new QListWidget;
    for (const auto& id : form.ids) list->addItem(Q(id));
    layout->addWidget(list);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Design ID"));
    auto* edit = new QLineEdit;
    row->addWidget(edit);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox;
    QPushButton* action = buttons->addButton(Q(form.ActionText()), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    auto pick = [&](QListWidgetItem* item) {
        form.Pick(static_cast<std::size_t>(list->row(item)));
        edit->setText(Q(form.id));
    };
    QObject::connect(list, &QListWidget::itemClicked, &dlg, pick);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dlg, pick);
    QObject::connect(action, &QPushButton::clicked, &dlg, [&] {
        form.id = edit->text().toStdString();
        if (form.OnAction()) dlg.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    dlg.resize(320, 260);
    return RunModalOk(dlg);
}

bool RunDesignForm(ui::Form& f, QWidget* parent) {
    auto& form = dynamic_cast<design::DesignForm&>(f);
    DesignFormWindow window(form.Workspace(), parent);
    return RunModalOk(window);
}

const FormRegistrar kDesignReg{design::kDesignFormId, RunDesignForm};
const FormRegistrar kMethodReg{design::kSelectMethodFormId, [](ui::Form& f, QWidget* p) {
                                   return RunMethodSelection(dynamic_cast<design::MethodSelectionForm&>(f), p);
                               }};
const FormRegistrar kPlotReg{design::kPlotSizeFormId, [](ui::Form& f, QWidget* p) {
                                 return RunPlotSize(dynamic_cast<design::PlotSizeForm&>(f), p);
                             }};
const FormRegistrar kSavedReg{design::kSavedDesignsFormId, [](ui::Form& f, QWidget* p) {
                                  return RunSavedDesigns(dynamic_cast<design::SavedDesignsForm&>(f), p);
                              }};

}  // namespace

}  // namespace gui
