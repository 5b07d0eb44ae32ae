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
    if (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel)
        return default_question_ ? Answer::Yes : Answer::No;
    return Answer::Ok;
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

ScriptedUi::NewCruiseScript ScriptedUi::Submit(std::function<void(NewCruiseForm&)> edit) {
    return [edit = std::move(edit)](NewCruiseForm& form) {
        edit(form);
        return form.OnOk();
    };
}

ScriptedUi::CostsScript ScriptedUi::SubmitCosts(std::array<std::string, kCostFieldCount> values) {
    return [values = std::move(values)](CostsForm& form) {
        form.Values() = values;
        return form.OnOk();
    };
}

bool ScriptedUi::RunForm(Form& form) {
    messages_.push_back({"form", form.FormId(), form.Title(), Icon::None, Buttons::OkCancel});
    auto it = forms_.find(form.FormId());
    if (it == forms_.end() || it->second.empty()) return false;
    auto script = std::move(it->second.front());
    it->second.pop_front();
    return script(form);
}

void ScriptedUi::ShowAbout() {
    messages_.push_back({"about", kAboutTitle, "", Icon::None, Buttons::Ok});
}

void ScriptedUi::ShowHelp(int context) {
    messages_.push_back({"help", "", std::to_string(context), Icon::None, Buttons::Ok});
}

void ScriptedUi::MinimizeMain() {
    minimized_ = true;
    messages_.push_back({"minimize", "", "", Icon::None, Buttons::Ok});
}

void ScriptedUi::RestoreMain() {
    minimized_ = false;
    messages_.push_back({"restore", "", "", Icon::None, Buttons::Ok});
}

std::vector<std::string> ScriptedUi::Kinds() const {
    std::vector<std::string> out;
    for (const auto& m : messages_) out.push_back(m.kind);
    return out;
}

std::vector<std::string> ScriptedUi::Texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages_)
        if (m.kind == "message") out.push_back(m.text);
    return out;
}

}  // namespace ui
