#pragma once
// The pattern every modal form of the program follows. A subsystem defines its form
// as a logic class deriving from ui::Form (Qt-free, in its own src/<sub> header) with
// a unique id, and runs it with UiPort::RunForm. The Qt front end registers one
// widget per id (gui/form_registry.h); ScriptedUi plays the user from a script pushed
// for that id. Neither side needs an edit of ui_port.h, scripted_ui or qt_ui.
#include <string>

namespace ui {

class Form {
public:
    virtual ~Form() = default;
    // Unique name of the form, e.g. "setup.populations"; also its key in the
    // front end's registry and in scripts.
    virtual std::string FormId() const = 0;
    // Title shown on the form's window.
    virtual std::string Title() const { return FormId(); }
};

}  // namespace ui
