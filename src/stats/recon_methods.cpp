#include "stats/recon_methods.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "design/sampling.h"

namespace stats {

namespace {

using design::SafeDiv;
using design::TruncInt;

// t² / E² for t = 2 and a target error of 40 percent, as the sizes below write it.
constexpr double kT2 = 4;
constexpr double kInvE2 = 0.000625;

const char* Mark(bool isDefault) { return isDefault ? "R" : "N"; }

// 1 + trunc(x): never below 1, whatever a stand-in value gives.
int OnePlus(double x) { return std::max(1, 1 + TruncInt(x)); }

// A new row at the end of `out`, made in place (the rows are many and large); each is
// filled before the next is made, since that may move it.
MethodSgRow& Row(std::vector<MethodSgRow>& out, const GroupContext& g, const FamilyStats& st, const char* method,
                 double sgErr = 40) {
    MethodSgRow& r = out.emplace_back();
    r.cruzMeth = method;
    r.sg.stratum = g.stratum;
    r.sg.sgCode = g.sgCode;
    r.sg.description = g.sgCode;
    r.sg.sgErr = sgErr;
    r.sg.treesAcre = st.tpa;
    r.sg.volAcre = st.vpa;
    r.sg.t = Mark(st.tpaDefault);
    r.sg.v = Mark(st.vpaDefault);
    r.sg.c2 = "N";
    r.mTrees = st.mTrees;
    r.mPlots = st.mPlots;
    return r;
}

// A one-stage CV cv with an assumed 3P CV of `cv2` at the second stage.
struct TwoStage {
    int n = 1, n2 = 1;
};
TwoStage ThreePStage(double cv, double cv2) {
    TwoStage s;
    s.n2 = OnePlus((kT2 * (cv * cv) + kT2 * cv2 * cv2 * cv / cv2) * kInvE2);
    s.n = OnePlus(s.n2 * cv / cv2);
    return s;
}

// Two measured stages with CVs cv (count) and cv2 (trees).
TwoStage CountMeasure(double cv, double cv2) {
    TwoStage s;
    double r = SafeDiv(cv, cv2);
    s.n2 = OnePlus((kT2 * (cv2 * cv2) * r + kT2 * (cv * cv)) * kInvE2);
    s.n = OnePlus(r * s.n2);
    return s;
}

}  // namespace

void AppendTreeRows(const GroupContext& g, const FamilyStats& st, std::vector<MethodSgRow>& out) {
    const double cv = st.cvPlot, a = g.acres;
    const char* c = Mark(st.cvPlotDefault);
    const double trees = st.tpa * a;

    MethodSgRow& all = Row(out, g, st, "100", 0);
    all.sg.sgCV = cv;
    all.sg.c = c;
    all.sg.sgN = TruncInt(trees);
    all.sg.freq = 1;

    MethodSgRow& str = Row(out, g, st, "STR");
    str.sg.sgCV = cv;
    str.sg.c = c;
    str.sg.sgN = OnePlus(cv * cv * kT2 * kInvE2);
    str.sg.freq = TruncInt(SafeDiv(trees, str.sg.sgN));

    MethodSgRow& p3 = Row(out, g, st, "3P");
    p3.sg.sgCV = 35;
    p3.sg.c = "B";
    p3.sg.sgN = 4;
    p3.sg.kz = TruncInt(st.vpa * a * 0.25);

    MethodSgRow& s3p = Row(out, g, st, "S3P");
    TwoStage s = ThreePStage(cv, 35);
    s3p.sg.sgCV = cv;
    s3p.sg.sgCV2 = 35;
    s3p.sg.c = c;
    s3p.sg.c2 = "B";
    s3p.sg.sgN = s.n;
    s3p.sg.sgN2 = s.n2;
    s3p.sg.freq = TruncInt(SafeDiv(trees, s.n));
    s3p.sg.kz = TruncInt(SafeDiv(SafeDiv(st.vpa, st.tpa) * s.n, s.n2));
}

void AppendFixedRows(const GroupContext& g, const FamilyStats& st, std::vector<MethodSgRow>& out) {
    const double cv1 = st.cvPlot, cvc = st.cvCount, cvt = st.cvTree, tpp = st.tpp;

    MethodSgRow& fix = Row(out, g, st, "FIX");
    fix.sg.sgCV = design::Trunc3(cv1);
    fix.sg.c = Mark(st.cvPlotDefault);
    fix.sg.sgN = OnePlus(cv1 * cv1 * kT2 * kInvE2);
    fix.sg.treesPlot = tpp;

    MethodSgRow& f3p = Row(out, g, st, "F3P");
    TwoStage s = ThreePStage(cv1, 35);
    f3p.sg.sgCV = cv1;
    f3p.sg.sgCV2 = 35;
    f3p.sg.c = Mark(st.cvPlotDefault);
    f3p.sg.c2 = "B";
    f3p.sg.sgN = s.n;
    f3p.sg.sgN2 = s.n2;
    f3p.sg.kz = TruncInt(SafeDiv(SafeDiv(st.vpa, st.tpa) * s.n * tpp, s.n2));
    f3p.sg.treesPlot = tpp;

    MethodSgRow& fcm = Row(out, g, st, "FCM");
    TwoStage m = CountMeasure(cvc, cvt);
    fcm.sg.sgCV = cvc;
    fcm.sg.sgCV2 = cvt;
    fcm.sg.c = Mark(st.cvCountDefault);
    fcm.sg.c2 = Mark(st.cvTreeDefault);
    fcm.sg.sgN = m.n;
    fcm.sg.sgN2 = m.n2;
    fcm.sg.freq = TruncInt(SafeDiv(m.n * tpp, m.n2));
    fcm.sg.treesPlot = tpp;
}

void AppendPointRows(const GroupContext& g, const FamilyStats& st, std::vector<MethodSgRow>& out) {
    const double cv1 = st.cvPlot, cvc = st.cvCount, cvr = st.cvTree, cvh = st.cvHeight;
    const double tpp = st.tpp, baf = st.baf;

    MethodSgRow& pnt = Row(out, g, st, "PNT");
    pnt.sg.sgCV = cv1;
    pnt.sg.c = Mark(st.cvPlotDefault);
    pnt.sg.sgN = OnePlus(cv1 * cv1 * kT2 * kInvE2);
    pnt.sg.treesPlot = tpp;

    MethodSgRow& p3p = Row(out, g, st, "P3P");
    TwoStage s = ThreePStage(cvh, 35);
    p3p.sg.sgCV = cvh;
    p3p.sg.sgCV2 = 35;
    p3p.sg.c = Mark(st.cvHeightDefault);
    p3p.sg.c2 = "B";
    p3p.sg.sgN = s.n;
    p3p.sg.sgN2 = s.n2;
    p3p.sg.kz = TruncInt(SafeDiv(s.n * tpp * st.avgHt, s.n2));
    p3p.sg.avgHt = st.avgHt;
    p3p.sg.treesPlot = tpp;

    MethodSgRow& pcm = Row(out, g, st, "PCM");
    TwoStage m = CountMeasure(cvc, cvr);
    pcm.sg.sgCV = cvc;
    pcm.sg.sgCV2 = cvr;
    pcm.sg.c = Mark(st.cvCountDefault);
    pcm.sg.c2 = Mark(st.cvTreeDefault);
    pcm.sg.sgN = m.n;
    pcm.sg.sgN2 = m.n2;
    pcm.sg.freq = TruncInt(SafeDiv(m.n * tpp, m.n2));
    pcm.sg.bigBaf = design::Trunc1(SafeDiv(baf * m.n * tpp, m.n2));
    pcm.sg.treesPlot = tpp;

    MethodSgRow& pp = Row(out, g, st, "3PPNT");
    TwoStage t = ThreePStage(cv1, 30);
    pp.sg.sgCV = cv1;
    pp.sg.sgCV2 = 30;
    pp.sg.c = Mark(st.cvPlotDefault);
    pp.sg.c2 = "B";
    pp.sg.sgN = t.n;
    pp.sg.sgN2 = t.n2;
    pp.sg.kz = TruncInt(SafeDiv(tpp * baf * (st.avgHt * 1.0 / 3) * t.n, t.n2));
    pp.sg.treesPlot = tpp;
}

}  // namespace stats
