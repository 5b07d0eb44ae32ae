#pragma once
// The program's window-system port. Every message box, question, file choice and
// modal form goes through UiPort, so the logic runs and is tested without a display:
// the Qt front end implements it with real dialogs, ScriptedUi records and answers.
#include <optional>
#include <string>
#include <vector>

#include "ui/form.h"
#include "ui/forms.h"

namespace ui {

enum class Icon { None, Stop, Exclamation, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// Application name, shown as the title of a message box given no title.
inline constexpr const char* kAppName = "Strovan";

struct FileFilter {
    std::string label;                    // "Cruise Files (*.crz)"
    std::vector<std::string> patterns;    // {"*.crz"}
};

struct FileDialogSpec {
    std::string title;
    std::vector<FileFilter> filters;
    std::string default_extension;  // "crz", without the dot
    std::string initial_name;       // suggested file name or path
    std::string initial_dir;
};

class UiPort {
public:
    virtual ~UiPort() = default;

    // A modal message box. An empty title means the application name.
    virtual Answer MessageBox(const std::string& title, const std::string& text, Icon icon,
                              Buttons buttons = Buttons::Ok) = 0;

    // The "Question" dialog: read-only text with Yes and No. True for Yes.
    virtual bool Question(const std::string& text) = 0;

    // Common file dialogs; nullopt when the user cancels.
    virtual std::optional<std::string> OpenFileName(const FileDialogSpec& spec) = 0;
    virtual std::optional<std::string> SaveFileName(const FileDialogSpec& spec) = 0;

    // Runs any modal form (see ui/form.h); true when it closed with OK. A port that
    // has no such form behaves as if the user cancelled it.
    virtual bool RunForm(Form& form) { (void)form; return false; }
    // Long steps: a wait cursor, and a progress bar when `total` > 0. Progress(done)
    // returns false when the user asked to stop. Calls nest; EndBusy ends one level.
    virtual void BeginBusy(const std::string& what, long long total = 0) { (void)what; (void)total; }
    virtual bool Progress(long long done) { (void)done; return true; }
    virtual void EndBusy() {}

    virtual void ShowAbout() {}
    // Opens the help at a context number (kHelpMain, kHelpCosts, ...).
    virtual void ShowHelp(int context) { (void)context; }
    // The main window is minimised while a form runs and restored afterwards.
    virtual void MinimizeMain() {}
    virtual void RestoreMain() {}

    // Convenience wrappers with the program's title/icon pairs.
    void Error(const std::string& text, const std::string& title = "ERROR") {
        MessageBox(title, text, Icon::Stop);
    }
    void Warning(const std::string& text, const std::string& title = "WARNING") {
        MessageBox(title, text, Icon::Exclamation);
    }
    void Info(const std::string& text, const std::string& title = "INFORMATION") {
        MessageBox(title, text, Icon::Information);
    }
};

}  // namespace ui
