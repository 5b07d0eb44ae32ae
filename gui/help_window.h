#pragma once
// The user guide in a window: its contents on the left, a search field above them,
// the page on the right scrolled to the chosen section.
#include <QDialog>

#include "app/user_guide.h"

class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace gui {

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    HelpWindow(const app::UserGuide& guide, QWidget* parent = nullptr);

    // Shows a section by its link ("forms.md#anchor"); false when the guide has none.
    bool ShowTopic(const std::string& link);
    void ShowSection(int index);
    int CurrentSection() const { return current_; }
    QLineEdit* SearchField() const { return search_; }
    QTreeWidget* Contents() const { return contents_; }
    QTextBrowser* Page() const { return page_; }

private:
    void Search(const QString& text);
    void FollowLink(const QUrl& url);
    void Highlight();
    void ScrollToCurrent();
    void FitPictures();

    const app::UserGuide& guide_;
    QLineEdit* search_;
    QTreeWidget* contents_;
    QTextBrowser* page_;
    std::string shown_page_;
    int current_ = -1;
};

// The help context of a window: that of the nearest window, itself or an owner, that
// belongs to a form of the program; the main window's when none does.
int HelpContextOf(const QWidget* window);

class QtUi;
// F1 in any window of the program opens the guide at that window's section (the main
// window has its own F1, its Help button). Deleting the returned object ends it.
QObject* InstallHelpKey(QtUi& ui);

}  // namespace gui
