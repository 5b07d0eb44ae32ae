#pragma once
// The UI port of the command-line tool: messages go to the console (errors and
// warnings to the error stream), answers, file names and forms come from a script
// set up from the command line, as with ScriptedUi.
#include <iosfwd>

#include "ui/scripted_ui.h"

namespace ui {

class ConsoleUi : public ScriptedUi {
public:
    ConsoleUi(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    Answer MessageBox(const std::string& title, const std::string& text, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    bool Question(const std::string& text) override;

private:
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace ui
