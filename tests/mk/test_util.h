#pragma once
// Scratch files and small helpers shared by the engine's tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "mk/dump.h"
#include "mk/mk.h"

namespace mktest {

namespace fs = std::filesystem;

// The Metakit test vectors kept in the repository (README.md there says how they were made).
inline const fs::path& Vectors() {
    static const fs::path p = fs::path(STROVAN_SOURCE_DIR) / "tests" / "data" / "metakit";
    return p;
}

// The 100,000-row table, generated at build time by tools/make_large_trees; its
// expected dump is Vectors() / "large_trees.json".
inline fs::path LargeTrees() { return fs::path(STROVAN_LARGE_TREES); }

inline std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void Spit(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline ino_t Inode(const fs::path& p) {
    struct stat st{};
    ::stat(p.c_str(), &st);
    return st.st_ino;
}

// A fresh folder per test, removed afterwards.
class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("strovan_mk_" + std::string(info->test_suite_name()) + "_" +
                                            info->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

// The content of a storage without the file facts, for comparing states.
inline std::string Content(mk::Storage& s) {
    std::string d = mk::DumpJson(s, {"", 0});
    return d.substr(d.find("\"structure\""));
}

inline std::string ContentOf(const std::string& path) {
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!s) return "ERROR: " + s.error().message;
    return Content(*s);
}

inline std::string Varint(uint32_t v) {
    std::string out;
    do {
        out.insert(out.begin(), static_cast<char>(v & 0x7F));
        v >>= 7;
    } while (v);
    out.back() = static_cast<char>(out.back() | 0x80);
    return out;
}

// A little-endian file from a structure text, the root's reference groups and the
// blocks they point at (placed from offset 8 on).
inline std::string Assemble(const std::string& text, const std::string& rootRefs, const std::string& blocks) {
    std::string walk = "\x80" + Varint(uint32_t(text.size())) + text + "\x81" + rootRefs;
    uint32_t walkAt = uint32_t(8 + blocks.size());
    uint32_t skipAt = walkAt + uint32_t(walk.size());
    auto be32 = [](uint32_t v) {
        std::string b(4, '\0');
        for (int i = 0; i < 4; ++i) b[size_t(i)] = static_cast<char>(v >> (8 * (3 - i)));
        return b;
    };
    return std::string("JL\x1a\0", 4) + be32(skipAt + 16) + blocks + walk + std::string("\x80\0\0\0", 4) +
           be32(skipAt) + "\x80" + be32(uint32_t(walk.size())).substr(1) + be32(walkAt);
}

}  // namespace mktest
