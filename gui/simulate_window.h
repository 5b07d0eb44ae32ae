#pragma once
// "Simulate Cruise": the design cruised many times over against the file's recon
// plots and trees, in the background with a progress bar and Cancel; then the
// histogram of the achieved sale error (target and the design's error marked), the
// chance of meeting the target in words, and the per-stratum table, which prints and
// exports like every grid. The cruise file is only read.
#include <QDialog>
#include <QWidget>
#include <atomic>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "grid/grid_model.h"
#include "simulate/population.h"
#include "simulate/simulate.h"

class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace design { class DesignWorkspace; }
namespace ui { class UiPort; }

namespace gui {

class GridWidget;
class QtUi;

class ErrorHistogram : public QWidget {
    Q_OBJECT
public:
    explicit ErrorHistogram(QWidget* parent = nullptr);
    // values: distinct errors with their counts.
    void SetData(std::vector<std::pair<double, int64_t>> values, double target, double designError);
    QSize sizeHint() const override { return {520, 200}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::vector<std::pair<double, int64_t>> values_;
    double target_ = 0, design_ = 0;
};

class SimulateWindow : public QDialog {
    Q_OBJECT
public:
    // Builds the pseudo-population from the open file (read only); ui takes messages
    // and file names (the window's own Qt dialogs when null).
    SimulateWindow(mk::Storage& storage, const design::Design& design, const std::string& uom, double target,
                   ui::UiPort* ui = nullptr, QWidget* parent = nullptr);
    ~SimulateWindow() override;

    // Starts a run with the settings shown (the window starts one when it opens).
    void Start();
    void CancelRun();
    bool Running() const { return worker_.joinable(); }
    const simulate::Result& Result() const { return result_; }
    grid::GridModel& Table() { return table_; }
    QLabel* Sentence() { return sentence_; }
    QProgressBar* Progress() { return progress_; }
    QSpinBox* Replicates() { return replicates_; }
    ErrorHistogram* Histogram() { return histogram_; }

    void PrintTable();
    void ExportCsv();
    void ExportPdf();

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    void Poll();
    void ShowResult();

    const simulate::Population population_;
    const std::string uom_;
    std::unique_ptr<QtUi> ownUi_;
    ui::UiPort& ui_;
    grid::GridModel table_;
    simulate::Result result_;
    std::thread worker_;
    std::atomic<bool> cancel_{false}, finished_{false};
    std::atomic<int> done_{0};
    bool started_ = false;

    QSpinBox* replicates_ = nullptr;
    QSpinBox* seed_ = nullptr;
    QDoubleSpinBox* target_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* cancel_button_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* sentence_ = nullptr;
    QLabel* details_ = nullptr;
    ErrorHistogram* histogram_ = nullptr;
    GridWidget* grid_ = nullptr;
    QTimer* timer_ = nullptr;
};

// The window on the design form's current design.
void ShowSimulation(design::DesignWorkspace& ws, QWidget* parent);

}  // namespace gui
