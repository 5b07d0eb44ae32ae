#pragma once
// The "Strovan Form" dialog: the strata grid and the sample-group grid of the design
// workspace with a draggable splitter between them, the sale error and cost, the
// trade-off chart, the buttons and menus of the form, undo and redo. The workspace
// does the work; this window shows it and passes the forester's actions on.
#include <QDialog>
#include <QWidget>
#include <memory>
#include <vector>

#include "design/tradeoff.h"
#include "design/workspace.h"
#include "grid/grid_model.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTimer;

namespace gui {

class GridWidget;

// Cost against the sale error that Optimize For Error and Optimize At Least Cost would
// reach, with the current design marked.
class TradeoffChart : public QWidget {
    Q_OBJECT
public:
    explicit TradeoffChart(QWidget* parent = nullptr);
    void SetCurve(std::vector<design::TradeoffPoint> points, design::SaleTotals current,
                  std::vector<design::TradeoffPoint> leastCost = {});
    const std::vector<design::TradeoffPoint>& LeastCostPoints() const { return least_; }
    QSize sizeHint() const override { return {300, 150}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::vector<design::TradeoffPoint> points_, least_;
    design::SaleTotals current_;
};

class DesignFormWindow : public QDialog {
    Q_OBJECT
public:
    DesignFormWindow(design::DesignWorkspace& ws, QWidget* parent = nullptr);
    ~DesignFormWindow() override;

    grid::GridModel& StrataGrid() { return strata_; }
    grid::GridModel& GroupGrid() { return groups_; }
    GridWidget* StrataView() { return strataView_; }
    GridWidget* GroupView() { return groupView_; }
    QSplitter* Splitter() { return splitter_; }
    TradeoffChart* Chart() { return chart_; }
    QLabel* Notice() { return notice_; }
    QAction* UndoAction() { return undo_; }
    QAction* RedoAction() { return redo_; }
    // Everything shown again from the workspace (after any command).
    void RefreshAll();
    // The trade-off curve now rather than after the pause that follows an edit.
    void UpdateChartNow();

    void accept() override;  // Return
    void reject() override;  // Exit

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;  // asks what becomes of a changed design

private:
    void BuildMenus();
    void PrintTable();
    void FillStrata();
    void FillStratumRow(int row);
    void ShowGroups();
    void FillGroupRow(int row, const design::SgRow& g);
    void RefreshTotals();
    void UpdateEnabled();
    void AfterChange();
    int Run(int (design::DesignWorkspace::*command)());
    std::vector<grid::MenuItem> StrataMenu(grid::CellRef cell);
    std::vector<grid::MenuItem> GroupMenu(grid::CellRef cell);

    design::DesignWorkspace& ws_;
    grid::GridModel strata_, groups_;
    GridWidget* strataView_ = nullptr;
    GridWidget* groupView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TradeoffChart* chart_ = nullptr;
    QLineEdit* saleError_ = nullptr;
    QLineEdit* cost_ = nullptr;
    QLabel* notice_ = nullptr;  // why the sale error or cost is incomplete
    QSpinBox* target_ = nullptr;
    QPushButton* optimize_ = nullptr;
    QPushButton* leastCost_ = nullptr;
    QLabel* saving_ = nullptr;
    QPushButton* report_ = nullptr;
    QPushButton* kelvane_ = nullptr;
    QAction* saveDesign_ = nullptr;
    QAction* loadDesign_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QTimer* chartTimer_ = nullptr;
    std::string shownMethod_;
    bool filling_ = false;
};

}  // namespace gui
