#pragma once
// The Qt side of ui::Form: each form widget registers a runner for its form id with a
// static FormRegistrar in its own .cpp, and QtUi::RunForm looks the id up. The front
// end is an object library, so every registrar is linked into the program.
#include <functional>
#include <string>

#include "ui/form.h"

class QWidget;

namespace gui {

// Shows the form modally over `parent` (may be null); true when closed with OK.
using FormRunner = std::function<bool(ui::Form& form, QWidget* parent)>;

void RegisterForm(const std::string& id, FormRunner runner);
const FormRunner* FindForm(const std::string& id);

struct FormRegistrar {
    FormRegistrar(const std::string& id, FormRunner runner) { RegisterForm(id, std::move(runner)); }
};

}  // namespace gui
