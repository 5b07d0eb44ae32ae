#pragma once
// "Compare Designs": the current design, saved designs and the advisor's proposals
// side by side in a grid, differences marked; printable and exportable. The form
// (advise::CompareForm) does the work; this window shows it.
#include <QDialog>
#include <string>

#include "advise/advise_forms.h"

class QListWidget;
class QPushButton;

namespace store {
class CCruiseStore;
}
namespace ui {
class UiPort;
}

namespace gui {

class GridWidget;

class CompareWindow : public QDialog {
    Q_OBJECT
public:
    CompareWindow(advise::CompareForm& form, QWidget* parent = nullptr);
    ~CompareWindow() override;

    GridWidget* Grid() { return grid_; }
    QListWidget* Designs() { return list_; }
    // The ticked designs compared again, in list order.
    void Show();
    // "Add Proposals": the advisor's proposals priced and listed.
    void AddProposals();

private:
    void FillList();

    advise::CompareForm& form_;
    QListWidget* list_ = nullptr;
    GridWidget* grid_ = nullptr;
    bool filling_ = false;
};

// The comparison from the design form's menu on its open cruise file, with the
// advisor's proposals priced for `target`: the current design beside the best one.
void RunComparison(ui::UiPort& ui, store::CCruiseStore& store, const std::string& target);

}  // namespace gui
