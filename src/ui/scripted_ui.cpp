#include "ui/scripted_ui.h"

namespace ui {

Answer ScriptedUi::MessageBox(const std::string& title, const std::string& text, Icon icon,
                              Buttons buttons) {
    messages_.push_back({"message", title.empty() ? kAppName : title, text, icon, buttons});
    if (!answers_.empty()) {
        Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}

bool ScriptedUi::Question(const std::string& text) {
    messages_.push_back({"question", "Question", text, Icon::Question, Buttons::YesNo});
    if (!answers_.empty()) {
        Answer a = answers_.front();
        answers_.pop_front();
        return a == Answer::Yes || a == Answer::Ok;
    }
    return default_question_;
}

std::optional<std::string> ScriptedUi::OpenFileName(const FileDialogSpec& spec) {
    dialogs_.push_back(spec);
    messages_.push_back({"open", spec.title, spec.initial_name, Icon::None, Buttons::OkCancel});
    if (files_.empty()) return std::nullopt;
    auto f = files_.front();
    files_.pop_front();
    return f;
}

std::optional<std::string> ScriptedUi::SaveFileName(const FileDialogSpec& spec) {
    dialogs_.push_back(spec);
    messages_.push_back({"save", spec.title, spec.initial_name, Icon::None, Buttons::OkCancel});
    if (files_.empty()) return std::nullopt;
    auto f = files_.front();
    files_.pop_front();
    return f;
}

std::vector<std::string> ScriptedUi::Texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages_)
        if (m.kind == "message") out.push_back(m.text);
    return out;
}

}  // namespace ui
