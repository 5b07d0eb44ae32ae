#include <unordered_set>

#include "mk/mk.h"

namespace mk {

namespace {

constexpr int kMaxDepth = 64;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

class FieldParser {
public:
    explicit FieldParser(std::string_view t) : t_(t) {}

    Result<std::vector<Field>> Run() {
        std::vector<Field> out;
        if (!t_.empty() && !List(out, 0)) return Fail();
        if (pos_ != t_.size()) return Fail();
        return out;
    }

private:
    Error Fail() const {
        return Error{Errc::BadDescription,
                     "bad structure text at offset " + std::to_string(pos_) + ": \"" + std::string(t_) + "\""};
    }
    bool More() const { return pos_ < t_.size(); }
    char Peek() const { return t_[pos_]; }

    bool List(std::vector<Field>& out, int depth) {
        if (depth > kMaxDepth) return false;
        std::unordered_set<std::string> seen;  // lower-cased; a stored text may be huge
        for (;;) {
            Field f;
            if (!One(f, depth)) return false;
            std::string key = f.name;
            for (char& c : key) c = Lower(c);
            if (seen.insert(std::move(key)).second) out.push_back(std::move(f));
            if (!More() || Peek() != ',') return true;
            ++pos_;
        }
    }

    bool One(Field& f, int depth) {
        size_t start = pos_;
        while (More() && Peek() != ',' && Peek() != '[' && Peek() != ']' && Peek() != ':') ++pos_;
        f.name = std::string(t_.substr(start, pos_ - start));
        // Other readers take the text as a C string: a zero byte would cut it there.
        if (f.name.empty() || f.name.find('\0') != std::string::npos) return false;
        if (!More() || Peek() == ',' || Peek() == ']') return true;  // no type: a string
        if (Peek() == ':') {
            ++pos_;
            if (!More()) return false;
            return TypeLetter(f, t_[pos_++]);
        }
        ++pos_;  // '['
        f.type = Type::View;
        if (More() && Peek() == '^') {
            ++pos_;
            f.recursive = true;
        } else if (More() && Peek() != ']') {
            if (!List(f.subfields, depth + 1)) return false;
        }
        if (!More() || Peek() != ']') return false;
        ++pos_;
        return true;
    }

    static bool TypeLetter(Field& f, char c) {
        switch (c) {
        case 'S': case 's': f.type = Type::String; return true;
        case 'I': case 'i': f.type = Type::Int; return true;
        case 'L': case 'l': f.type = Type::Long; return true;
        case 'F': case 'f': f.type = Type::Float; return true;
        case 'D': case 'd': f.type = Type::Double; return true;
        case 'B': case 'b': case 'M': case 'm': f.type = Type::Bytes; return true;
        case 'V': case 'v': f.type = Type::View; return true;
        default: return false;
        }
    }

    std::string_view t_;
    size_t pos_ = 0;
};

void FormatInto(std::string& out, const std::vector<Field>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (i) out += ',';
        out += f.name;
        if (f.type != Type::View) {
            out += ':';
            out += static_cast<char>(f.type);
        } else if (f.recursive) {
            out += "[^]";
        } else {
            out += '[';
            FormatInto(out, f.subfields);
            out += ']';
        }
    }
}

}  // namespace

Result<std::vector<Field>> ParseFields(std::string_view text) { return FieldParser(text).Run(); }

std::string FormatFields(const std::vector<Field>& fields) {
    std::string out;
    FormatInto(out, fields);
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace mk
