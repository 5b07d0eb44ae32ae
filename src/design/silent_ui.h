#pragma once
// A UI port with nobody behind it, for computations on copies of a design whose
// messages no one should see.
#include <optional>
#include <string>

#include "ui/ui_port.h"

namespace design {

class SilentUi : public ui::UiPort {
public:
    ui::Answer MessageBox(const std::string&, const std::string&, ui::Icon, ui::Buttons) override {
        return ui::Answer::Ok;
    }
    bool Question(const std::string&) override { return true; }
    std::optional<std::string> OpenFileName(const ui::FileDialogSpec&) override { return std::nullopt; }
    std::optional<std::string> SaveFileName(const ui::FileDialogSpec&) override { return std::nullopt; }
};

}  // namespace design
