#include "grid/pdf_canvas.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "store/text_codec.h"

#ifdef STROVAN_HAVE_ZLIB
#include <zlib.h>
#endif

#include "store/output_path.h"

namespace grid {

namespace {

// Advance widths (1/1000 em) of the characters 32..126 in the standard metrics.
constexpr short kHelvetica[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // ' '../
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // 0..?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,  // @..O
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // P.._
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // `..o
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};      // p..~
constexpr short kHelveticaBold[95] = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611,
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556,
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};
constexpr short kTimes[95] = {
    250, 333, 408, 500, 500, 833, 778, 180, 333, 333, 500, 564, 250, 333, 250, 278,
    500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 278, 278, 564, 564, 564, 444,
    921, 722, 667, 667, 722, 611, 556, 722, 722, 333, 389, 722, 611, 889, 722, 722,
    556, 722, 667, 556, 611, 722, 722, 944, 722, 722, 611, 333, 278, 333, 469, 500,
    333, 444, 500, 444, 500, 444, 333, 500, 500, 278, 278, 500, 278, 778, 500, 500,
    500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444, 480, 200, 480, 541};
constexpr short kTimesBold[95] = {
    250, 333, 555, 500, 500, 1000, 833, 278, 333, 333, 500, 570, 250, 333, 250, 278,
    500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 333, 333, 570, 570, 570, 500,
    930, 722, 667, 722, 722, 667, 611, 778, 778, 389, 500, 778, 667, 944, 722, 778,
    611, 778, 722, 556, 667, 722, 722, 1000, 722, 722, 667, 333, 278, 333, 581, 500,
    333, 500, 556, 444, 556, 444, 333, 500, 556, 278, 333, 556, 278, 833, 556, 500,
    556, 556, 444, 389, 333, 556, 500, 722, 500, 500, 444, 394, 220, 394, 520};

enum class Family { Helvetica, Times, Courier };

Family FamilyOf(const Font& f) {
    std::string s = f.family;
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (s.find("times") != std::string::npos || s.find("serif") == 0) return Family::Times;
    if (s.find("courier") != std::string::npos || s.find("mono") != std::string::npos) return Family::Courier;
    return Family::Helvetica;
}

// Ascender and descender (1/1000 em).
void Extent(Family fam, int& asc, int& desc) {
    switch (fam) {
        case Family::Times: asc = 683; desc = 217; return;
        case Family::Courier: asc = 629; desc = 157; return;
        default: asc = 718; desc = 207; return;
    }
}

std::string Num(double v) {
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%.2f", v);
    // Trailing zeros only cost bytes.
    while (n > 0 && buf[n - 1] == '0') --n;
    if (n > 0 && buf[n - 1] == '.') --n;
    std::string s(buf, n);
    return s == "-0" ? "0" : s;
}

std::string ColorOps(Color c, const char* op) {
    return Num(c.r / 255.0) + " " + Num(c.g / 255.0) + " " + Num(c.b / 255.0) + " " + op;
}

std::string PdfString(const std::string& bytes) {
    std::string out = "(";
    for (char ch : bytes) {
        if (ch == '(' || ch == ')' || ch == '\\') out += '\\';
        if (ch == '\r') { out += "\\r"; continue; }
        if (ch == '\n') { out += "\\n"; continue; }
        out += ch;
    }
    out += ')';
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------
std::string PdfCanvas::BaseFontName(const Font& f) {
    switch (FamilyOf(f)) {
        case Family::Times:
            return f.bold ? (f.italic ? "Times-BoldItalic" : "Times-Bold")
                          : (f.italic ? "Times-Italic" : "Times-Roman");
        case Family::Courier:
            return f.bold ? (f.italic ? "Courier-BoldOblique" : "Courier-Bold")
                          : (f.italic ? "Courier-Oblique" : "Courier");
        default:
            return f.bold ? (f.italic ? "Helvetica-BoldOblique" : "Helvetica-Bold")
                          : (f.italic ? "Helvetica-Oblique" : "Helvetica");
    }
}

std::string PdfCanvas::ToWinAnsi(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        size_t len = 0;
        const char32_t c = store::Utf8CharAt(utf8, i, len);
        i += len ? len : 1;
        const int byte = len ? store::Cp1252ByteOf(c) : -1;
        if (len && c < 0x20) out += ' ';
        else if (byte < 0 || byte == 0x7F) out += '?';
        else out += static_cast<char>(byte);
    }
    return out;
}

double PdfCanvas::StandardTextWidth(const std::string& text, const Font& font) {
    Family fam = FamilyOf(font);
    const short* table = fam == Family::Times ? (font.bold ? kTimesBold : kTimes)
                                              : (font.bold ? kHelveticaBold : kHelvetica);
    long units = 0;
    for (char ch : ToWinAnsi(text)) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (fam == Family::Courier) units += 600;
        else if (b >= 32 && b <= 126) units += table[b - 32];
        else units += table['n' - 32];  // accented letters: about a lower-case letter
    }
    return units * font.points / 1000.0;
}

// ---------------------------------------------------------------------------------
PdfCanvas::PdfCanvas(std::string path, double width, double height)
    : path_(std::move(path)), width_(width), height_(height) {}

PdfCanvas::~PdfCanvas() {
    if (file_) AbortDocument();
}

bool PdfCanvas::Write(const std::string& bytes) {
    if (!file_) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        if (error_.empty()) error_ = "Cannot write " + temp_path_ + ": " + std::strerror(errno);
        return false;
    }
    offset_ += static_cast<long long>(bytes.size());
    return true;
}

int PdfCanvas::NewObject() {
    offsets_.push_back(-1);
    return static_cast<int>(offsets_.size());
}

bool PdfCanvas::BeginObject(int number) {
    offsets_[number - 1] = offset_;
    return Write(std::to_string(number) + " 0 obj\n");
}

bool PdfCanvas::BeginDocument(const std::string& name) {
    if (file_) AbortDocument();
    error_.clear();
    title_ = name;
    const store::OutputTarget target = store::ResolveOutputPath(path_);
    if (!target.why.empty()) {
        error_ = "Cannot write " + path_ + ": " + target.why;
        return false;
    }
    target_path_ = target.path;
    temp_path_ = target_path_ + ".part";
    file_ = std::fopen(temp_path_.c_str(), "wb");
    if (!file_) {
        error_ = "Cannot create " + path_ + ": " + std::strerror(errno);
        return false;
    }
    offset_ = 0;
    offsets_.clear();
    page_objects_.clear();
    fonts_.clear();
    NewObject();  // 1: catalog
    NewObject();  // 2: page tree
    return Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

bool PdfCanvas::BeginPage() {
    if (!file_ || !error_.empty()) return false;
    content_.clear();
    page_fonts_.clear();
    gs_ = GState{};
    saved_.clear();
    in_page_ = true;
    return true;
}

void PdfCanvas::EndPage() {
    if (!in_page_) return;
    in_page_ = false;
    while (!saved_.empty()) PopClip();
    int content = NewObject();
    int page = NewObject();
    std::string data = content_;
    std::string filter;
#ifdef STROVAN_HAVE_ZLIB
    uLongf size = compressBound(static_cast<uLong>(content_.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(content_.data()),
                  static_cast<uLong>(content_.size()), 6) == Z_OK) {
        packed.resize(size);
        data.swap(packed);
        filter = " /Filter /FlateDecode";
    }
#endif
    BeginObject(content);
    Write("<< /Length " + std::to_string(data.size()) + filter + " >>\nstream\n");
    Write(data);
    Write("\nendstream\nendobj\n");

    std::string fonts;
    for (const std::string& base : page_fonts_) {
        const auto& f = fonts_[base];
        fonts += "/" + f.first + " " + std::to_string(f.second) + " 0 R ";
    }
    BeginObject(page);
    Write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Num(width_) + " " + Num(height_) +
          "] /Resources << /Font << " + fonts + ">> >> /Contents " + std::to_string(content) +
          " 0 R >>\nendobj\n");
    page_objects_.push_back(page);
}

bool PdfCanvas::EndDocument() {
    if (!file_) return false;
    if (in_page_) EndPage();
    for (const auto& [base, f] : fonts_) {
        BeginObject(f.second);
        Write("<< /Type /Font /Subtype /Type1 /BaseFont /" + base +
              " /Encoding /WinAnsiEncoding >>\nendobj\n");
    }
    BeginObject(2);
    std::string kids;
    kids.reserve(page_objects_.size() * 10);
    for (int p : page_objects_) kids += std::to_string(p) + " 0 R ";
    Write("<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(page_objects_.size()) +
          " >>\nendobj\n");
    BeginObject(1);
    Write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    int info = NewObject();
    BeginObject(info);
    Write("<< /Title " + PdfString(ToWinAnsi(title_)) + " /Producer (Strovan) >>\nendobj\n");

    long long xref = offset_;
    std::string table = "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n";
    char line[40];
    for (long long off : offsets_) {
        std::snprintf(line, sizeof line, "%010lld 00000 n \n", off < 0 ? 0 : off);
        table += line;
    }
    Write(table);
    Write("trailer\n<< /Size " + std::to_string(offsets_.size() + 1) + " /Root 1 0 R /Info " +
          std::to_string(info) + " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");

    bool ok = error_.empty();
    if (std::fflush(file_) != 0 && ok) {
        error_ = "Cannot write " + temp_path_ + ": " + std::strerror(errno);
        ok = false;
    }
    if (std::fclose(file_) != 0 && ok) {
        error_ = "Cannot write " + temp_path_ + ": " + std::strerror(errno);
        ok = false;
    }
    file_ = nullptr;
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(temp_path_, target_path_, ec);
        if (ec) {
            error_ = "Cannot replace " + path_ + ": " + ec.message();
            ok = false;
        }
    }
    if (!ok) std::filesystem::remove(temp_path_, ec);
    return ok;
}

void PdfCanvas::AbortDocument() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    in_page_ = false;
    std::error_code ec;
    std::filesystem::remove(temp_path_, ec);
}

// ---------------------------------------------------------------------------------
std::string PdfCanvas::FontResource(const std::string& base) {
    auto it = fonts_.find(base);
    if (it == fonts_.end())
        it = fonts_.emplace(base, std::make_pair("F" + std::to_string(fonts_.size() + 1), NewObject())).first;
    page_fonts_.insert(base);
    return it->second.first;
}

double PdfCanvas::TextWidth(const std::string& text, const Font& font) const {
    return StandardTextWidth(text, font);
}

double PdfCanvas::TextHeight(const Font& font) const {
    int asc, desc;
    Extent(FamilyOf(font), asc, desc);
    return (asc + desc) * font.points / 1000.0;
}

void PdfCanvas::SetFill(Color c) {
    std::string op = ColorOps(c, "rg");
    if (op != gs_.fill) {
        content_ += op + "\n";
        gs_.fill = op;
    }
}

void PdfCanvas::SetStroke(Color c, double width) {
    std::string op = ColorOps(c, "RG");
    if (op != gs_.stroke) {
        content_ += op + "\n";
        gs_.stroke = op;
    }
    if (width != gs_.line_width) {
        content_ += Num(width) + " w\n";
        gs_.line_width = width;
    }
}

void PdfCanvas::DrawText(double x, double y, const std::string& text, const Font& font, Color c) {
    if (!in_page_ || text.empty()) return;
    int asc, desc;
    Extent(FamilyOf(font), asc, desc);
    std::string res = FontResource(BaseFontName(font));
    SetFill(c);
    double baseline = y + asc * font.points / 1000.0;
    content_ += "BT /" + res + " " + Num(font.points) + " Tf " + Num(x) + " " + Num(Y(baseline)) +
                " Td " + PdfString(ToWinAnsi(text)) + " Tj ET\n";
}

void PdfCanvas::DrawLine(double x0, double y0, double x1, double y1, double width, Color c) {
    if (!in_page_) return;
    SetStroke(c, width);
    content_ += Num(x0) + " " + Num(Y(y0)) + " m " + Num(x1) + " " + Num(Y(y1)) + " l S\n";
}

void PdfCanvas::FillRect(double x, double y, double w, double h, Color c) {
    if (!in_page_) return;
    SetFill(c);
    content_ += Num(x) + " " + Num(Y(y + h)) + " " + Num(w) + " " + Num(h) + " re f\n";
}

void PdfCanvas::PushClip(double x, double y, double w, double h) {
    if (!in_page_) return;
    saved_.push_back(gs_);
    content_ += "q " + Num(x) + " " + Num(Y(y + h)) + " " + Num(w) + " " + Num(h) + " re W n\n";
}

void PdfCanvas::PopClip() {
    if (!in_page_ || saved_.empty()) return;
    content_ += "Q\n";
    gs_ = saved_.back();
    saved_.pop_back();
}

}  // namespace grid
