#include "ui/console_ui.h"

#include <ostream>

namespace ui {

namespace {
// Message texts carry the blank lines of a message box; a console wants them tight.
std::string Tidy(const std::string& text) {
    size_t b = text.find_first_not_of("\r\n");
    size_t e = text.find_last_not_of("\r\n");
    if (b == std::string::npos) return "";
    std::string out;
    for (char c : text.substr(b, e - b + 1))
        if (c != '\r') out += c;
    return out;
}
}  // namespace

Answer ConsoleUi::MessageBox(const std::string& title, const std::string& text, Icon icon,
                             Buttons buttons) {
    Answer a = ScriptedUi::MessageBox(title, text, icon, buttons);
    bool bad = icon == Icon::Stop || icon == Icon::Exclamation;
    (bad ? err_ : out_) << (title.empty() ? kAppName : title) << ": " << Tidy(text) << '\n';
    return a;
}

bool ConsoleUi::Question(const std::string& text) {
    bool yes = ScriptedUi::Question(text);
    err_ << "Question: " << Tidy(text) << ' ' << (yes ? "Yes" : "No") << '\n';
    return yes;
}

}  // namespace ui
