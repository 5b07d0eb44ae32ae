#pragma once
// The main window on screen: the step buttons with their pictures, the status line
// and the About entry. Each click runs the handler of app::CMainDialog and shows the
// state it leaves.
#include <map>

#include <QDialog>

class QAction;
class QLineEdit;
class QPushButton;

namespace app {
class CMainDialog;
}

namespace gui {

class MainWindow : public QDialog {
    Q_OBJECT
public:
    explicit MainWindow(app::CMainDialog& logic, QWidget* parent = nullptr);

    QPushButton* Button(int control_id) const;
    QLineEdit* StatusLine() const { return status_; }
    // The keyboard shortcut of a step (Ctrl+O, Ctrl+N, F1, Ctrl+Q) and a step's picture.
    QAction* Shortcut(int control_id) const;
    QWidget* Picture(int control_id) const;
    // Shows the logic's state: enabled buttons and status text.
    void Refresh();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Run(int control_id);

    app::CMainDialog& logic_;
    std::map<int, QPushButton*> buttons_;
    std::map<int, QAction*> shortcuts_;
    std::map<int, QWidget*> pictures_;
    QLineEdit* status_;
};

}  // namespace gui
