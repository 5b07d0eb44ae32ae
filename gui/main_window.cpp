#include "main_window.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
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
    setWindowTitle(QString::fromStdString(logic_.WindowTitle()));
    setWindowIcon(AppIcon());
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

    // Enter presses the button that has the focus, as on any desktop; no button is the
    // default, so Enter elsewhere (the status line) does nothing, and never quits.
    for (const app::ButtonSpec& b : app::kMainButtons) {
        auto* button = new QPushButton(QString::fromUtf8(b.text));
        button->setAutoDefault(true);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id = b.id] { Run(id); });
        buttons_[b.id] = button;
    }

    // The steps in their natural order, each with its picture hugging the button's
    // left side however the window is sized.
    auto* steps = new QGridLayout;
    steps->setHorizontalSpacing(8);
    const int order[] = {app::kIdOpen, app::kIdCreate, app::kIdStrata, app::kIdCosts,
                         app::kIdDesign};
    for (int row = 0; row < 5; ++row) {
        auto* picture = new PictureWidget(order[row]);
        pictures_[order[row]] = picture;
        steps->addWidget(picture, row, 0, Qt::AlignVCenter);
        QPushButton* b = buttons_[order[row]];
        b->setMinimumHeight(kPictureSize);
        // Left-aligned text needs a style sheet, and a style sheet loses the native
        // focus frame: the focused step gets a ring of its own that shows at a glance.
        b->setStyleSheet(
            "QPushButton { text-align: left; padding: 4px 10px; border: 1px solid palette(mid);"
            " border-radius: 4px; background-color: palette(button); }"
            "QPushButton:hover { border-color: palette(dark); }"
            "QPushButton:pressed { background-color: palette(midlight); }"
            "QPushButton:focus { border: 2px solid palette(highlight); padding: 3px 9px; }"
            "QPushButton:disabled { color: palette(mid); }");
        steps->addWidget(b, row, 1);
    }
    steps->addWidget(buttons_[app::kIdEditInfo], 1, 2);
    steps->setColumnStretch(0, 0);
    steps->setColumnStretch(1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buttons_[app::kIdHelp]);
    bottom->addStretch(1);
    bottom->addWidget(buttons_[app::kIdExit]);

    status_ = new QLineEdit;
    status_->setReadOnly(true);

    // The standard shortcuts, also on the menu so they can be found.
    auto* menu_bar = new QMenuBar;
    QMenu* menu = menu_bar->addMenu("&Strovan");
    auto shortcut = [&](const QString& text, QKeySequence keys, int id) {
        QAction* a = menu->addAction(text);
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);  // active while the menu bar is hidden too
        connect(a, &QAction::triggered, this, [this, id] {
            if (logic_.ButtonEnabled(id)) Run(id);
        });
        shortcuts_[id] = a;
    };
    shortcut("&Open...", QKeySequence::Open, app::kIdOpen);
    shortcut("&New...", QKeySequence::New, app::kIdCreate);
    menu->addSeparator();
    shortcut("&Help", QKeySequence(Qt::Key_F1), app::kIdHelp);
    menu->addAction(app::kAboutMenuItem, this, [this] { logic_.OnAbout(); });
    menu->addSeparator();
    shortcut("&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q), app::kIdExit);

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
    setWindowTitle(QString::fromStdString(logic_.WindowTitle()));
}

QAction* MainWindow::Shortcut(int control_id) const {
    auto it = shortcuts_.find(control_id);
    return it == shortcuts_.end() ? nullptr : it->second;
}

QWidget* MainWindow::Picture(int control_id) const {
    auto it = pictures_.find(control_id);
    return it == pictures_.end() ? nullptr : it->second;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        // Escape would reject the dialog and so end the program.
        case Qt::Key_Escape:
        // A focused button takes Enter itself; anywhere else Enter must not press a
        // default button (the dialog makes one of its own when none is set).
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
                event->accept();
                return;
            }
            break;
        default:
            break;
    }
    QDialog::keyPressEvent(event);
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
