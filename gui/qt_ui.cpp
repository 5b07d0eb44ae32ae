#include "qt_ui.h"

#include <filesystem>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTimer>
#include <QValidator>

#include "app/bundled_files.h"
#include "app/user_guide.h"
#include "form_registry.h"
#include "help_window.h"
#include "pictures.h"
#include "store/value_rules.h"

namespace gui {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon ToQt(ui::Icon icon) {
    switch (icon) {
        case ui::Icon::Stop:
            return QMessageBox::Critical;
        case ui::Icon::Exclamation:
            return QMessageBox::Warning;
        case ui::Icon::Information:
            return QMessageBox::Information;
        case ui::Icon::Question:
            return QMessageBox::Question;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ToQt(ui::Buttons buttons) {
    switch (buttons) {
        case ui::Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case ui::Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case ui::Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

ui::Answer FromQt(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return ui::Answer::Cancel;
        case QMessageBox::Yes:
            return ui::Answer::Yes;
        case QMessageBox::No:
            return ui::Answer::No;
        default:
            return ui::Answer::Ok;
    }
}

// "Cruise Files (*.crz);;All Files (*.*)"
QString FilterText(const ui::FileDialogSpec& spec) {
    QStringList parts;
    for (const ui::FileFilter& f : spec.filters) {
        QString label = Q(f.label);
        QStringList patterns;
        for (const std::string& p : f.patterns) patterns << Q(p);
        // The label names the patterns already, in the Windows way; Qt reads the
        // patterns from the parentheses, so give them there in their real case.
        int paren = label.indexOf('(');
        if (paren >= 0) label = label.left(paren).trimmed();
        parts << label + " (" + patterns.join(' ') + ")";
    }
    return parts.join(";;");
}

std::optional<std::string> RunFileDialog(QWidget* parent, const ui::FileDialogSpec& spec,
                                         QFileDialog::AcceptMode mode, const QString& start) {
    QFileDialog dlg(parent, Q(spec.title));
    dlg.setAcceptMode(mode);
    dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                    : QFileDialog::AnyFile);
    dlg.setNameFilter(FilterText(spec));
    dlg.setDefaultSuffix(Q(spec.default_extension));
    if (!spec.initial_dir.empty()) dlg.setDirectory(Q(spec.initial_dir));
    else if (!start.isEmpty()) dlg.setDirectory(start);
    if (!spec.initial_name.empty()) dlg.selectFile(Q(spec.initial_name));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first().toStdString();
}
}  // namespace

QWidget* QtUi::Parent() const {
    QWidget* front = QApplication::activeModalWidget();
    if (front && front->isVisible() && !front->isMinimized()) return front;
    return main_ && !main_->isMinimized() ? main_.data() : nullptr;
}

ui::Answer QtUi::MessageBox(const std::string& title, const std::string& text, ui::Icon icon,
                            ui::Buttons buttons) {
    QMessageBox box(ToQt(icon), title.empty() ? ui::kAppName : Q(title), Q(text), ToQt(buttons),
                    Parent());
    return FromQt(box.exec());
}

bool QtUi::Question(const std::string& text) {
    QDialog dlg(Parent());
    dlg.setWindowTitle("Question");
    auto* layout = new QVBoxLayout(&dlg);
    auto* box = new QPlainTextEdit(Q(text));
    box->setReadOnly(true);
    layout->addWidget(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    return dlg.exec() == QDialog::Accepted;
}

QString QtUi::StartFolder(const ui::FileDialogSpec& spec) const {
    if (!last_folder_.isEmpty()) return last_folder_;
    // The first setup file is looked for where the program keeps its own.
    if (QString(Q(spec.default_extension)).compare("stp", Qt::CaseInsensitive) == 0) return BundledSetupFolder();
    return {};
}

std::optional<std::string> QtUi::FileName(const ui::FileDialogSpec& spec, bool open) {
    auto chosen = RunFileDialog(Parent(), spec, open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave,
                                StartFolder(spec));
    if (chosen) last_folder_ = QFileInfo(QString::fromStdString(*chosen)).absolutePath();
    return chosen;
}

std::optional<std::string> QtUi::OpenFileName(const ui::FileDialogSpec& spec) { return FileName(spec, true); }

std::optional<std::string> QtUi::SaveFileName(const ui::FileDialogSpec& spec) { return FileName(spec, false); }

QString BundledSetupFolder() {
    // Installed beside the program's share folder, or in the tree it was built in
    // (build/<type>/gui/strovan).
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 4; ++up) {
        for (const char* rel : {"share/strovan/setup", "data/setup"}) {
            QDir candidate(dir.filePath(rel));
            if (!candidate.entryList({"*.stp"}, QDir::Files).isEmpty()) return candidate.absolutePath();
        }
        if (!dir.cdUp()) break;
    }
    return {};
}

QtUi::QtUi() : help_key_(InstallHelpKey(*this)) {}
QtUi::~QtUi() {
    while (!busy_.empty()) EndBusy();
    delete help_key_;
}

bool QtUi::RunForm(ui::Form& form) {
    const FormRunner* runner = FindForm(form.FormId());
    if (!runner) return false;
    return (*runner)(form, Parent());
}

// A wait cursor at once; the progress bar only once the step has run for a second, so
// short steps never flash a dialog.
struct QtUi::Busy {
    QString what;
    long long total = 0;
    QElapsedTimer clock;
    std::unique_ptr<QProgressDialog> bar;
};

void QtUi::BeginBusy(const std::string& what, long long total) {
    auto b = std::make_unique<Busy>();
    b->what = QString::fromStdString(what);
    b->total = total;
    b->clock.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_.push_back(std::move(b));
}

bool QtUi::Progress(long long done) {
    if (busy_.empty()) return true;
    Busy& b = *busy_.back();
    if (b.total <= 0) return true;
    if (!b.bar && b.clock.elapsed() > 1000) {
        b.bar = std::make_unique<QProgressDialog>(b.what, QStringLiteral("Cancel"), 0, 1000, Parent());
        b.bar->setWindowModality(Qt::WindowModal);
        b.bar->setMinimumDuration(0);
    }
    if (b.bar) {
        b.bar->setValue(static_cast<int>(std::min<long long>(done, b.total) * 1000 / b.total));
        QApplication::processEvents();
        if (b.bar->wasCanceled()) return false;
    }
    return true;
}

void QtUi::EndBusy() {
    if (busy_.empty()) return;
    busy_.pop_back();
    QApplication::restoreOverrideCursor();
}

void QtUi::ShowAbout() {
    QDialog dlg(Parent());
    dlg.setWindowTitle(ui::kAboutTitle);
    auto* layout = new QVBoxLayout(&dlg);
    auto* icon = new QLabel;
    icon->setPixmap(AppIcon().pixmap(32, 32));
    layout->addWidget(icon);
    layout->addWidget(new QLabel(ui::kAboutVersion));
    layout->addWidget(new QLabel(ui::kAboutDate));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    layout->addWidget(buttons);
    dlg.exec();
}

void QtUi::ShowHelp(int context) {
    const std::filesystem::path folder = app::DataDir() / "guide";
    app::UserGuide guide;
    if (app::DataDir().empty() || !guide.Load(folder)) {
        Error("The user guide was not found" +
                  (app::DataDir().empty() ? std::string(".") : " in " + folder.string() + "."),
              "Strovan Help");
        return;
    }
    HelpWindow window(guide, Parent());
    if (!window.ShowTopic(app::HelpTopic(context))) window.ShowSection(0);
    window.exec();
}

void QtUi::MinimizeMain() {
    if (main_) main_->showMinimized();
}

void QtUi::RestoreMain() {
    if (main_) main_->showNormal();
}

// --- FieldEdit -----------------------------------------------------------------------

// Judges every change the control is about to make, however it came (keys, paste,
// drop, middle click): QLineEdit undoes a change its validator calls Invalid.
class FieldValidator : public QValidator {
public:
    explicit FieldValidator(FieldEdit* edit) : QValidator(edit), edit_(edit) {}
    State validate(QString& input, int&) const override {
        return edit_->Allow(input) ? Acceptable : Invalid;
    }

private:
    FieldEdit* edit_;
};

FieldEdit::FieldEdit(int max_chars, bool digits_only, QWidget* parent)
    : QLineEdit(parent), max_chars_(max_chars), digits_only_(digits_only) {
    // No QLineEdit length limit: it would cut a paste short without a word.
    setValidator(new FieldValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) { accepted_ = t; });
}

FieldEdit::FieldEdit(const store::ValueRule& rule, QWidget* parent)
    : FieldEdit(rule.maxLength, rule.digits || (rule.kind == store::ValueKind::Whole && rule.min >= 0), parent) {
    setToolTip(QString::fromStdString("Enter " + store::RangeText(rule) + "."));
}

void FieldEdit::SetValue(const QString& text) {
    setting_ = true;
    setText(text);
    setting_ = false;
    accepted_ = text;
}

bool FieldEdit::Allow(const QString& proposed) {
    if (setting_) return true;
    // The inserted piece: what lies between the common start and end of the old text.
    const QString& old = accepted_;
    qsizetype head = 0;
    while (head < old.size() && head < proposed.size() && old[head] == proposed[head]) ++head;
    qsizetype tail = 0;
    while (tail < old.size() - head && tail < proposed.size() - head &&
           old[old.size() - 1 - tail] == proposed[proposed.size() - 1 - tail])
        ++tail;
    const QString inserted = proposed.mid(head, proposed.size() - head - tail);
    if (digits_only_)
        for (QChar c : inserted)
            if (!c.isDigit() || c.unicode() > 127) {
                ShowHint("Unacceptable Character", "You can only type a number here.");
                return false;
            }
    // A stored value over the limit may still be shortened.
    const qsizetype length = proposed.toUcs4().size();
    if (max_chars_ > 0 && length > max_chars_ && length > old.toUcs4().size()) {
        if (inserted.toUcs4().size() > 1)
            ShowHint("Too Long", QString("The pasted text has %1 characters; this field takes at "
                                         "most %2.\nNothing was pasted.")
                                     .arg(inserted.toUcs4().size())
                                     .arg(max_chars_));
        else
            ShowHint("Too Long", QString("Please enter no more than %1 characters.").arg(max_chars_));
        return false;
    }
    return true;
}

void FieldEdit::ShowHint(const QString& title, const QString& text) {
    hint_title_ = title;
    hint_text_ = text;
    // A balloon inside the window, just under the field, so it moves and closes with
    // the form (and shows on a screenshot of it).
    QWidget* top = window();
    if (!hint_ || hint_->parentWidget() != top) {
        delete hint_;
        auto* label = new QLabel(top);
        label->setObjectName("FieldHint");
        label->setWordWrap(true);
        label->setStyleSheet(
            "QLabel#FieldHint { background: #ffffe1; color: black; border: 1px solid #767676; "
            "border-radius: 4px; padding: 4px 6px; }");
        hint_ = label;
    }
    auto* label = static_cast<QLabel*>(hint_.data());
    label->setText("<b>" + title.toHtmlEscaped() + "</b><br>" +
                   text.toHtmlEscaped().replace("\n", "<br>"));
    label->setMaximumWidth(std::max(260, top->width() / 2));
    label->setMinimumWidth(std::min(260, top->width()));
    label->adjustSize();
    QPoint at = mapTo(top, QPoint(0, height()));
    at.setX(std::min(at.x(), std::max(0, top->width() - label->width())));
    label->move(at);
    label->raise();
    label->show();
    QTimer::singleShot(5000, label, &QWidget::hide);
    emit Refused(title, text);
}

}  // namespace gui
