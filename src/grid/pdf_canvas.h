#pragma once
// A small PDF 1.4 writer behind the print canvas, so grids print to a file without a
// window system (the command line, tests, reports). Text uses the standard Type 1
// fonts every PDF reader has (Helvetica, Times, Courier, with their published
// widths for measuring); lines and filled rectangles are vector graphics. Pages are
// streamed to a temporary file that replaces the target only when the document ends.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "grid/grid_print.h"

namespace grid {

class PdfCanvas : public Canvas {
public:
    static constexpr double kLetterWidth = 612, kLetterHeight = 792;  // points
    static constexpr double kA4Width = 595.28, kA4Height = 841.89;

    // A page of width x height points; Letter portrait unless told.
    explicit PdfCanvas(std::string path, double width = kLetterWidth, double height = kLetterHeight);
    ~PdfCanvas() override;

    double PageWidth() const override { return width_; }
    double PageHeight() const override { return height_; }
    double UnitsPerInch() const override { return 72; }

    bool BeginDocument(const std::string& name) override;
    bool BeginPage() override;
    void EndPage() override;
    bool EndDocument() override;
    void AbortDocument() override;
    std::string Error() const override { return error_; }

    double TextWidth(const std::string& text, const Font& font) const override;
    double TextHeight(const Font& font) const override;
    void DrawText(double x, double y, const std::string& text, const Font& font, Color c) override;
    void DrawLine(double x0, double y0, double x1, double y1, double width, Color c) override;
    void FillRect(double x, double y, double w, double h, Color c) override;
    void PushClip(double x, double y, double w, double h) override;
    void PopClip() override;

    int PagesWritten() const { return static_cast<int>(page_objects_.size()); }

    // The standard font a family maps to: Times..., Courier..., else Helvetica, with
    // the bold and italic faces.
    static std::string BaseFontName(const Font& font);
    // Width of text in points at the font's size, from the font's standard metrics.
    static double StandardTextWidth(const std::string& text, const Font& font);
    // UTF-8 to the WinAnsi (Windows-1252) bytes the fonts are encoded in ('?' for the rest).
    static std::string ToWinAnsi(const std::string& utf8);

private:
    struct GState {
        std::string fill, stroke;
        double line_width = -1;
    };
    bool Write(const std::string& bytes);
    int NewObject();                 // reserves an object number
    bool BeginObject(int number);    // records its offset and writes the header
    std::string FontResource(const std::string& base);
    void SetFill(Color c);
    void SetStroke(Color c, double width);
    double Y(double y) const { return height_ - y; }

    std::string path_, target_path_, temp_path_;  // as given, links followed, being written
    double width_, height_;
    std::FILE* file_ = nullptr;
    long long offset_ = 0;
    std::string error_;
    std::vector<long long> offsets_;  // by object number - 1
    std::vector<int> page_objects_;
    std::map<std::string, std::pair<std::string, int>> fonts_;  // base -> (resource, object)
    std::set<std::string> page_fonts_;
    std::string content_;
    bool in_page_ = false;
    GState gs_;
    std::vector<GState> saved_;
    std::string title_;
};

}  // namespace grid
