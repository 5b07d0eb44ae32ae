#pragma once
// A UI port that passes everything on to another one. A step derives from it to
// watch or play one kind of call (a file choice, a form) and leaves the rest alone.
#include "ui/ui_port.h"

namespace output {

class ForwardingUi : public ui::UiPort {
public:
    explicit ForwardingUi(ui::UiPort& inner) : inner_(inner) {}

    ui::Answer MessageBox(const std::string& title, const std::string& text, ui::Icon icon,
                          ui::Buttons buttons = ui::Buttons::Ok) override {
        return inner_.MessageBox(title, text, icon, buttons);
    }
    bool Question(const std::string& text) override { return inner_.Question(text); }
    std::optional<std::string> OpenFileName(const ui::FileDialogSpec& spec) override {
        return inner_.OpenFileName(spec);
    }
    std::optional<std::string> SaveFileName(const ui::FileDialogSpec& spec) override {
        return inner_.SaveFileName(spec);
    }
    bool RunForm(ui::Form& form) override { return inner_.RunForm(form); }
    void BeginBusy(const std::string& what, long long total = 0) override {
        inner_.BeginBusy(what, total);
    }
    bool Progress(long long done) override { return inner_.Progress(done); }
    void EndBusy() override { inner_.EndBusy(); }
    void ShowAbout() override { inner_.ShowAbout(); }
    void ShowHelp(int context) override { inner_.ShowHelp(context); }
    void MinimizeMain() override { inner_.MinimizeMain(); }
    void RestoreMain() override { inner_.RestoreMain(); }

    ui::UiPort& Inner() { return inner_; }

private:
    ui::UiPort& inner_;
};

}  // namespace output
