#include "json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "ui/console_ui.h"

namespace cli {

std::string JsonEscape(std::string_view s) {
    std::string o;
    o.reserve(s.size() + 2);
    for (unsigned char c : s) {
        switch (c) {
            case '"': o += "\\\""; break;
            case '\\': o += "\\\\"; break;
            case '\n': o += "\\n"; break;
            case '\r': o += "\\r"; break;
            case '\t': o += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    o += buf;
                } else {
                    o += static_cast<char>(c);
                }
        }
    }
    return o;
}

std::string ExactDouble(double d) {
    if (!std::isfinite(d)) return "null";
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    std::string s(buf, r.ptr);
    // JSON wants a digit after a bare exponent-free integer only as it is; "1e+300"
    // and "-0" are valid JSON numbers already.
    return s;
}

const char* IconName(ui::Icon icon) {
    switch (icon) {
        case ui::Icon::Stop: return "stop";
        case ui::Icon::Exclamation: return "exclamation";
        case ui::Icon::Information: return "information";
        case ui::Icon::Question: return "question";
        case ui::Icon::None: break;
    }
    return "none";
}

JsonWriter::JsonWriter(std::ostream& out, bool pretty) : out_(out), pretty_(pretty) {}

JsonWriter::~JsonWriter() { out_ << '\n'; }

void JsonWriter::Newline() {
    if (!pretty_) return;
    out_ << '\n';
    for (size_t i = 0; i < stack_.size(); ++i) out_ << "  ";
}

void JsonWriter::BeforeValue() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (stack_.empty()) return;
    if (!stack_.back().empty) out_ << ',';
    stack_.back().empty = false;
    Newline();
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ << '{';
    stack_.push_back({false});
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    bool empty = stack_.empty() || stack_.back().empty;
    if (!stack_.empty()) stack_.pop_back();
    if (!empty) Newline();
    out_ << '}';
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ << '[';
    stack_.push_back({true});
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    bool empty = stack_.empty() || stack_.back().empty;
    if (!stack_.empty()) stack_.pop_back();
    if (!empty) Newline();
    out_ << ']';
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    out_ << '"' << JsonEscape(key) << (pretty_ ? "\": " : "\":");
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view s) {
    BeforeValue();
    out_ << '"' << JsonEscape(s) << '"';
    return *this;
}

JsonWriter& JsonWriter::Double(double d) {
    BeforeValue();
    out_ << ExactDouble(d);
    return *this;
}

JsonWriter& JsonWriter::Int(int64_t i) {
    BeforeValue();
    out_ << i;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool b) {
    BeforeValue();
    out_ << (b ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ << "null";
    return *this;
}

JsonWriter& JsonWriter::Messages(std::string_view key, const std::vector<ui::RecordedMessage>& messages) {
    Key(key).BeginArray();
    for (const auto& m : messages) {
        if (m.kind != "message" && m.kind != "question") continue;
        BeginObject();
        Field("title", m.kind == "question" ? std::string("Question") : m.title);
        Field("text", m.text);
        Field("icon", m.kind == "question" ? "question" : IconName(m.icon));
        EndObject();
    }
    EndArray();
    return *this;
}

bool CommonOptions::Extract(std::vector<std::string>& args, CommonOptions& opts, std::string& error) {
    std::vector<std::string> rest;
    bool yes = false, no = false;
    for (auto& a : args) {
        if (a == "--json") opts.json = true;
        else if (a == "--yes") yes = true;
        else if (a == "--no") no = true;
        else rest.push_back(std::move(a));
    }
    args = std::move(rest);
    if (yes && no) {
        error = "--yes and --no exclude each other";
        return false;
    }
    if (yes) opts.answer = true;
    if (no) opts.answer = false;
    return true;
}

std::unique_ptr<ui::ScriptedUi> MakeCommandUi(const CommonOptions& opts, std::ostream& out,
                                              std::ostream& err) {
    std::unique_ptr<ui::ScriptedUi> u;
    if (opts.json)
        u = std::make_unique<ui::ScriptedUi>();
    else
        u = std::make_unique<ui::ConsoleUi>(out, err);
    // Unattended, every question takes its safe answer: No, which changes nothing.
    u->SetDefaultQuestionAnswer(opts.answer.value_or(false));
    return u;
}

}  // namespace cli
