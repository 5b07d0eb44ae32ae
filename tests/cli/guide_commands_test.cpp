// The guide's command-line walk-through, run as written: its commands, in a folder of
// their own, make the example design the guide shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/bundled_files.h"
#include "commands.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The fenced blocks after a heading, up to the next heading of the same level.
std::vector<std::string> BlocksUnder(const std::string& page, const std::string& heading) {
    std::vector<std::string> blocks;
    auto at = page.find("\n" + heading + "\n");
    if (at == std::string::npos) return blocks;
    const auto end = page.find("\n## ", at + 1);
    std::istringstream lines(page.substr(at, end == std::string::npos ? std::string::npos : end - at));
    std::string line, block;
    bool in = false;
    while (std::getline(lines, line)) {
        if (line.rfind("```", 0) == 0) {
            if (in) blocks.push_back(block);
            block.clear();
            in = !in;
        } else if (in) {
            block += line + '\n';
        }
    }
    return blocks;
}

// A shell line's words: blanks separate them, double quotes keep blanks in one.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

class GuideCommands : public ::testing::Test {
protected:
    void SetUp() override {
        before_ = fs::current_path();
        fs::current_path(scratch_.Dir());
    }
    void TearDown() override { fs::current_path(before_); }

    testsupport::TempDir scratch_{"strovan_guide"};
    fs::path before_;
};

TEST_F(GuideCommands, TheWalkthroughsCommandsMakeTheExampleDesign) {
    const std::string page = ReadText(fs::path(STROVAN_SOURCE_DIR) / "docs/guide/walkthrough.md");
    const auto blocks = BlocksUnder(page, "## The same from the command line");
    ASSERT_GE(blocks.size(), 3u);
    const std::string data = app::DataDir().string();
    ASSERT_FALSE(data.empty());

    std::istringstream commands(blocks[0]);
    std::string last_out;
    int count = 0;
    for (std::string line; std::getline(commands, line);) {
        if (line.empty()) continue;
        for (auto at = line.find("/usr/share/strovan"); at != std::string::npos; at = line.find("/usr/share/strovan"))
            line.replace(at, std::string("/usr/share/strovan").size(), data);
        std::vector<std::string> words = Words(line);
        ASSERT_EQ(words.front(), "strovan-cli") << line;
        words.erase(words.begin());
        std::ostringstream out, err;
        ASSERT_EQ(cli::RunCli(words, out, err), cli::kExitOk) << line << '\n' << err.str() << out.str();
        last_out = words.front() == "design" ? out.str() : last_out;
        ++count;
    }
    EXPECT_GE(count, 10);

    // What the guide says the design command ends with, and the design itself.
    std::istringstream shown(blocks[1]);
    for (std::string line; std::getline(shown, line);) EXPECT_NE(last_out.find(line), std::string::npos) << line;
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"design", "54321_design.crz", "--json"}, out, err), cli::kExitOk);
    EXPECT_NE(out.str().find("\"sale_error\": 9.55,"), std::string::npos) << out.str().substr(0, 400);
    EXPECT_NE(out.str().find("\"cost\": 8790,"), std::string::npos);
    EXPECT_TRUE(fs::file_size("54321.crz") > 0);
    EXPECT_NE(ReadText("summary.txt").find("Sale Error              9.6"), std::string::npos);
}

}  // namespace
