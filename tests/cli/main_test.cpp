#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"

TEST(Cli, HelpVersionAndUsageErrors) {
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunCli({"--version"}, out, err), cli::kExitOk);
    EXPECT_EQ(out.str(), std::string("strovan-cli ") + STROVAN_VERSION + "\n");

    out.str("");
    EXPECT_EQ(cli::RunCli({"--help"}, out, err), cli::kExitOk);
    EXPECT_NE(out.str().find("Usage: strovan-cli"), std::string::npos);
    for (const auto& c : cli::Commands()) EXPECT_NE(out.str().find(c.synopsis), std::string::npos);

    EXPECT_EQ(cli::RunCli({}, out, err), cli::kExitUsage);
    err.str("");
    EXPECT_EQ(cli::RunCli({"frobnicate"}, out, err), cli::kExitUsage);
    EXPECT_NE(err.str().find("unknown command 'frobnicate'"), std::string::npos);
}
