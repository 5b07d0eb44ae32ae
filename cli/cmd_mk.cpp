// dump and copy: a Metakit file as JSON, and a fresh packed copy of one.
#include <filesystem>
#include <ostream>

#include "commands.h"
#include "mk/dump.h"
#include "mk/mk.h"
#include "store/output_path.h"

namespace {

std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

int Dump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: strovan-cli dump FILE\n";
        return cli::kExitUsage;
    }
    auto s = mk::Storage::Open(args[0], mk::OpenMode::ReadOnly);
    if (!s) {
        err << "strovan-cli dump: " << s.error().message << '\n';
        return cli::kExitFailure;
    }
    std::error_code ec;
    uint64_t size = std::filesystem::file_size(args[0], ec);
    if (s->Recovered())
        err << "strovan-cli dump: " << args[0] << ": last commit was cut short; showing the state before it\n";
    out << mk::DumpJson(*s, {BaseName(args[0]), ec ? 0 : size});
    return cli::kExitOk;
}

// Every view of `from` into `to` with the same stored layout.
void CopyViews(mk::Storage& from, mk::Storage& to) {
    for (const std::string& name : from.ViewNames()) {
        mk::View src = from.GetView(name);
        auto dst = to.GetAs(name + "[" + from.Structure(name) + "]");
        if (!dst) continue;
        dst->SetRowCount(0);
        for (int r = 0; r < src.RowCount(); ++r) dst->AddRowFrom(src, r);
    }
}

int Copy(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    if (args.size() != 2) {
        err << "usage: strovan-cli copy IN OUT\n";
        return cli::kExitUsage;
    }
    auto in = mk::Storage::Open(args[0], mk::OpenMode::ReadOnly);
    if (!in) {
        err << "strovan-cli copy: " << in.error().message << '\n';
        return cli::kExitFailure;
    }
    mk::Storage fresh;
    CopyViews(*in, fresh);
    if (fresh.Structure() != in->Structure()) {
        err << "strovan-cli copy: " << args[0] << ": its structure cannot be copied view by view\n";
        return cli::kExitFailure;
    }
    const store::OutputTarget target = store::ResolveOutputPath(args[1]);
    if (!target.why.empty()) {
        err << "strovan-cli copy: " << target.why << '\n';
        return cli::kExitFailure;
    }
    mk::Status saved = fresh.SaveAs(target.path);
    if (!saved) {
        err << "strovan-cli copy: " << saved.error().message << '\n';
        return cli::kExitFailure;
    }
    return cli::kExitOk;
}

cli::CommandRegistrar dumpCmd{cli::Command{.name = "dump",
                                           .synopsis = "dump FILE",
                                           .summary = "print a Metakit file as JSON",
                                           .run = Dump,
                                           .arguments = {{"FILE", "", "any Metakit file (.crz, .stp)"}},
                                           .common = false}};
cli::CommandRegistrar copyCmd{cli::Command{.name = "copy",
                                           .synopsis = "copy IN OUT",
                                           .summary = "write every view of IN into a fresh, packed OUT",
                                           .run = Copy,
                                           .details = "OUT may be a link (its target is written); a folder, a "
                                                      "device or a FIFO is refused.\n",
                                           .arguments = {{"IN", "", "the Metakit file to copy"},
                                                         {"OUT", "", "the copy to write"}},
                                           .common = false}};

}  // namespace
