#include "store/output_path.h"

#include <filesystem>

namespace store {

namespace fs = std::filesystem;

OutputTarget ResolveOutputPath(const std::string& path) {
    OutputTarget out;
    if (path.empty()) {
        out.why = "No file name was given.";
        return out;
    }
    fs::path p(path);
    std::error_code ec;
    // The kernel's own limit on links in a row.
    for (int hops = 0; fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
        if (hops == 40) {
            out.why = "The link " + path + " leads round in a circle.";
            return out;
        }
        fs::path target = fs::read_symlink(p, ec);
        if (ec) {
            out.why = "The link " + path + " cannot be read: " + ec.message();
            return out;
        }
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    const fs::file_status st = fs::status(p, ec);
    switch (st.type()) {
    case fs::file_type::not_found:
    case fs::file_type::regular: out.path = p.string(); return out;
    case fs::file_type::directory: out.why = path + " is a folder."; return out;
    case fs::file_type::none: out.why = path + " cannot be reached: " + ec.message(); return out;
    default: out.why = path + " is not a regular file (a device, FIFO or socket) and is never replaced."; return out;
    }
}

}  // namespace store
