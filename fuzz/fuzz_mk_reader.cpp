// Feeds arbitrary bytes to the storage engine as a file opened for writing, reads
// every cell, writes the result out again and commits a change to it: nothing may
// crash, hang or run out of memory, and every promise of mk_round_trip.h holds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "mk_round_trip.h"

namespace {

// One scratch folder per fuzzing process.
const std::filesystem::path& Scratch() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("strovan-mkfuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string broken =
        mkcheck::CheckBytes(std::string_view(reinterpret_cast<const char*>(data), size), Scratch());
    if (!broken.empty()) {
        std::fprintf(stderr, "mk_round_trip: %s\n", broken.c_str());
        __builtin_trap();
    }
    return 0;
}
