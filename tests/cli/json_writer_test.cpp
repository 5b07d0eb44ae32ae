#include "json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

TEST(JsonWriter, NestsWithCommasAndKeepsNumbersExact) {
    std::ostringstream out;
    {
        cli::JsonWriter w(out, false);
        w.BeginObject();
        w.Field("name", "Sale \"A\"\n");
        w.Field("n", 3);
        w.Field("x", 0.1);
        w.Field("big", 1e300);
        w.Field("bad", std::nan(""));
        w.Key("list").BeginArray().Int(1).String("b").BeginObject().EndObject().EndArray();
        w.Key("empty").BeginArray().EndArray();
        w.EndObject();
    }
    EXPECT_EQ(out.str(),
              "{\"name\":\"Sale \\\"A\\\"\\n\",\"n\":3,\"x\":0.1,\"big\":1e+300,\"bad\":null,"
              "\"list\":[1,\"b\",{}],\"empty\":[]}\n");
    EXPECT_EQ(std::stod(cli::ExactDouble(2.0 / 3.0)), 2.0 / 3.0);
    EXPECT_EQ(cli::JsonEscape(std::string("\x01", 1)), "\\u0001");
}

TEST(JsonWriter, CommonOptionsAndQuestionsAnsweredByYesOrNo) {
    std::vector<std::string> args{"a.crz", "--json", "--no", "x"};
    cli::CommonOptions o;
    std::string error;
    ASSERT_TRUE(cli::CommonOptions::Extract(args, o, error));
    EXPECT_EQ(args, (std::vector<std::string>{"a.crz", "x"}));
    EXPECT_TRUE(o.json);
    ASSERT_TRUE(o.answer.has_value());
    EXPECT_FALSE(*o.answer);

    std::ostringstream out, err;
    auto u = cli::MakeCommandUi(o, out, err);
    EXPECT_FALSE(u->Question("Proceed?"));
    EXPECT_EQ(u->MessageBox("Warning", "Overwrite?", ui::Icon::Exclamation, ui::Buttons::YesNo),
              ui::Answer::No);
    u->Error("Broken.");
    EXPECT_TRUE(out.str().empty());  // --json: nothing printed while the step runs
    std::ostringstream json;
    {
        cli::JsonWriter w(json, false);
        w.BeginObject().Messages("messages", u->Messages()).EndObject();
    }
    EXPECT_EQ(json.str(),
              "{\"messages\":[{\"title\":\"Question\",\"text\":\"Proceed?\",\"icon\":\"question\"},"
              "{\"title\":\"Warning\",\"text\":\"Overwrite?\",\"icon\":\"exclamation\"},"
              "{\"title\":\"ERROR\",\"text\":\"Broken.\",\"icon\":\"stop\"}]}\n");

    std::vector<std::string> both{"--yes", "--no"};
    cli::CommonOptions o2;
    EXPECT_FALSE(cli::CommonOptions::Extract(both, o2, error));
}
