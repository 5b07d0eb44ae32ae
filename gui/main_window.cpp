#include "main_window.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/main_dialog.h"
#include "pictures.h"

namespace gui {

MainWindow::MainWindow(app::CMainDialog& logic, QWidget* parent) : QDialog(parent), logic_(logic) {
    setWindowTitle(app::kMainTitle);
    setWindowIcon(AppIcon());
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

    for (const app::ButtonSpec& b : app::kMainButtons) {
        auto* button = new QPushButton(QString::fromUtf8(b.text));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id = b.id] { Run(id); });
        buttons_[b.id] = button;
    }
    buttons_[app::kIdExit]->setDefault(true);

    // The steps in their natural order, each with its picture.
    auto* steps = new QGridLayout;
    const int order[] = {app::kIdOpen, app::kIdCreate, app::kIdStrata, app::kIdCosts,
                         app::kIdDesign};
    for (int row = 0; row < 5; ++row) {
        auto* picture = new QLabel;
        picture->setPixmap(ButtonPicture(order[row]));
        steps->addWidget(picture, row, 0);
        QPushButton* b = buttons_[order[row]];
        b->setMinimumHeight(40);
        b->setStyleSheet("text-align: left; padding-left: 10px;");
        steps->addWidget(b, row, 1);
    }
    steps->addWidget(buttons_[app::kIdEditInfo], 1, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buttons_[app::kIdHelp]);
    bottom->addStretch(1);
    bottom->addWidget(buttons_[app::kIdExit]);

    status_ = new QLineEdit;
    status_->setReadOnly(true);

    auto* menu_bar = new QMenuBar;
    QMenu* menu = menu_bar->addMenu("&Strovan");
    menu->addAction(app::kAboutMenuItem, this, [this] { logic_.OnAbout(); });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu_bar);
    layout->addLayout(steps);
    layout->addWidget(status_);
    layout->addLayout(bottom);
    resize(620, sizeHint().height());
    Refresh();
}

QPushButton* MainWindow::Button(int control_id) const {
    auto it = buttons_.find(control_id);
    return it == buttons_.end() ? nullptr : it->second;
}

void MainWindow::Refresh() {
    for (auto& [id, button] : buttons_) button->setEnabled(logic_.ButtonEnabled(id));
    status_->setText(QString::fromStdString(logic_.StatusText()));
}

void MainWindow::Run(int control_id) {
    switch (control_id) {
        case app::kIdOpen:
            logic_.OnOpen();
            break;
        case app::kIdCreate:
            logic_.OnCreate();
            break;
        case app::kIdStrata:
            logic_.OnEstablishStrata();
            break;
        case app::kIdCosts:
            logic_.OnCosts();
            break;
        case app::kIdDesign:
            logic_.OnDesignProcessing();
            break;
        case app::kIdEditInfo:
            logic_.OnEditCruiseInfo();
            break;
        case app::kIdHelp:
            logic_.OnHelp();
            break;
        case app::kIdExit:
            accept();
            return;
    }
    Refresh();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(app::kAboutMenuItem, this, [this] { logic_.OnAbout(); });
    menu.exec(event->globalPos());
}

}  // namespace gui
