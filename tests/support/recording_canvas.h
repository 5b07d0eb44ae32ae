#pragma once
// A print canvas that records what is drawn, page by page, for tests of printing.
#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "grid/grid_print.h"

namespace testsupport {

// Records what is drawn; text is 5 units per character and 10 high.
class RecordingCanvas : public grid::Canvas {
public:
    struct Text {
        int page;
        double x, y;
        std::string text;
        grid::Font font;
    };
    double w = 850, h = 1100, upi = 100;
    bool refuse_document = false;
    grid::GridModel* watch = nullptr;
    bool printing_seen = false;
    int pages = 0;
    bool ended = false, aborted = false;
    std::vector<Text> texts;
    std::vector<std::array<double, 4>> fills;
    int lines = 0;

    double PageWidth() const override { return w; }
    double PageHeight() const override { return h; }
    double UnitsPerInch() const override { return upi; }
    bool BeginDocument(const std::string& name) override {
        doc_name = name;
        return !refuse_document;
    }
    bool BeginPage() override {
        ++pages;
        if (watch) printing_seen = watch->Printing();
        return true;
    }
    void EndPage() override {}
    bool EndDocument() override { return ended = true; }
    void AbortDocument() override { aborted = true; }
    std::string Error() const override { return refuse_document ? "out of paper" : ""; }
    // With scale_text, text is 5 units per character at 8 points and grows with
    // the size, as real fonts do.
    bool scale_text = false;
    double TextWidth(const std::string& t, const grid::Font& f) const override {
        return 5.0 * t.size() * (scale_text ? f.points / 8 : 1);
    }
    double TextHeight(const grid::Font&) const override { return 10; }
    void DrawText(double x, double y, const std::string& t, const grid::Font& f, grid::Color) override {
        texts.push_back({pages, x, y, t, f});
        double right = x + TextWidth(t, f);
        if (!open_clips.empty()) right = std::min(right, open_clips.back().first + open_clips.back().second);
        Reach(right);
    }
    void DrawLine(double x0, double, double x1, double, double, grid::Color) override {
        ++lines;
        Reach(std::max(x0, x1));
    }
    void FillRect(double x, double y, double w_, double h_, grid::Color) override {
        fills.push_back({x, y, w_, h_});
        Reach(x + w_);
    }
    void PushClip(double x, double, double w_, double) override {
        clips.push_back({x, w_});
        open_clips.push_back({x, w_});
    }
    void PopClip() override { open_clips.pop_back(); }
    std::vector<std::pair<double, double>> clips;  // x and width
    std::vector<std::pair<double, double>> open_clips;
    double max_x = 0;  // the rightmost ink, clips applied
    void Reach(double x) { max_x = std::max(max_x, x); }

    std::vector<std::string> TextsOnPage(int page) const {
        std::vector<std::string> out;
        for (const auto& t : texts)
            if (t.page == page) out.push_back(t.text);
        return out;
    }
    bool Has(int page, const std::string& s) const {
        auto v = TextsOnPage(page);
        return std::find(v.begin(), v.end(), s) != v.end();
    }
    std::string doc_name;
};

}  // namespace testsupport
