#pragma once
// Runs strovan-cli commands as the program would, in a scratch folder of their own,
// keeping what each run printed.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "support/scratch.h"

namespace testsupport {

class CliTest : public ::testing::Test {
protected:
    explicit CliTest(const std::string& prefix = "strovan_cli") : scratch_(prefix), dir_(scratch_.Dir()) {}

    // out_ and err_ hold only what this run printed.
    int Run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        return cli::RunCli(args, out_, err_);
    }

    TempDir scratch_;
    const std::string dir_;
    std::ostringstream out_, err_;
};

}  // namespace testsupport
