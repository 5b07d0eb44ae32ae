#pragma once
// A print job owns the canvas it is given; a test keeps its own and hands the job one
// of these, which passes every call on.
#include <string>

#include "grid/grid_print.h"

namespace testsupport {

class BorrowedCanvas : public grid::Canvas {
public:
    explicit BorrowedCanvas(grid::Canvas& c) : c_(c) {}
    double PageWidth() const override { return c_.PageWidth(); }
    double PageHeight() const override { return c_.PageHeight(); }
    double UnitsPerInch() const override { return c_.UnitsPerInch(); }
    bool BeginDocument(const std::string& n) override { return c_.BeginDocument(n); }
    bool BeginPage() override { return c_.BeginPage(); }
    void EndPage() override { c_.EndPage(); }
    bool EndDocument() override { return c_.EndDocument(); }
    void AbortDocument() override { c_.AbortDocument(); }
    std::string Error() const override { return c_.Error(); }
    double TextWidth(const std::string& t, const grid::Font& f) const override { return c_.TextWidth(t, f); }
    double TextHeight(const grid::Font& f) const override { return c_.TextHeight(f); }
    void DrawText(double x, double y, const std::string& t, const grid::Font& f, grid::Color k) override {
        c_.DrawText(x, y, t, f, k);
    }
    void DrawLine(double a, double b, double c, double d, double w, grid::Color k) override {
        c_.DrawLine(a, b, c, d, w, k);
    }
    void FillRect(double x, double y, double w, double h, grid::Color k) override { c_.FillRect(x, y, w, h, k); }
    void PushClip(double x, double y, double w, double h) override { c_.PushClip(x, y, w, h); }
    void PopClip() override { c_.PopClip(); }

private:
    grid::Canvas& c_;
};

}  // namespace testsupport
