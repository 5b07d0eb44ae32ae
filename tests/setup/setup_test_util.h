#pragma once
// Scratch cruise files for the setup tests: the shared tables the setup reads, filled
// from short row lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "mk/mk.h"
#include "store/schema.h"
#include "support/scratch.h"

namespace setuptest {

namespace fs = std::filesystem;

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteText;

struct Tree {
    std::string stratum, unit, plot, tree, sp, prod, ld;
};
struct Unit {
    std::string code;
    double area;
    std::string description, logmeth;
};

// Sets a row's cells by column name from "name=value" texts.
inline void SetRow(mk::View& v, int row, const std::vector<std::pair<std::string, std::string>>& cells) {
    for (const auto& [name, value] : cells) v.SetString(row, name, value);
}

// A cruise file with trees, cutting units and recon strata (code, method).
inline void MakeCruise(const std::string& path, const std::vector<Tree>& trees,
                       const std::vector<Unit>& units,
                       const std::vector<std::pair<std::string, std::string>>& strata = {}) {
    auto created = mk::Storage::Create(path);
    ASSERT_TRUE(created);
    mk::Storage& s = *created;
    auto tv = s.GetAs("TreeTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,Sp:S,ProdP:S,LD:S,CL:S,DBH:F,"
                      "TotHt:F,NCUFTVolPP:D]");
    ASSERT_TRUE(tv);
    for (const Tree& t : trees) {
        int r = tv->AddRow();
        SetRow(*tv, r, {{"Stratum", t.stratum}, {"CutUnit", t.unit}, {"Plot", t.plot},
                        {"Tree", t.tree}, {"Sp", t.sp}, {"ProdP", t.prod}, {"LD", t.ld}});
    }
    auto uv = s.GetAs(schema::kCuttingUnitTableDesc);
    ASSERT_TRUE(uv);
    for (const Unit& u : units) {
        int r = uv->AddRow();
        uv->SetString(r, "CutUnit", u.code);
        uv->SetDouble(r, "Area", u.area);
        uv->SetString(r, "Description", u.description);
        uv->SetString(r, "LogMeth", u.logmeth);
        uv->SetString(r, "PayUnit", "P" + u.code);
    }
    auto sv = s.GetAs(schema::kStratumTableFieldDesc);
    ASSERT_TRUE(sv);
    for (const auto& [code, meth] : strata) {
        int r = sv->AddRow();
        sv->SetString(r, "Stratum", code);
        sv->SetString(r, "CruzMeth", meth);
    }
    ASSERT_TRUE(s.GetAs(schema::kGlobalConfigurationTableDesc));
    ASSERT_TRUE(s.Commit());
}

// One column of a stored table, as text.
inline std::vector<std::string> Column(const std::string& path, const std::string& table,
                                       const std::string& col) {
    std::vector<std::string> out;
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!s || !s->HasView(table)) return out;
    mk::View v = s->GetView(table);
    for (int r = 0; r < v.RowCount(); ++r) out.push_back(v.GetString(r, col));
    return out;
}

// Rows of a stored table as "a|b|c" over the named columns.
inline std::vector<std::string> Rows(const std::string& path, const std::string& table,
                                     const std::vector<std::string>& cols) {
    std::vector<std::string> out;
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!s || !s->HasView(table)) return out;
    mk::View v = s->GetView(table);
    for (int r = 0; r < v.RowCount(); ++r) {
        std::string line;
        for (size_t i = 0; i < cols.size(); ++i) {
            int c = v.FindColumn(cols[i]);
            std::string cell = v.GetString(r, cols[i]);
            if (c >= 0 && (v.Column(c).type == mk::Type::Double || v.Column(c).type == mk::Type::Float)) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.10g", v.GetDouble(r, c));
                cell = buf;
            }
            line += (i ? "|" : "") + cell;
        }
        out.push_back(line);
    }
    return out;
}

inline bool HasTable(const std::string& path, const std::string& table) {
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    return s && s->HasView(table);
}

}  // namespace setuptest
