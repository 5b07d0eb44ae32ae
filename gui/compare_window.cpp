#include "compare_window.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "advise_window.h"
#include "conventions.h"
#include "form_registry.h"
#include "grid_print_qt.h"
#include "grid_widget.h"

namespace gui {

CompareWindow::CompareWindow(advise::CompareForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    QVBoxLayout* layout = BuildDocumentWindow(*this, form.Title(), form);

    auto* split = new QSplitter(Qt::Horizontal);
    auto* side = new QWidget(split);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel("&Designs (the first ticked is the one\nthe others are marked against):");
    list_ = new QListWidget;
    label->setBuddy(list_);
    auto* proposals = new QPushButton("Add the Advisor's &Proposals");
    proposals->setAutoDefault(false);
    sideLayout->addWidget(label);
    sideLayout->addWidget(list_, 1);
    sideLayout->addWidget(proposals);
    grid_ = new GridWidget(form_.Grid(), split);
    grid_->SetUi(&form_.Ui());
    side->setMaximumWidth(220);
    split->addWidget(side);
    split->addWidget(grid_);
    split->setStretchFactor(1, 4);
    layout->addWidget(split, 1);
    layout->addWidget(new QLabel("Values that differ from the first design's are marked * (blue)."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(proposals, &QPushButton::clicked, this, &CompareWindow::AddProposals);
    connect(list_, &QListWidget::itemChanged, this, [this] {
        if (!filling_) Show();
    });
    FillList();
    Show();
    resize(1200, 520);
}

CompareWindow::~CompareWindow() = default;

void CompareWindow::FillList() {
    filling_ = true;
    list_->clear();
    // The chosen designs first, in their order, then the others.
    std::vector<std::string> names = form_.chosen;
    for (const std::string& n : form_.Names())
        if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
    for (const std::string& n : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(n), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool on = std::find(form_.chosen.begin(), form_.chosen.end(), n) != form_.chosen.end();
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

void CompareWindow::Show() {
    std::vector<std::string> chosen;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->checkState() == Qt::Checked) chosen.push_back(list_->item(i)->text().toStdString());
    if (chosen.empty()) return;
    form_.chosen = chosen;
    form_.Refresh();
    form_.Grid().NotifyLayoutChanged();
    grid_->ApplyLayout();
    grid_->SizeToContents();
}

void CompareWindow::AddProposals() {
    if (!form_.AddProposals()) return;
    FillList();
    Show();
}

void RunComparison(ui::UiPort& ui, store::CCruiseStore& store, const std::string& target) {
    advise::CompareForm form(ui, store, target);
    form.AddProposals();
    ui.RunForm(form);
}

namespace {

FormRegistrar compareReg{advise::CompareForm::kId, [](ui::Form& f, QWidget* parent) {
                             CompareWindow w(dynamic_cast<advise::CompareForm&>(f), parent);
                             return RunModalOk(w);
                         }};

}  // namespace

}  // namespace gui
