#pragma once
// The UI port on Qt: real message boxes, file dialogs and the shell's forms.
#include <memory>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "ui/ui_port.h"

namespace gui {

class QtUi : public ui::UiPort {
public:
    QtUi();
    ~QtUi() override;
    // Dialogs are parented to the main window once it exists.
    void SetMainWindow(QWidget* window) { main_ = window; }

    ui::Answer MessageBox(const std::string& title, const std::string& text, ui::Icon icon,
                          ui::Buttons buttons = ui::Buttons::Ok) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFileName(const ui::FileDialogSpec& spec) override;
    std::optional<std::string> SaveFileName(const ui::FileDialogSpec& spec) override;
    bool RunForm(ui::Form& form) override;
    void BeginBusy(const std::string& what, long long total = 0) override;
    bool Progress(long long done) override;
    void EndBusy() override;
    bool RunNewCruise(ui::NewCruiseForm& form) override;
    bool RunCosts(ui::CostsForm& form) override;
    void ShowAbout() override;
    void ShowHelp(int context) override;
    void MinimizeMain() override;
    void RestoreMain() override;

private:
    // A minimised main window hides its children, so forms run then stand alone.
    QWidget* Parent() const;

    QPointer<QWidget> main_;
    struct Busy;
    std::vector<std::unique_ptr<Busy>> busy_;
};

}  // namespace gui
