#include "help_window.h"

#include <map>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QImageReader>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "qt_ui.h"
#include "ui/forms.h"

namespace gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The form each window class shows; windows not named here take their owner's.
const std::map<QString, int>& ContextOfClass() {
    static const std::map<QString, int> map = {
        {"gui::MainWindow", ui::kHelpMain},
        {"gui::NewCruiseWindow", ui::kHelpNewCruise},
        {"gui::CostsWindow", ui::kHelpCosts},
        {"gui::StrataDefinitionsWindow", ui::kHelpStrataSetup},
        {"gui::StrataFormWindow", ui::kHelpStrataSetup},
        {"gui::PopulationsWindow", ui::kHelpPopulations},
        {"gui::EditDataWindow", ui::kHelpUnits},
        {"gui::AddUnitWindow", ui::kHelpUnits},
        {"gui::RemoveUnitWindow", ui::kHelpUnits},
        {"gui::DesignFormWindow", ui::kHelpDesign},
        {"gui::ReportChooserWindow", ui::kHelpReports},
        {"gui::ReportWindow", ui::kHelpReports},
        {"gui::ReconStrataWindow", ui::kHelpFieldFile},
        {"gui::AutoFillWindow", ui::kHelpFieldFile},
    };
    return map;
}

class HelpKey : public QObject {
public:
    HelpKey(QtUi& ui, QObject* parent) : QObject(parent), ui_(ui) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1 ||
            !watched->isWidgetType())
            return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        if (qobject_cast<HelpWindow*>(window)) return false;
        ui_.ShowHelp(HelpContextOf(window));
        return true;
    }

private:
    QtUi& ui_;
};

}  // namespace

int HelpContextOf(const QWidget* window) {
    for (const QWidget* w = window; w; w = w->parentWidget()) {
        w = w->window();
        auto it = ContextOfClass().find(QString::fromLatin1(w->metaObject()->className()));
        if (it != ContextOfClass().end()) return it->second;
    }
    return ui::kHelpMain;
}

QObject* InstallHelpKey(QtUi& ui) {
    auto* key = new HelpKey(ui, qApp);
    qApp->installEventFilter(key);
    return key;
}

HelpWindow::HelpWindow(const app::UserGuide& guide, QWidget* parent) : QDialog(parent), guide_(guide) {
    setWindowTitle("Strovan Help");
    search_ = new QLineEdit;
    search_->setPlaceholderText("Search the guide");
    search_->setClearButtonEnabled(true);
    contents_ = new QTreeWidget;
    contents_->setHeaderHidden(true);
    page_ = new QTextBrowser;
    page_->setOpenLinks(false);
    page_->setSearchPaths({QString::fromStdString(guide_.Folder().string())});

    auto* left = new QWidget;
    auto* left_layout = new QVBoxLayout(left);
    left_layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel("&Contents");
    label->setBuddy(contents_);
    left_layout->addWidget(search_);
    left_layout->addWidget(label);
    left_layout->addWidget(contents_);
    auto* split = new QSplitter;
    split->addWidget(left);
    split->addWidget(page_);
    split->setStretchFactor(1, 3);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);
    layout->addWidget(buttons);

    Search({});
    connect(search_, &QLineEdit::textChanged, this, &HelpWindow::Search);
    connect(contents_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) ShowSection(item->data(0, Qt::UserRole).toInt());
    });
    connect(page_, &QTextBrowser::anchorClicked, this, &HelpWindow::FollowLink);
    resize(980, 680);
}

// Without a search: the guide's headings as a tree. With one: the sections that hold
// every word, as a list.
void HelpWindow::Search(const QString& text) {
    QSignalBlocker block(contents_);
    contents_->clear();
    const auto& sections = guide_.Sections();
    QTreeWidgetItem* current = nullptr;
    if (text.trimmed().isEmpty()) {
        std::vector<std::pair<int, QTreeWidgetItem*>> open;  // the headings above, with their levels
        for (std::size_t i = 0; i < sections.size(); ++i) {
            const int level = sections[i].level;
            if (level > 3) continue;
            while (!open.empty() && open.back().first >= level) open.pop_back();
            auto* item = open.empty() ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(open.back().second);
            item->setText(0, Q(sections[i].title));
            item->setData(0, Qt::UserRole, static_cast<int>(i));
            open.emplace_back(level, item);
            if (static_cast<int>(i) == current_) current = item;
        }
        contents_->collapseAll();
        for (int i = 0; i < contents_->topLevelItemCount(); ++i) contents_->topLevelItem(i)->setExpanded(true);
    } else {
        for (int i : guide_.Search(text.toStdString())) {
            auto* item = new QTreeWidgetItem(contents_);
            item->setText(0, Q(sections[i].title));
            item->setData(0, Qt::UserRole, i);
            if (i == current_) current = item;
        }
        if (contents_->topLevelItemCount() == 0) {
            auto* none = new QTreeWidgetItem(contents_);
            none->setText(0, "Nothing found");
            none->setFlags(Qt::NoItemFlags);
        }
    }
    if (current) {
        for (QTreeWidgetItem* p = current->parent(); p; p = p->parent()) p->setExpanded(true);
        contents_->setCurrentItem(current);
        contents_->scrollToItem(current);
    }
    Highlight();
}

bool HelpWindow::ShowTopic(const std::string& link) {
    const int i = guide_.Find(link);
    if (i < 0) return false;
    ShowSection(i);
    return true;
}

void HelpWindow::ShowSection(int index) {
    const auto& sections = guide_.Sections();
    if (index < 0 || index >= static_cast<int>(sections.size())) return;
    const app::GuideSection& s = sections[index];
    if (s.page != shown_page_) {
        page_->document()->setBaseUrl(QUrl::fromLocalFile(QString::fromStdString(guide_.Folder().string()) + "/"));
        page_->setMarkdown(Q(guide_.PageText(s.page)));
        FitPictures();
        shown_page_ = s.page;
    }
    current_ = index;
    ScrollToCurrent();
    // The page is laid out for its width only once the window is shown.
    if (!isVisible()) QTimer::singleShot(0, this, &HelpWindow::ScrollToCurrent);
    {
        QSignalBlocker block(contents_);
        for (QTreeWidgetItemIterator it(contents_); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toInt() == index && ((*it)->flags() & Qt::ItemIsEnabled)) {
                for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent()) p->setExpanded(true);
                contents_->setCurrentItem(*it);
                break;
            }
    }
    Highlight();
}

// Screenshots are wider than the page: shown at most 720 pixels wide, so that the
// text beside them needs no scrolling sideways.
void HelpWindow::FitPictures() {
    constexpr int kMaxWidth = 720;
    const QDir folder(QString::fromStdString(guide_.Folder().string()));
    for (QTextBlock b = page_->document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextFragment f = it.fragment();
            if (!f.isValid() || !f.charFormat().isImageFormat()) continue;
            QTextImageFormat image = f.charFormat().toImageFormat();
            const QSize size = QImageReader(folder.filePath(image.name())).size();
            if (!size.isValid() || size.width() <= kMaxWidth) continue;
            image.setWidth(kMaxWidth);
            image.setHeight(size.height() * kMaxWidth / size.width());
            QTextCursor c(page_->document());
            c.setPosition(f.position());
            c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(image);
        }
    }
}

// The heading of the current section at the top of the page: the n-th heading of its
// level and title on its page.
void HelpWindow::ScrollToCurrent() {
    const auto& sections = guide_.Sections();
    if (current_ < 0 || current_ >= static_cast<int>(sections.size())) return;
    const app::GuideSection& s = sections[current_];
    int seen = 0, wanted = 0;
    for (int i = 0; i < current_; ++i)
        if (sections[i].page == s.page && sections[i].title == s.title && sections[i].level == s.level) ++wanted;
    for (QTextBlock b = page_->document()->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == s.level && b.text().trimmed() == Q(s.title).trimmed() &&
            seen++ == wanted) {
            page_->verticalScrollBar()->setValue(
                static_cast<int>(page_->document()->documentLayout()->blockBoundingRect(b).top()));
            return;
        }
    }
}

void HelpWindow::FollowLink(const QUrl& url) {
    if (url.scheme() == "http" || url.scheme() == "https" || url.scheme() == "mailto") {
        QDesktopServices::openUrl(url);
        return;
    }
    const std::string link = url.toString(QUrl::RemoveScheme | QUrl::PreferLocalFile).toStdString();
    const std::string name = link.substr(link.find_last_of('/') == std::string::npos ? 0 : link.find_last_of('/') + 1);
    int i = guide_.Find(name, shown_page_);
    if (i >= 0) ShowSection(i);
}

// The words searched for, marked on the page.
void HelpWindow::Highlight() {
    QList<QTextEdit::ExtraSelection> marks;
    const QStringList words = search_->text().split(' ', Qt::SkipEmptyParts);
    QTextCharFormat format;
    format.setBackground(QColor(255, 230, 120));
    for (const QString& w : words) {
        QTextCursor c(page_->document());
        while (!(c = page_->document()->find(w, c)).isNull()) marks.append({c, format});
    }
    page_->setExtraSelections(marks);
}

}  // namespace gui
