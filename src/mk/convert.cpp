#include "mk/convert.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace mk::detail {

namespace {

std::string_view SkipBlanks(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\f' ||
                            s[i] == '\v'))
        ++i;
    return s.substr(i);
}

float AsFloat(uint64_t raw) { return std::bit_cast<float>(static_cast<uint32_t>(raw)); }
double AsDouble(uint64_t raw) { return std::bit_cast<double>(raw); }

// An S cell holds text up to its first zero byte; a B cell holds the bytes as given.
void SetTextItem(Column& col, uint32_t r, std::string_view v) {
    if (col.type() != Type::String) return col.SetItem(r, v);
    const void* z = v.empty() ? nullptr : std::memchr(v.data(), 0, v.size());
    if (z) v = v.substr(0, static_cast<const char*>(z) - v.data());
    col.SetText(r, v);
}

}  // namespace

std::string FormatDouble(double v, int precision) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    char buf[64];
    if (precision > 0) {
        auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
        return std::string(buf, res.ptr);
    }
    for (int p = 1;; ++p) {
        auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, p);
        double back = 0;
        std::from_chars(buf, res.ptr, back);
        if (back == v || p >= 17) return std::string(buf, res.ptr);
    }
}

std::string FormatFloat(float v) {
    if (std::isnan(v) || std::isinf(v)) return FormatDouble(v);
    char buf[64];
    for (int p = 1;; ++p) {
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::general, p);
        double back = 0;
        std::from_chars(buf, res.ptr, back);
        if (static_cast<float>(back) == v || p >= 9) return std::string(buf, res.ptr);
    }
}

int64_t LeadingLong(std::string_view s) {
    s = SkipBlanks(s);
    bool neg = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        neg = s[0] == '-';
        s.remove_prefix(1);
    }
    uint64_t v = 0;
    const uint64_t limit = neg ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        auto d = static_cast<uint64_t>(c - '0');
        if (v > (limit - d) / 10) {  // before multiplying: 20 digits wrap around 2^64
            v = limit;
            break;
        }
        v = v * 10 + d;
    }
    return neg ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
}

double LeadingDouble(std::string_view s) {
    s = SkipBlanks(s);
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    double v = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars leaves v alone on overflow; strtod would give +-HUGE_VAL or 0
        bool neg = !s.empty() && s[0] == '-';
        size_t e = s.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-';
        return tiny ? 0.0 : (neg ? -HUGE_VAL : HUGE_VAL);
    }
    return res.ec == std::errc() ? v : 0.0;
}

int32_t ClampInt(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

int64_t DoubleToLong(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
    if (v <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);
}

std::string CellString(const Table& t, uint32_t r, int c) {
    const Column& col = t.cols[static_cast<size_t>(c)];
    switch (col.type()) {
    case Type::String: return std::string(col.Text(r));
    case Type::Bytes: {
        std::string_view b = col.Item(r);
        const void* z = b.empty() ? nullptr : std::memchr(b.data(), 0, b.size());
        return std::string(z ? b.substr(0, static_cast<const char*>(z) - b.data()) : b);
    }
    case Type::Int:
    case Type::Long: return std::to_string(static_cast<int64_t>(col.Raw(r)));
    case Type::Float: return FormatFloat(AsFloat(col.Raw(r)));
    case Type::Double: return FormatDouble(AsDouble(col.Raw(r)));
    case Type::View: return {};
    }
    return {};
}

int64_t CellLong(const Table& t, uint32_t r, int c) {
    const Column& col = t.cols[static_cast<size_t>(c)];
    switch (col.type()) {
    case Type::String:
    case Type::Bytes: return LeadingLong(col.Text(r));
    case Type::Int:
    case Type::Long: return static_cast<int64_t>(col.Raw(r));
    case Type::Float: return DoubleToLong(AsFloat(col.Raw(r)));
    case Type::Double: return DoubleToLong(AsDouble(col.Raw(r)));
    case Type::View: return 0;
    }
    return 0;
}

double CellDouble(const Table& t, uint32_t r, int c) {
    const Column& col = t.cols[static_cast<size_t>(c)];
    switch (col.type()) {
    case Type::String:
    case Type::Bytes: return LeadingDouble(col.Text(r));
    case Type::Int:
    case Type::Long: return static_cast<double>(static_cast<int64_t>(col.Raw(r)));
    case Type::Float: return AsFloat(col.Raw(r));
    case Type::Double: return AsDouble(col.Raw(r));
    case Type::View: return 0;
    }
    return 0;
}

std::string CellBytes(const Table& t, uint32_t r, int c) {
    const Column& col = t.cols[static_cast<size_t>(c)];
    if (col.IsString()) return std::string(col.type() == Type::String ? col.Text(r) : col.Item(r));
    return CellString(t, r, c);
}

void SetCellString(Table& t, uint32_t r, int c, std::string_view v) {
    Column& col = t.cols[static_cast<size_t>(c)];
    switch (col.type()) {
    case Type::String:
    case Type::Bytes: SetTextItem(col, r, v); break;
    case Type::Int:
    case Type::Long: SetCellLong(t, r, c, LeadingLong(v)); break;
    case Type::Float:
    case Type::Double: SetCellDouble(t, r, c, LeadingDouble(v)); break;
    case Type::View: break;
    }
}

void SetCellBytes(Table& t, uint32_t r, int c, std::string_view v) {
    Column& col = t.cols[static_cast<size_t>(c)];
    if (col.type() == Type::Bytes) col.SetItem(r, v);
    else SetCellString(t, r, c, v);
}

void SetCellLong(Table& t, uint32_t r, int c, int64_t v) {
    Column& col = t.cols[static_cast<size_t>(c)];
    switch (col.type()) {
    case Type::String:
    case Type::Bytes: SetCellString(t, r, c, std::to_string(v)); break;
    case Type::Int: col.SetRaw(r, static_cast<uint32_t>(ClampInt(v))); break;
    case Type::Long: col.SetRaw(r, static_cast<uint64_t>(v)); break;
    case Type::Float:
    case Type::Double: SetCellDouble(t, r, c, static_cast<double>(v)); break;
    case Type::View: break;
    }
}

void SetCellDouble(Table& t, uint32_t r, int c, double v) {
    Column& col = t.cols[static_cast<size_t>(c)];
    switch (col.type()) {
    case Type::String:
    case Type::Bytes: SetTextItem(col, r, FormatDouble(v)); break;
    case Type::Int:
    case Type::Long: SetCellLong(t, r, c, DoubleToLong(v)); break;
    case Type::Float: col.SetRaw(r, std::bit_cast<uint32_t>(static_cast<float>(v))); break;
    case Type::Double: col.SetRaw(r, std::bit_cast<uint64_t>(v)); break;
    case Type::View: break;
    }
}

void CopyCell(const Table& src, uint32_t sr, int sc, Table& dst, uint32_t dr, int dc) {
    const Column& s = src.cols[static_cast<size_t>(sc)];
    Column& d = dst.cols[static_cast<size_t>(dc)];
    if (s.type() == d.type()) {
        if (s.IsString()) d.SetItem(dr, s.Item(sr));
        else if (s.type() != Type::View) d.SetRaw(dr, s.Raw(sr));
        return;
    }
    switch (d.type()) {
    case Type::String: SetCellString(dst, dr, dc, CellString(src, sr, sc)); break;
    case Type::Bytes: SetCellBytes(dst, dr, dc, CellBytes(src, sr, sc)); break;
    case Type::Int:
    case Type::Long: SetCellLong(dst, dr, dc, CellLong(src, sr, sc)); break;
    case Type::Float:
    case Type::Double: SetCellDouble(dst, dr, dc, CellDouble(src, sr, sc)); break;
    case Type::View: break;
    }
}

}  // namespace mk::detail
