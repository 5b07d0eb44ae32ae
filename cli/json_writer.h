#pragma once
// What every command shares for scripted use: one JSON writer for --json output
// (doubles at full precision, integers as integers, text as stored), the common
// options --json, --yes and --no, and the UI port a command runs its steps with.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/scripted_ui.h"

namespace cli {

// A streaming writer: Key() then a value inside objects, values alone inside arrays.
// Commas and indentation are its business.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out, bool pretty = true);
    ~JsonWriter();  // ends the document with a newline

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);

    JsonWriter& String(std::string_view s);
    JsonWriter& Double(double d);  // shortest text that reads back exactly; NaN/inf: null
    JsonWriter& Int(int64_t i);
    JsonWriter& Bool(bool b);
    JsonWriter& Null();

    // Key + value in one call.
    JsonWriter& Field(std::string_view key, std::string_view s) { return Key(key).String(s); }
    JsonWriter& Field(std::string_view key, const char* s) { return Key(key).String(s); }
    JsonWriter& Field(std::string_view key, const std::string& s) { return Key(key).String(s); }
    JsonWriter& Field(std::string_view key, double d) { return Key(key).Double(d); }
    JsonWriter& Field(std::string_view key, int i) { return Key(key).Int(i); }
    JsonWriter& Field(std::string_view key, int64_t i) { return Key(key).Int(i); }
    JsonWriter& Field(std::string_view key, bool b) { return Key(key).Bool(b); }

    // The messages a step showed, as [{"title","text","icon"}] (questions too, with
    // the answer given).
    JsonWriter& Messages(std::string_view key, const std::vector<ui::RecordedMessage>& messages);

private:
    void BeforeValue();
    void Newline();

    std::ostream& out_;
    bool pretty_;
    struct Level {
        bool array;
        bool empty = true;
    };
    std::vector<Level> stack_;
    bool after_key_ = false;
};

std::string JsonEscape(std::string_view s);
// Shortest decimal text that reads back as the same double ("0.1", "1e+300").
std::string ExactDouble(double d);
const char* IconName(ui::Icon icon);

// --json, --yes and --no, taken out of a command's arguments wherever they stand.
struct CommonOptions {
    bool json = false;
    std::optional<bool> answer;  // --yes: true, --no: false

    // Removes the common options from args. False (with a message) when both --yes
    // and --no are given.
    static bool Extract(std::vector<std::string>& args, CommonOptions& opts, std::string& error);
};

// The UI port a command runs its steps with. Questions take --yes / --no; without
// either they are answered No, the answer that leaves the file as it is. With --json nothing is printed while the step
// runs: every message is recorded for the JSON output; otherwise messages go to the
// console as they come (errors and warnings to the error stream).
std::unique_ptr<ui::ScriptedUi> MakeCommandUi(const CommonOptions& opts, std::ostream& out,
                                              std::ostream& err);

}  // namespace cli
