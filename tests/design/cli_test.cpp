#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"

namespace {

int SampleSizeCli(std::vector<std::string> args, std::string& out, std::string& err) {
    args.insert(args.begin(), "samplesize");
    std::ostringstream o, e;
    int code = cli::RunCli(args, o, e);
    out = o.str();
    err = e.str();
    return code;
}

}  // namespace

TEST(SampleSizeCommand, OneAndTwoStages) {
    std::string out, err;
    EXPECT_EQ(SampleSizeCli({"--cv", "30", "--error", "10"}, out, err), cli::kExitOk);
    EXPECT_EQ(out, "Sample size: 36\nSampling error: 10.00 %\n");
    EXPECT_EQ(SampleSizeCli({"--error", "10", "--cv", "40", "--cv2", "30"}, out, err), cli::kExitOk);
    EXPECT_EQ(out, "First-stage sample size: 114\nSecond-stage sample size: 85\nSampling error: 9.91 %\n");
    EXPECT_EQ(err, "");
}

TEST(SampleSizeCommand, BadCommandLinesAreUsageErrors) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--cv", "30"}, "--cv and --error are required"},
        {{}, "--cv and --error are required"},
        {{"--cv", "abc", "--error", "10"}, "--cv: 'abc' is not a number"},
        {{"--cv", "30", "--error", "10x"}, "--error: '10x' is not a number"},
        {{"--cv", "30", "--error", "nan"}, "is not a number"},
        {{"--cv", "-3", "--error", "10"}, "--cv must not be negative"},
        {{"--cv", "30", "--error", "0"}, "--error must be greater than 0"},
        {{"--cv", "30", "--error"}, "--error needs a value"},
        {{"--cv", "30", "--cv", "40", "--error", "5"}, "--cv given twice"},
        {{"--n", "30"}, "unknown option --n"},
    };
    for (const auto& [args, message] : cases) {
        std::string out, err;
        EXPECT_EQ(SampleSizeCli(args, out, err), cli::kExitUsage) << message;
        EXPECT_NE(err.find(message), std::string::npos) << err;
        EXPECT_EQ(out, "");
    }
}

// A size held at the largest count that still misses the target is no answer.
TEST(SampleSizeCommand, UnreachableTargetFails) {
    std::string out, err;
    EXPECT_EQ(SampleSizeCli({"--cv", "100000", "--error", "0.001"}, out, err), cli::kExitFailure);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("The target error of 0.001 % cannot be reached"), std::string::npos) << err;
    EXPECT_EQ(SampleSizeCli({"--cv", "100000", "--cv2", "100000", "--error", "0.001"}, out, err),
              cli::kExitFailure);

    EXPECT_EQ(SampleSizeCli({"--json", "--cv", "100000", "--error", "0.001"}, out, err),
              cli::kExitFailure);
    EXPECT_EQ(err, "");
    EXPECT_NE(out.find("\"reached\": false"), std::string::npos);
    EXPECT_NE(out.find("\"icon\": \"stop\""), std::string::npos);
    EXPECT_EQ(SampleSizeCli({"--cv", "30", "--error", "10", "--json"}, out, err), cli::kExitOk);
    EXPECT_NE(out.find("\"sample_size\": 36"), std::string::npos);
    EXPECT_NE(out.find("\"messages\": []"), std::string::npos);
}
