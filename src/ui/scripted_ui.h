#pragma once
// Test double of the UI port: records every message and answers from a script.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/ui_port.h"

namespace ui {

struct RecordedMessage {
    // "message", "question", "open", "save", "form", "about", "help", "minimize",
    // "restore"; a form records its name as title, help its context as text.
    std::string kind;
    std::string title;
    std::string text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

class ScriptedUi : public UiPort {
public:
    // A script plays the user in front of a form and returns true when it closed the
    // form with OK. Forms without a scripted answer are cancelled.
    using NewCruiseScript = std::function<bool(NewCruiseForm&)>;
    using CostsScript = std::function<bool(CostsForm&)>;

    // Scripts for forms run through RunForm, consumed in order per form id.
    using FormScript = std::function<bool(Form&)>;
    void PushForm(const std::string& id, FormScript s) { forms_[id].push_back(std::move(s)); }
    // The same for a known form class: the script gets the form as that class.
    template <class F>
    void PushFormAs(const std::string& id, std::function<bool(F&)> s) {
        PushForm(id, [s = std::move(s)](Form& f) { return s(dynamic_cast<F&>(f)); });
    }
    // Scripts still waiting for their form (a test can check that all were used).
    size_t PendingForms(const std::string& id) const {
        auto it = forms_.find(id);
        return it == forms_.end() ? 0 : it->second.size();
    }

    // Shorthands for the shell's two forms.
    void PushNewCruise(NewCruiseScript s) { PushFormAs<NewCruiseForm>(kNewCruiseFormId, std::move(s)); }
    void PushCosts(CostsScript s) { PushFormAs<CostsForm>(kCostsFormId, std::move(s)); }
    // Common scripts: change fields, press OK once; cancel when OK is refused.
    static NewCruiseScript Submit(std::function<void(NewCruiseForm&)> edit);
    static CostsScript SubmitCosts(std::array<std::string, kCostFieldCount> values);

    // Answers are consumed in order. A message box or question without a scripted
    // answer takes the default (Ok / Yes for questions unless set otherwise).
    void PushAnswer(Answer a) { answers_.push_back(a); }
    void PushQuestionAnswer(bool yes) { answers_.push_back(yes ? Answer::Yes : Answer::No); }
    void PushFileName(std::optional<std::string> name) { files_.push_back(std::move(name)); }
    void SetDefaultQuestionAnswer(bool yes) { default_question_ = yes; }

    Answer MessageBox(const std::string& title, const std::string& text, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFileName(const FileDialogSpec& spec) override;
    std::optional<std::string> SaveFileName(const FileDialogSpec& spec) override;
    bool RunForm(Form& form) override;
    void ShowAbout() override;
    void ShowHelp(int context) override;
    void MinimizeMain() override;
    void RestoreMain() override;
    bool Minimized() const { return minimized_; }
    // Kinds of everything recorded, in order.
    std::vector<std::string> Kinds() const;

    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    // Texts of all message boxes (not questions), in order.
    std::vector<std::string> Texts() const;
    const RecordedMessage* Last() const { return messages_.empty() ? nullptr : &messages_.back(); }
    void Clear() { messages_.clear(); }
    const std::vector<FileDialogSpec>& FileDialogs() const { return dialogs_; }

private:
    std::deque<Answer> answers_;
    std::deque<std::optional<std::string>> files_;
    std::map<std::string, std::deque<FormScript>> forms_;
    bool default_question_ = true;
    bool minimized_ = false;
    std::vector<RecordedMessage> messages_;
    std::vector<FileDialogSpec> dialogs_;
};

}  // namespace ui
