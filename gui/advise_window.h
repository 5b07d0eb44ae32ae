#pragma once
// "Advise Strata": the advisor's table of proposals in a grid, a small chart of cost
// against the number of strata, and Apply on the chosen row. The form
// (advise::AdviseForm) does the work; this window shows it.
#include <QDialog>
#include <QVBoxLayout>
#include <QWidget>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "advise/advise_forms.h"

class QPushButton;
class QSpinBox;

namespace store {
class CCruiseStore;
}
namespace ui {
class UiPort;
}

namespace gui {

class GridWidget;

// Cost against the number of strata; the current strata's cost as a dashed line.
class StrataCostChart : public QWidget {
    Q_OBJECT
public:
    explicit StrataCostChart(QWidget* parent = nullptr);
    void SetPoints(std::vector<std::pair<int, double>> points, std::optional<double> current, int best);
    QSize sizeHint() const override { return {280, 170}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::vector<std::pair<int, double>> points_;
    std::optional<double> current_;
    int best_ = -1;  // k of the best proposal
};

// The frame the advisor's and the comparison's windows share: title, the File menu of
// a printable table, and the layout the window fills.
QVBoxLayout* BuildDocumentWindow(QDialog& window, const std::string& title, advise::GridDocument& document);

class AdviseWindow : public QDialog {
    Q_OBJECT
public:
    AdviseWindow(advise::AdviseForm& form, QWidget* parent = nullptr);
    ~AdviseWindow() override;

    GridWidget* Grid() { return grid_; }
    StrataCostChart* Chart() { return chart_; }
    QPushButton* ApplyButton() { return apply_; }
    QSpinBox* Target() { return target_; }
    QSpinBox* MaxStrata() { return maxStrata_; }
    // "Advise": the proposals priced again for the target and number of strata shown.
    void Recompute();
    // "Apply" on the grid's current row.
    void ApplyCurrent();

private:
    void ShowResult();

    advise::AdviseForm& form_;
    GridWidget* grid_ = nullptr;
    StrataCostChart* chart_ = nullptr;
    QSpinBox* target_ = nullptr;
    QSpinBox* maxStrata_ = nullptr;
    QPushButton* apply_ = nullptr;
};

// The advisor from a form's menu on its open cruise file; true when a proposal was
// applied (the caller then shows the file's strata and design again).
bool RunAdvisor(ui::UiPort& ui, store::CCruiseStore& store, const std::string& target);

}  // namespace gui
