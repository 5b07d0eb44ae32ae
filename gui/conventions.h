#pragma once
// What every window of the program does the same way, in one place.
//
// Nested forms: a form opens another with RunModal, which never hides the form in
// front. (Hiding a QDialog ends its exec(): a form that hid itself around a nested
// one was gone when it returned, and the modal chain behind it was left broken.)
//
// Screens: every window is fitted into the available area of its screen as it shows.
//
// Keyboard: every menu, menu item and button carries a mnemonic. A text written with
// '&' keeps its letter; any other gets a free one as its window shows (the first
// letter of a word when free), so a menu item or button added later needs nothing.
// The shortcuts are the standard ones, listed below; a window adds them with
// AddShortcut so they work while the menu bar is closed.
#include <QKeySequence>
#include <QString>

class QAction;
class QDialog;
class QMenu;
class QMenuBar;
class QWidget;

namespace gui {

// Runs a form modally over the window in front and makes that window active again
// afterwards. Returns the dialog's result (QDialog::Accepted or Rejected).
int RunModal(QDialog& dialog);
inline bool RunModalOk(QDialog& dialog) { return RunModal(dialog) == 1; }

// Sizes and moves a top-level window into the available area of its screen (the
// parent's, else the primary screen), never below what fits.
void FitToScreen(QWidget& window);

// Gives a mnemonic to every button of the window (not of windows it holds) and to
// its menu bar's menus and items; to a menu's items.
void GiveMnemonics(QWidget& window);
void GiveMnemonics(QMenu& menu);
// The letter a text's mnemonic uses (lower case), or a null QChar when it has none.
QChar MnemonicOf(const QString& text);

// Fits and marks every top-level window as it shows (installed once on the
// application, by main()).
void InstallWindowConventions();

// The shortcuts of the program's commands (the usual ones of desktop programs).
namespace keys {
inline const QKeySequence kSave{Qt::CTRL | Qt::Key_S};   // a report's Save, Save Design
inline const QKeySequence kPrint{Qt::CTRL | Qt::Key_P};  // every Print
inline const QKeySequence kUndo{Qt::CTRL | Qt::Key_Z};
inline const QKeySequence kRedo{Qt::CTRL | Qt::Key_Y};
inline const QKeySequence kCopy{Qt::CTRL | Qt::Key_C};   // in every grid
inline const QKeySequence kPaste{Qt::CTRL | Qt::Key_V};  // in every grid
inline const QKeySequence kFind{Qt::CTRL | Qt::Key_F};   // in every grid
}  // namespace keys

// Sets the shortcut of an action and makes it work anywhere in the action's window.
QAction* AddShortcut(QAction* action, const QKeySequence& keys, QWidget& window);

}  // namespace gui
