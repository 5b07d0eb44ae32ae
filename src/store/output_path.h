#pragma once
// Where a file the program writes (a report, an export, a new cruise file, a copy)
// goes: the file its path names. A symbolic link is followed, so the file it points
// to is written and the link stays; a folder, a device, a FIFO or a socket is never
// replaced by a file.
#include <string>

namespace store {

struct OutputTarget {
    std::string path;  // the file to write (links followed); empty when refused
    std::string why;   // why the path cannot take the file; empty when it can
};

OutputTarget ResolveOutputPath(const std::string& path);

}  // namespace store
