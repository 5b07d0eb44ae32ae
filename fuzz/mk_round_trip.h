#pragma once
// What any bytes given to the storage engine as a file must do: fail to open with a
// clear error and leave the file as it was, or open for writing, read in full, write
// out again to a copy that reads the same, and take a commit that a reopen shows.
// Shared by the fuzz target and the test that replays its corpus.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "mk/dump.h"
#include "mk/mk.h"

namespace mkcheck {

enum class Outcome { Refused, Read };

namespace detail {

inline std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A few bytes may validly declare two billion rows of default cells (they take no
// room in the file nor in memory); reading every one would only measure the loop.
constexpr int64_t kCellsToVisit = 5'000'000;

inline int64_t Cells(mk::Storage& s) {
    int64_t cells = 0;
    for (const std::string& name : s.ViewNames()) {
        mk::View v = s.GetView(name);
        cells += int64_t(v.RowCount()) * (v.ColumnCount() + 1);
    }
    return cells;
}

inline void ReadEdges(mk::View v, int depth) {
    for (int r : {0, v.RowCount() - 1}) {
        if (r < 0) continue;
        for (int c = 0; c < v.ColumnCount(); ++c) {
            if (v.Column(c).type == mk::Type::View) {
                if (depth < 3) ReadEdges(v.GetSubview(r, c), depth + 1);
            } else {
                (void)v.GetBytes(r, c);
            }
        }
    }
}

// Every cell as text, or the edges of a storage too large to visit. The byte order
// is left out: a fresh copy is written in the machine's own.
inline std::string ReadAll(mk::Storage& s) {
    if (Cells(s) > kCellsToVisit) {
        for (const std::string& name : s.ViewNames()) ReadEdges(s.GetView(name), 0);
        return s.Structure();
    }
    std::string json = mk::DumpJson(s, {"check", 1});
    auto at = json.find("\"byte_order\"");
    if (at != std::string::npos) json.erase(at, json.find('\n', at) - at);
    return json;
}

}  // namespace detail

// Empty when the bytes kept every promise; else what went wrong. `scratch` is a
// folder of the caller's in which the files are made.
inline std::string CheckBytes(std::string_view bytes, const std::filesystem::path& scratch,
                              Outcome* outcome = nullptr) {
    const std::filesystem::path in = scratch / "in.mk", copy = scratch / "copy.mk";
    {
        std::ofstream out(in, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) return "the scratch file could not be written";
    }
    auto s = mk::Storage::Open(in.string(), mk::OpenMode::ReadWrite);
    if (!s) {
        if (outcome) *outcome = Outcome::Refused;
        const mk::Errc code = s.error().code;
        if (code != mk::Errc::NotMetakit && code != mk::Errc::Corrupt && code != mk::Errc::BadDescription)
            return "refused with an unexpected error: " + s.error().message;
        if (s.error().message.empty()) return "refused without a message";
        if (detail::ReadFile(in) != bytes) return "a refused open changed the file";
        return "";
    }
    if (outcome) *outcome = Outcome::Read;
    const std::string content = detail::ReadAll(*s);
    const std::string structure = s->Structure();

    // Written out again, it reads the same.
    if (auto saved = s->SaveAs(copy.string()); !saved) return "not written out again: " + saved.error().message;
    {
        auto again = mk::Storage::Open(copy.string(), mk::OpenMode::ReadOnly);
        if (!again) return "its fresh copy does not open: " + again.error().message;
        if (again->Structure() != structure) return "its fresh copy has another structure";
        if (detail::ReadAll(*again) != content) return "its fresh copy reads otherwise";
    }

    // A commit on what was read lands whole, or leaves the file as it was.
    auto added = s->GetAs("mkcheck_commit[n:I]");
    if (!added) return "no view could be added: " + added.error().message;
    added->SetInt(added->AddRow(), 0, 7);
    const std::string before = detail::ReadFile(in);
    if (auto committed = s->Commit(); !committed) {
        if (detail::ReadFile(in) != before) return "a failed commit changed the file";
        return "";
    }
    s->Close();
    auto reopened = mk::Storage::Open(in.string(), mk::OpenMode::ReadOnly);
    if (!reopened) return "the committed file does not open: " + reopened.error().message;
    mk::View v = reopened->GetView("mkcheck_commit");
    if (v.RowCount() != 1 || v.GetInt(0, 0) != 7) return "the commit is not in the file";
    return "";
}

}  // namespace mkcheck
