// The option tables: --help, the central check of options, and the documents written
// from the tables (manual pages, completion, the guide's command reference).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "cli_docs.h"
#include "commands.h"
#include "support/cli_fixture.h"

namespace {

using testsupport::CliTest;

class Help : public CliTest {};

// Every option of a command's table is on a line of its own in --help, at the start of
// the line; the synopsis and the arguments are there too.
TEST_F(Help, EveryCommandListsEveryOptionOnALineOfItsOwn) {
    for (const cli::Command& c : cli::Commands()) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Run({c.name, "--help"}), cli::kExitOk);
        const std::string help = out_.str();
        EXPECT_EQ(help.rfind("Usage: strovan-cli " + c.synopsis + "\n", 0), 0u);
        for (const cli::Option& o : cli::AllOptions(c)) {
            const std::string label = "\n  " + o.name + (o.value.empty() ? "" : " " + o.value);
            const auto at = help.find(label);
            ASSERT_NE(at, std::string::npos) << o.name;
            // Short labels share the line with their text; long ones put it on the next.
            const auto line_end = help.find('\n', at + 1);
            const std::string rest = help.substr(at + 1, help.find('\n', line_end + 1) - at - 1);
            EXPECT_NE(rest.find(o.text), std::string::npos) << o.name;
        }
        for (const cli::Option& a : c.arguments) EXPECT_NE(help.find("\n  " + a.name), std::string::npos) << a.name;
        EXPECT_NE(help.find("-h, --help"), std::string::npos);
        EXPECT_TRUE(c.details.empty() || help.find(c.details) != std::string::npos);
        // "help COMMAND" and --help after other arguments say the same.
        ASSERT_EQ(Run({"help", c.name}), cli::kExitOk);
        EXPECT_EQ(out_.str(), help);
        ASSERT_EQ(Run({c.name, "x.crz", "--help"}), cli::kExitOk);
        EXPECT_EQ(out_.str(), help);
    }
}

// An option that is not in a command's table never reaches the command; a value that
// looks like an option is taken as the value it is.
TEST_F(Help, OptionsOutsideTheTableAreRefusedBeforeTheCommandRuns) {
    for (const cli::Command& c : cli::Commands()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run({c.name, dir_ + "/none.crz", "--no-such-option"}), cli::kExitUsage);
        EXPECT_NE(err_.str().find("strovan-cli: " + c.name + ": unknown option --no-such-option"), std::string::npos)
            << err_.str();
        EXPECT_NE(err_.str().find("Usage: strovan-cli " + c.synopsis), std::string::npos);
    }
    EXPECT_EQ(Run({"dump", "x", "--json"}), cli::kExitUsage);  // dump and copy take no common options

    std::string error;
    const cli::Command* costs = cli::FindCommand("costs");
    ASSERT_NE(costs, nullptr);
    EXPECT_TRUE(cli::CheckOptions(*costs, {"f.crz", "--set", "--Paint=3", "--json"}, error)) << error;
    EXPECT_FALSE(cli::CheckOptions(*costs, {"f.crz", "--set", "Paint=3", "--Paint=3"}, error));
    EXPECT_EQ(error, "unknown option --Paint=3");
    // A value that may be left out is never taken for one.
    const cli::Command* strata = cli::FindCommand("strata");
    ASSERT_NE(strata, nullptr);
    EXPECT_FALSE(cli::CheckOptions(*strata, {"f.crz", "--quick", "--bogus"}, error));
}

// The manual page has a section per command holding every option of its table, in roff
// that renders the dashes of an option as typed.
TEST_F(Help, ManualPageShowsEveryCommandAndOption) {
    std::ostringstream man;
    cli::WriteCliManPage(man, "9.9");
    const std::string page = man.str();
    EXPECT_EQ(page.find(".TH STROVAN-CLI 1"), page.find(".TH"));
    EXPECT_NE(page.find("\"Strovan 9.9\""), std::string::npos);
    for (const cli::Command& c : cli::Commands()) {
        const auto section = page.find(".SS " + std::regex_replace(c.name, std::regex("-"), "\\-") + "\n");
        ASSERT_NE(section, std::string::npos) << c.name;
        const auto next = page.find(".SS ", section + 1);
        const std::string body = page.substr(section, next - section);
        for (const cli::Option& o : c.options) {
            const std::string roff = std::regex_replace(o.name, std::regex("-"), "\\-");
            EXPECT_NE(body.find(".B " + roff + "\n"), std::string::npos) << c.name << " " << o.name;
        }
    }
    for (const cli::Option& o : cli::CommonOptionTable())
        EXPECT_NE(page.find(".B " + std::regex_replace(o.name, std::regex("-"), "\\-")), std::string::npos);
    // A line of free text starting with a dot would be read as a request.
    std::istringstream lines(page);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] == '.')
            EXPECT_TRUE(std::regex_match(line, std::regex(R"(\.(\\"|TH|SH|SS|PP|TP|B|I|RS|RE|br|nf|fi)( .*)?)"))) << line;

    std::ostringstream desktop;
    cli::WriteDesktopManPage(desktop, "9.9");
    EXPECT_NE(desktop.str().find(".TH STROVAN 1"), std::string::npos);
    EXPECT_NE(desktop.str().find("\\-\\-version"), std::string::npos);
    EXPECT_NE(desktop.str().find("FILE.crz"), std::string::npos);
}

// The completion script runs in bash: commands, then a command's options, then the
// words a value can take.
TEST_F(Help, BashCompletionOffersCommandsOptionsAndValues) {
    const std::string script = dir_ + "/strovan-cli";
    {
        std::ofstream out(script);
        cli::WriteBashCompletion(out);
    }
    auto complete = [&](const std::string& words) {
        const std::string cmd = "bash -c 'source " + script + "; COMP_WORDS=(" + words +
                                "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _strovan_cli; "
                                "echo \"${COMPREPLY[*]}\"' 2>&1";
        std::string result;
        if (FILE* p = popen(cmd.c_str(), "r")) {
            char buf[512];
            while (fgets(buf, sizeof buf, p)) result += buf;
            pclose(p);
        }
        if (!result.empty() && result.back() == '\n') result.pop_back();
        return result;
    };
    EXPECT_EQ(complete("strovan-cli sam"), "sample-groups samplesize");
    EXPECT_EQ(complete("strovan-cli run --ex"), "--example");
    EXPECT_EQ(complete("strovan-cli new x.crz --uom 0"), "01 03");
    EXPECT_EQ(complete("strovan-cli report x.crz --kind recon-"), "recon-current recon-all");
    EXPECT_EQ(complete("strovan-cli design x.crz --optimize \"\""), "");  // a number is typed
    const std::string all = complete("strovan-cli field-file x.crz y.crz --");
    for (const cli::Option& o : cli::AllOptions(*cli::FindCommand("field-file")))
        EXPECT_NE((" " + all + " ").find(" " + o.name + " "), std::string::npos) << o.name;
}

// The guide's command reference in the repository is the one written from the tables.
TEST_F(Help, GuideCommandReferenceIsUpToDate) {
    std::ostringstream written;
    cli::WriteCommandReference(written);
    std::ifstream in(std::string(STROVAN_SOURCE_DIR) + "/docs/guide/command-reference.md", std::ios::binary);
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_TRUE(kept.str() == written.str())
        << "docs/guide/command-reference.md is out of date; rewrite it with\n"
           "  build/debug/cli/make_cli_docs build/debug/share && "
           "cp build/debug/share/strovan/guide/command-reference.md docs/guide/";
    for (const cli::Command& c : cli::Commands())
        EXPECT_NE(written.str().find("## strovan-cli " + c.name + "\n"), std::string::npos);
}

}  // namespace
