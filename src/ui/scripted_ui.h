#pragma once
// Test double of the UI port: records every message and answers from a script.
#include <deque>
#include <string>
#include <vector>

#include "ui/ui_port.h"

namespace ui {

struct RecordedMessage {
    std::string kind;  // "message", "question", "open", "save"
    std::string title;
    std::string text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

class ScriptedUi : public UiPort {
public:
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

    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    // Texts of all message boxes (not questions), in order.
    std::vector<std::string> Texts() const;
    const RecordedMessage* Last() const { return messages_.empty() ? nullptr : &messages_.back(); }
    void Clear() { messages_.clear(); }
    const std::vector<FileDialogSpec>& FileDialogs() const { return dialogs_; }

private:
    std::deque<Answer> answers_;
    std::deque<std::optional<std::string>> files_;
    bool default_question_ = true;
    std::vector<RecordedMessage> messages_;
    std::vector<FileDialogSpec> dialogs_;
};

}  // namespace ui
