#include "conventions.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QWindow>

namespace gui {

int RunModal(QDialog& dialog) {
    QPointer<QWidget> front = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    const int result = dialog.exec();
    // The window in front is where the user goes on; some window managers hand the
    // focus elsewhere when a modal child closes.
    if (front && front->isVisible() && !front->isMinimized()) {
        front->raise();
        front->activateWindow();
    }
    return result;
}

void FitToScreen(QWidget& window) {
    QScreen* screen = window.parentWidget() ? window.parentWidget()->screen() : window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QMargins frame;
    if (window.windowHandle()) frame = window.windowHandle()->frameMargins();
    const QSize room(std::max(1, area.width() - frame.left() - frame.right()),
                     std::max(1, area.height() - frame.top() - frame.bottom()));
    // A layout that asks for more than the screen has is squeezed rather than cut off
    // by the screen's edge; its grids scroll.
    const QSize min = window.minimumSize();
    if (min.width() > room.width() || min.height() > room.height()) window.setMinimumSize(min.boundedTo(room));
    const QSize size = window.size().boundedTo(room);
    if (size != window.size()) window.resize(size);
    // pos() and move() place a window's frame.
    const QPoint at = window.pos();
    const int x = std::clamp(at.x(), area.left(), area.left() + room.width() - size.width());
    const int y = std::clamp(at.y(), area.top(), area.top() + room.height() - size.height());
    if (QPoint(x, y) != at) window.move(x, y);
}

QChar MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;  // "&&" is a plain ampersand
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

namespace {

// The text with a mnemonic on a letter not in `used` (first letters of words
// first), or the text unchanged when every letter is taken.
QString WithMnemonic(const QString& text, QSet<QChar>& used) {
    std::vector<qsizetype> candidates;
    // Never next to an ampersand, which would change how the text reads.
    auto free = [&](qsizetype i) { return text[i].isLetterOrNumber() && (i == 0 || text[i - 1] != '&'); };
    for (qsizetype i = 0; i < text.size(); ++i)
        if (free(i) && (i == 0 || !text[i - 1].isLetterOrNumber())) candidates.push_back(i);
    for (qsizetype i = 0; i < text.size(); ++i)
        if (free(i)) candidates.push_back(i);
    for (qsizetype i : candidates) {
        QChar c = text[i].toLower();
        if (used.contains(c)) continue;
        used.insert(c);
        QString marked = text;
        marked.insert(i, '&');
        return marked;
    }
    return text;
}

// Text getters and setters of what carries a mnemonic.
struct Labelled {
    std::function<QString()> get;
    std::function<void(const QString&)> set;
};

void Assign(const std::vector<Labelled>& items) {
    QSet<QChar> used;
    for (const Labelled& l : items) {
        QChar c = MnemonicOf(l.get());
        if (!c.isNull()) used.insert(c);
    }
    for (const Labelled& l : items) {
        const QString text = l.get();
        if (text.isEmpty() || !MnemonicOf(text).isNull()) continue;
        const QString marked = WithMnemonic(text, used);
        if (marked != text) l.set(marked);
    }
}

bool IsPopupLike(const QWidget& w) {
    switch (w.windowType()) {
        case Qt::Popup:
        case Qt::ToolTip:
        case Qt::SplashScreen:
        case Qt::Desktop:
        case Qt::SubWindow:
            return true;
        default:
            return false;
    }
}

class Conventions : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::Show || !o->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(o);
        if (!w->isWindow()) return false;
        if (auto* menu = qobject_cast<QMenu*>(w)) {
            GiveMnemonics(*menu);
        } else if (!IsPopupLike(*w)) {
            GiveMnemonics(*w);
            FitToScreen(*w);
        }
        return false;
    }
};

}  // namespace

void GiveMnemonics(QMenu& menu) {
    std::vector<Labelled> items;
    for (QAction* a : menu.actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        items.push_back({[a] { return a->text(); }, [a](const QString& t) { a->setText(t); }});
        if (a->menu()) GiveMnemonics(*a->menu());
    }
    Assign(items);
}

void GiveMnemonics(QWidget& window) {
    std::vector<Labelled> items;
    // The menu bar's titles first: Alt+F is File wherever a File menu exists.
    for (QMenuBar* bar : window.findChildren<QMenuBar*>()) {
        if (bar->window() != &window) continue;
        for (QAction* a : bar->actions()) {
            if (a->isSeparator()) continue;
            items.push_back({[a] { return a->text(); }, [a](const QString& t) { a->setText(t); }});
            if (a->menu()) GiveMnemonics(*a->menu());
        }
    }
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (b->window() != &window || b->text().isEmpty()) continue;
        items.push_back({[b] { return b->text(); }, [b](const QString& t) { b->setText(t); }});
    }
    Assign(items);
}

void InstallWindowConventions() {
    static QPointer<QObject> installed;
    if (installed || !qApp) return;
    installed = new Conventions(qApp);
    qApp->installEventFilter(installed);
}

QAction* AddShortcut(QAction* action, const QKeySequence& keys, QWidget& window) {
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    return action;
}

}  // namespace gui
