#include "mk/dump.h"

#include <bit>
#include <cmath>
#include <set>

#include "mk/convert.h"

namespace mk {

namespace {

constexpr int kLargeView = 20000;

void Str(std::string& out, std::string_view s) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

void Real(std::string& out, double v) {
    if (std::isnan(v)) {
        out += "\"NaN\"";
    } else if (std::isinf(v)) {
        out += v < 0 ? "\"-Infinity\"" : "\"Infinity\"";
    } else {
        std::string s = detail::FormatDouble(v, 17);
        if (s.find_first_of(".e") == std::string::npos) s += ".0";
        out += s;
    }
}

void Hex(std::string& out, std::string_view b) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    for (unsigned char c : b) {
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    out += '"';
}

void Columns(std::string& out, const std::vector<Field>& fields) {
    out += '[';
    for (size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (i) out += ", ";
        out += "{\"name\": ";
        Str(out, f.name);
        out += ", \"type\": \"";
        out += static_cast<char>(f.type);
        out += '"';
        if (f.type == Type::View) {
            out += ", \"columns\": ";
            if (f.recursive) out += "\"^\"";
            else Columns(out, f.subfields);
        }
        out += '}';
    }
    out += ']';
}

void Row(std::string& out, const View& v, int r);

void Value(std::string& out, const View& v, int r, int c) {
    switch (v.Column(c).type) {
    case Type::String: Str(out, v.GetBytes(r, c)); break;  // the bytes, whatever codec is installed
    case Type::Int: out += std::to_string(v.GetInt(r, c)); break;
    case Type::Long: out += std::to_string(v.GetLong(r, c)); break;
    case Type::Float: Real(out, v.GetFloat(r, c)); break;
    case Type::Double: Real(out, v.GetDouble(r, c)); break;
    case Type::Bytes: Hex(out, v.GetBytes(r, c)); break;
    case Type::View: {
        View sub = v.GetSubview(r, c);
        out += '[';
        for (int i = 0; i < sub.RowCount(); ++i) {
            if (i) out += ", ";
            Row(out, sub, i);
        }
        out += ']';
        break;
    }
    }
}

void Row(std::string& out, const View& v, int r) {
    out += '[';
    for (int c = 0; c < v.ColumnCount(); ++c) {
        if (c) out += ", ";
        Value(out, v, r, c);
    }
    out += ']';
}

struct Fnv {
    uint64_t h = 0xcbf29ce484222325ull;
    void Add(std::string_view b) {
        for (unsigned char c : b) h = (h ^ c) * 0x100000001b3ull;
    }
    void AddLe(uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 0x100000001b3ull;
    }
};

std::string Checksum(const View& v, int c) {
    Fnv f;
    for (int r = 0; r < v.RowCount(); ++r) {
        switch (v.Column(c).type) {
        case Type::Int: f.AddLe(static_cast<uint32_t>(v.GetInt(r, c)), 4); break;
        case Type::Long: f.AddLe(static_cast<uint64_t>(v.GetLong(r, c)), 8); break;
        case Type::Float: f.AddLe(std::bit_cast<uint32_t>(v.GetFloat(r, c)), 4); break;
        case Type::Double: f.AddLe(std::bit_cast<uint64_t>(v.GetDouble(r, c)), 8); break;
        case Type::String: {
            std::string s = v.GetBytes(r, c);
            f.Add(s);
            f.Add(std::string_view("\0", 1));
            break;
        }
        case Type::Bytes: {
            std::string b = v.GetBytes(r, c);
            f.AddLe(b.size(), 4);
            f.Add(b);
            break;
        }
        case Type::View: break;
        }
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(f.h));
    return std::string("fnv1a64:") + buf;
}

void LargeRows(std::string& out, const View& v) {
    int n = v.RowCount();
    out += "      \"row_count\": " + std::to_string(n) + ",\n      \"column_checksums\": {";
    for (int c = 0; c < v.ColumnCount(); ++c) {
        if (c) out += ", ";
        Str(out, v.Column(c).name);
        out += ": ";
        Str(out, Checksum(v, c));
    }
    out += "},\n      \"sample_rows\": [\n";
    std::set<int> rows{0, 1, 2, n - 1};
    for (int r = 10000; r < n; r += 10000) rows.insert(r);
    bool first = true;
    for (int r : rows) {
        if (r < 0 || r >= n) continue;
        if (!first) out += ",\n";
        first = false;
        out += "        {\"row\": " + std::to_string(r) + ", \"values\": ";
        Row(out, v, r);
        out += '}';
    }
    out += "\n      ]\n";
}

void SmallRows(std::string& out, const View& v) {
    out += "      \"rows\": [";
    for (int r = 0; r < v.RowCount(); ++r) {
        out += r ? ",\n        " : "\n        ";
        Row(out, v, r);
    }
    out += v.RowCount() ? "\n      ]\n" : "]\n";
}

}  // namespace

std::string DumpJson(Storage& storage, const DumpSource& source) {
    std::string out = "{\n  \"file\": ";
    Str(out, source.fileName);
    out += ",\n  \"file_size\": " + std::to_string(source.fileSize) + ",\n  \"byte_order\": ";
    if (source.fileSize == 0) out += "null";
    else out += storage.Order() == ByteOrder::Big ? "\"big\"" : "\"little\"";
    out += ",\n  \"structure\": ";
    Str(out, storage.Structure());
    out += ",\n  \"views\": [";
    std::vector<std::string> names = storage.ViewNames();
    for (size_t i = 0; i < names.size(); ++i) {
        View v = storage.GetView(names[i]);
        out += i ? ",\n    {\n" : "\n    {\n";
        out += "      \"name\": ";
        Str(out, names[i]);
        out += ",\n      \"columns\": ";
        std::vector<Field> fields;
        for (int c = 0; c < v.ColumnCount(); ++c) fields.push_back(v.Column(c));
        Columns(out, fields);
        out += ",\n";
        if (v.RowCount() > kLargeView) LargeRows(out, v);
        else SmallRows(out, v);
        out += "    }";
    }
    out += names.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

}  // namespace mk
