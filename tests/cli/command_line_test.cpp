// The walk over a command's options and file, and the message of a wrong command line.
#include <gtest/gtest.h>

#include <sstream>

#include "command_line.h"
#include "commands.h"

namespace {

using cli::OptionCursor;
using cli::OptionRead;

// Reads --flag, --value V and --pair A B (the second only when present); the rest is
// unknown.
struct Parsed {
    std::string file, error, value, pair;
    int flags = 0;
    bool ok = false;
};

Parsed Read(const std::vector<std::string>& args) {
    Parsed p;
    p.ok = cli::ReadOptionsAndFile(args, p.file, p.error, [&](OptionCursor& at) {
        if (at.Name() == "--flag") ++p.flags;
        else if (at.Name() == "--value") {
            if (!at.Value(p.value)) return OptionRead::Failed;
        } else if (at.Name() == "--pair") {
            if (!at.Value(p.pair)) return OptionRead::Failed;
            if (const std::string* next = at.Peek(); next && next->rfind("--", 0) != 0) p.pair += "+" + at.Take();
        } else if (at.Name() == "--refuse") {
            p.error = "refused";
            return OptionRead::Failed;
        } else {
            return OptionRead::Unknown;
        }
        return OptionRead::Read;
    });
    return p;
}

TEST(ReadOptionsAndFile, TakesOptionsAndTheirValuesAroundTheOneFile) {
    Parsed p = Read({"--flag", "a.crz", "--value", "--flag", "--pair", "x", "y", "--flag"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.file, "a.crz");
    EXPECT_EQ(p.value, "--flag");  // a value is taken as it stands, even one that looks like an option
    EXPECT_EQ(p.pair, "x+y");
    EXPECT_EQ(p.flags, 2);
    EXPECT_TRUE(p.error.empty());

    p = Read({"--pair", "x", "--flag", "b.crz"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.pair, "x");
    EXPECT_EQ(p.file, "b.crz");
    EXPECT_EQ(p.flags, 1);

    p = Read({});
    EXPECT_TRUE(p.ok);
    EXPECT_TRUE(p.file.empty());
}

TEST(ReadOptionsAndFile, StopsAtTheFirstFaultWithItsMessage) {
    Parsed p = Read({"a.crz", "--value"});
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, "missing value for --value");

    p = Read({"a.crz", "--nope", "--value"});
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, "unknown option --nope");

    p = Read({"a.crz", "b.crz"});
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, "more than one file given");

    // The option's own message stands; nothing after it is read.
    p = Read({"--refuse", "--flag", "a.crz"});
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, "refused");
    EXPECT_EQ(p.flags, 0);
    EXPECT_TRUE(p.file.empty());

    // A single dash is no option: it is the file.
    p = Read({"-x"});
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.file, "-x");
}

TEST(OptionCursor, PeeksAheadWithoutMovingAndEndsAtTheLastArgument) {
    const std::vector<std::string> args = {"--set", "a", "--where"};
    std::size_t at = 0;
    std::string error;
    OptionCursor c(args, at, error);
    ASSERT_NE(c.Peek(), nullptr);
    EXPECT_EQ(*c.Peek(), "a");
    EXPECT_EQ(*c.Peek(2), "--where");
    EXPECT_EQ(c.Peek(3), nullptr);
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(c.Take(), "a");
    EXPECT_EQ(at, 1u);
    std::string v;
    EXPECT_TRUE(c.Value(v));
    EXPECT_EQ(v, "--where");
    EXPECT_EQ(c.Peek(), nullptr);
    // The message names the option read, not the argument the walk stands on.
    EXPECT_EQ(c.Name(), "--set");
    EXPECT_FALSE(c.Value(v));
    EXPECT_EQ(error, "missing value for --set");
    EXPECT_EQ(v, "--where");
}

TEST(UsageError, WritesWhoAndWhyThenTheUsageAndGivesTheUsageCode) {
    std::ostringstream err;
    EXPECT_EQ(cli::UsageError(err, "no cruise file given", "usage: x FILE\n"), cli::kExitUsage);
    EXPECT_EQ(err.str(), "strovan-cli: no cruise file given\nusage: x FILE\n");
    err.str("");
    EXPECT_EQ(cli::UsageError(err, "--yes and --no exclude each other", {}, "design"), cli::kExitUsage);
    EXPECT_EQ(err.str(), "design: --yes and --no exclude each other\n");
}

}  // namespace

namespace {

bool ParseOneFile(const std::vector<std::string>& args, std::string& file, std::string& error) {
    if (args.size() == 1) file = args[0];
    else error = "give one file";
    return error.empty();
}

TEST(ReadCommandLine, TakesTheCommonOptionsOutBeforeTheCommandReadsTheRest) {
    cli::CommonOptions opts;
    std::string file;
    std::ostringstream err;
    ASSERT_TRUE(cli::ReadCommandLine<std::string>({"--json", "a.crz", "--yes"}, opts, file, ParseOneFile, err,
                                                  "usage: x\n"));
    EXPECT_EQ(file, "a.crz");
    EXPECT_TRUE(opts.json);
    EXPECT_EQ(opts.answer, true);
    EXPECT_TRUE(err.str().empty());

    // A clash of common options is reported before the command's own reading.
    err.str("");
    EXPECT_FALSE(cli::ReadCommandLine<std::string>({"--yes", "--no"}, opts, file, ParseOneFile, err, "usage: x\n"));
    EXPECT_EQ(err.str().substr(0, 13), "strovan-cli: ");
    EXPECT_NE(err.str().find("usage: x\n"), std::string::npos);
    EXPECT_EQ(err.str().find("give one file"), std::string::npos);

    err.str("");
    std::string none;
    EXPECT_FALSE(cli::ReadCommandLine<std::string>({"a", "b"}, opts, none, ParseOneFile, err, "usage: x\n"));
    EXPECT_EQ(err.str(), "strovan-cli: give one file\nusage: x\n");
}

}  // namespace
