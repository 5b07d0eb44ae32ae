#pragma once
// The UI port on Qt: real message boxes, file dialogs and the shell's forms.
#include <memory>
#include <vector>

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include "ui/ui_port.h"

namespace store { struct ValueRule; }

namespace gui {

class QtUi : public ui::UiPort {
public:
    QtUi();
    ~QtUi() override;
    // Dialogs are parented to the main window once it exists.
    void SetMainWindow(QWidget* window) { main_ = window; }

    ui::Answer MessageBox(const std::string& title, const std::string& text, ui::Icon icon,
                          ui::Buttons buttons = ui::Buttons::Ok) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFileName(const ui::FileDialogSpec& spec) override;
    std::optional<std::string> SaveFileName(const ui::FileDialogSpec& spec) override;
    bool RunForm(ui::Form& form) override;
    void BeginBusy(const std::string& what, long long total = 0) override;
    bool Progress(long long done) override;
    void EndBusy() override;
    void ShowAbout() override;
    void ShowHelp(int context) override;
    void MinimizeMain() override;
    void RestoreMain() override;

    // What a dialog or message box belongs to: the form in front (a message raised by a
    // form sits over it), else the main window; none while the main window is
    // minimised, as it hides its children then.
    QWidget* Parent() const;

    // Where a file dialog opens: the folder of the last file chosen; the bundled
    // setup files' folder for the first setup file.
    QString StartFolder(const ui::FileDialogSpec& spec) const;

private:
    QObject* help_key_;
    std::optional<std::string> FileName(const ui::FileDialogSpec& spec, bool open);

    QPointer<QWidget> main_;
    QString last_folder_;
    struct Busy;
    std::vector<std::unique_ptr<Busy>> busy_;
};

// The folder of the setup files that come with the program; empty when not found.
QString BundledSetupFolder();

// A text field that never changes what the user typed or pasted behind his back: a
// keystroke or paste it cannot take (a non-digit in a digits-only field, text beyond
// the length limit) is refused whole, and a hint at the field says why, as the
// standard control's "Unacceptable Character" balloon does.
class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    // max_chars 0: no limit.
    explicit FieldEdit(int max_chars = 0, bool digits_only = false, QWidget* parent = nullptr);
    // A field that takes a value of the rule: its length, digits alone for digit codes
    // and whole numbers, and what it accepts as the field's tooltip.
    explicit FieldEdit(const store::ValueRule& rule, QWidget* parent = nullptr);

    // Shows a value of the program's own (e.g. as stored), which is never refused.
    void SetValue(const QString& text);
    int MaxChars() const { return max_chars_; }
    bool DigitsOnly() const { return digits_only_; }
    // The last refusal ("" when none yet) and the hint showing it.
    const QString& HintTitle() const { return hint_title_; }
    const QString& HintText() const { return hint_text_; }
    QWidget* Hint() const { return hint_; }

signals:
    void Refused(const QString& title, const QString& text);

private:
    friend class FieldValidator;
    // Whether `proposed` may replace the text; shows the hint when not.
    bool Allow(const QString& proposed);
    void ShowHint(const QString& title, const QString& text);

    int max_chars_;
    bool digits_only_;
    bool setting_ = false;
    QString accepted_;
    QString hint_title_, hint_text_;
    QPointer<QWidget> hint_;
};

}  // namespace gui
