#include "cli_docs.h"

#include <cctype>
#include <ostream>
#include <regex>
#include <sstream>

#include "app/desktop_command_line.h"
#include "commands.h"

namespace cli {

namespace {

// Text for a roff line: backslashes kept, a leading dot or quote not taken as a request.
std::string Roff(const std::string& s) {
    std::string r;
    for (char c : s) r += c == '\\' ? std::string("\\e") : std::string(1, c);
    if (!r.empty() && (r[0] == '.' || r[0] == '\'')) r = "\\&" + r;
    return r;
}

// Option names and placeholders: their dashes are minus signs, so a copied option works.
std::string RoffCode(const std::string& s) {
    std::string r;
    for (char c : Roff(s)) r += c == '-' ? std::string("\\-") : std::string(1, c);
    return r;
}

std::string Label(const Option& o) { return o.value.empty() ? o.name : o.name + " " + o.value; }

void RoffEntries(std::ostream& out, const std::vector<Option>& rows) {
    for (const Option& o : rows) {
        out << ".TP\n.B " << RoffCode(o.name);
        if (!o.value.empty()) out << "\n.I " << RoffCode(o.value);
        out << '\n' << Roff(o.text) << '\n';
    }
}

// Free text kept line for line, as --help shows it.
void RoffVerbatim(std::ostream& out, const std::string& text) {
    out << ".PP\n.nf\n";
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) out << Roff(line) << '\n';
    out << ".fi\n";
}

void ManHeader(std::ostream& out, const std::string& program, const std::string& version, const char* what) {
    std::string title;
    for (char c : program) title += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    out << ".\\\" Generated from the programs' option tables; do not edit.\n"
        << ".TH " << title << " 1 \"\" \"Strovan " << version << "\" \"User Commands\"\n"
        << ".SH NAME\n" << RoffCode(program) << " \\- " << what << '\n';
}

void ManFiles(std::ostream& out) {
    out << ".SH FILES\n"
           ".TP\n.I /usr/share/strovan/setup/default.stp\n"
           "the bundled setup file, from which new cruise files are made\n"
           ".TP\n.I /usr/share/strovan/examples/sale.svz\n"
           "the recon cruise of the example sale\n"
           ".TP\n.I /usr/share/strovan/guide/\n"
           "the user guide, also shown by the desktop program's Help\n"
           ".PP\nThe programs find these files beside their own folder "
           "(\\fI../share/strovan\\fR), wherever they are installed.\n"
           ".SH ENVIRONMENT\n"
           ".TP\n.B STROVAN_DATA_DIR\n"
           "names the folder of the bundled files instead\n";
}

std::string MarkdownCell(const std::string& s) {
    std::string r;
    for (char c : s) r += c == '|' ? std::string("\\|") : std::string(1, c);
    return r;
}

void MarkdownTable(std::ostream& out, const char* heading, const std::vector<Option>& rows) {
    if (rows.empty()) return;
    out << "| " << heading << " | |\n|---|---|\n";
    for (const Option& o : rows) out << "| `" << MarkdownCell(Label(o)) << "` | " << MarkdownCell(o.text) << " |\n";
    out << '\n';
}

// Words a value may be completed with: "01|03" gives 01 and 03; a file placeholder
// gives files; anything else is typed by hand.
enum class ValueKind { None, Words, Files, Folders };

ValueKind KindOf(const Option& o, std::vector<std::string>& words) {
    static const std::regex word("[a-z0-9-]+");
    std::string alternatives = o.value;
    std::istringstream parts(alternatives);
    bool all = true;
    for (std::string w; std::getline(parts, w, '|');) {
        all = all && std::regex_match(w, word);
        words.push_back(w);
    }
    if (all && words.size() > 1) return ValueKind::Words;
    words.clear();
    if (o.value == "DIR") return ValueKind::Folders;
    static const std::regex file("(FILE|STP|OUT|IN)(\\..*)?");
    return std::regex_match(o.value, file) ? ValueKind::Files : ValueKind::None;
}

}  // namespace

void WriteCliManPage(std::ostream& out, const std::string& version) {
    ManHeader(out, "strovan-cli", version, "timber cruise design from the command line");
    out << ".SH SYNOPSIS\n.B strovan\\-cli\n.I COMMAND\n[\\fIARGS\\fR...]\n.br\n"
           ".B strovan\\-cli\n.I COMMAND\n\\-\\-help\n.br\n.B strovan\\-cli\n\\-\\-help | \\-\\-version\n"
           ".SH DESCRIPTION\n"
           "strovan\\-cli runs the steps of the desktop program \\fBstrovan\\fR(1) on a cruise file "
           "(.crz), for batch and scripted use: it creates a cruise file from a setup file, imports a "
           "recon cruise, defines strata and sample groups, sets the relative cruising costs, compiles "
           "the recon, works on the design as the design form does, writes reports and the field cruise "
           "file. Each command runs the program's own workflow, so it passes the same checks and says "
           "the same things.\n"
           ".PP\nThe quickest way in is\n.PP\n.RS\n.B strovan\\-cli run \\-\\-example\n.RE\n.PP\n"
           "which designs a cruise for the bundled example sale, start to finish.\n"
           ".SH COMMON OPTIONS\nEvery command but dump and copy takes these:\n";
    RoffEntries(out, CommonOptionTable());
    out << ".TP\n.B \\-h, \\-\\-help\nshow the options of the command\n";
    out << ".SH COMMANDS\n";
    for (const Command& c : Commands()) {
        out << ".SS " << RoffCode(c.name) << "\n.B strovan\\-cli " << RoffCode(c.synopsis) << "\n.PP\n"
            << Roff(c.summary) << '\n';
        if (!c.arguments.empty()) {
            out << ".PP\nArguments:\n";
            RoffEntries(out, c.arguments);
        }
        if (!c.options.empty()) {
            out << ".PP\nOptions:\n";
            RoffEntries(out, c.options);
        }
        if (!c.details.empty()) RoffVerbatim(out, c.details);
    }
    out << ".SH EXIT STATUS\n"
           ".TP\n.B 0\ndone\n"
           ".TP\n.B 1\nthe operation failed, was refused or its change was not saved "
           "(the message on standard error, or in the JSON output)\n"
           ".TP\n.B 2\nwrong usage\n";
    ManFiles(out);
    out << ".SH SEE ALSO\n\\fBstrovan\\fR(1)\n";
}

void WriteDesktopManPage(std::ostream& out, const std::string& version) {
    const app::DesktopCommandLine& help = app::DesktopCommandLineHelp();
    ManHeader(out, "strovan", version, "design the sampling plan of a timber cruise");
    out << ".SH SYNOPSIS\n.B strovan\n[\\fI" << RoffCode(help.argument.name) << "\\fR]\n"
        << ".SH DESCRIPTION\n" << Roff(help.summary) << '\n'
        << ".PP\nstrovan is the desktop program with which a forester designs a timber cruise: it opens or "
           "creates a cruise file, establishes strata and sample groups, takes the relative cruising "
           "costs, compiles the recon cruise, and opens the design form, in which cruise methods, "
           "errors, sample sizes and frequencies are shaped with the sale error and cost recomputed at "
           "every edit. It writes the field cruise file and the reports. Its Help button and F1 open the "
           "user guide.\n"
        << ".SH ARGUMENTS\n";
    RoffEntries(out, {{help.argument.name, "", help.argument.text}});
    out << ".SH OPTIONS\n";
    for (const app::CommandLineEntry& e : help.options) RoffEntries(out, {{e.name, "", e.text}});
    ManFiles(out);
    out << ".SH SEE ALSO\n\\fBstrovan\\-cli\\fR(1)\n";
}

void WriteCommandReference(std::ostream& out) {
    out << "# Command reference\n\n"
           "<!-- Generated from the commands' option tables by make_cli_docs; do not edit. -->\n\n"
           "This is what `strovan-cli COMMAND --help` shows, for every command. The "
           "[command-line chapter](command-line.md) explains how the commands fit together.\n\n"
           "Every command but `dump` and `copy` also takes these options:\n\n";
    MarkdownTable(out, "Option", CommonOptionTable());
    out << "Exit status: 0 done; 1 the operation failed, was refused or its change was not saved; "
           "2 wrong usage.\n\n";
    for (const Command& c : Commands()) {
        out << "## strovan-cli " << c.name << "\n\n"
            << "```\nstrovan-cli " << c.synopsis << "\n```\n\n";
        std::string summary = c.summary;
        if (!summary.empty()) summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
        out << summary << ".\n\n";
        MarkdownTable(out, "Argument", c.arguments);
        MarkdownTable(out, "Option", c.options);
        if (!c.details.empty()) out << "```\n" << c.details << (c.details.back() == '\n' ? "" : "\n") << "```\n\n";
    }
}

void WriteBashCompletion(std::ostream& out) {
    out << "# bash completion of strovan-cli; generated from its option tables, do not edit.\n"
           "_strovan_cli() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    if [[ $COMP_CWORD -eq 1 ]]; then\n"
           "        COMPREPLY=($(compgen -W \"";
    for (const Command& c : Commands()) out << c.name << ' ';
    out << "--help --version\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    local options=\"\" files=\"\" folders=\"\" typed=\"\" words=\"\"\n"
           "    case ${COMP_WORDS[1]} in\n";
    for (const Command& c : Commands()) {
        std::string options, files, folders, typed, words;
        for (const Option& o : AllOptions(c)) {
            options += o.name + ' ';
            if (o.value.empty() || o.value.front() == '[') continue;
            std::vector<std::string> list;
            switch (KindOf(o, list)) {
                case ValueKind::Words:
                    words += "        " + o.name + ") COMPREPLY=($(compgen -W \"";
                    for (const auto& w : list) words += w + ' ';
                    words += "\" -- \"$cur\")); return ;;\n";
                    break;
                case ValueKind::Files: files += o.name + ' '; break;
                case ValueKind::Folders: folders += o.name + ' '; break;
                case ValueKind::None: typed += o.name + ' '; break;
            }
        }
        out << "    " << c.name << ")\n"
            << "        options=\"" << options << "--help\" files=\"" << files << "\" folders=\"" << folders
            << "\" typed=\"" << typed << "\"\n";
        if (!words.empty()) out << "        case $prev in\n" << words << "        esac\n";
        out << "        ;;\n";
    }
    out << "    *) return ;;\n"
           "    esac\n"
           "    if [[ \" $typed \" == *\" $prev \"* ]]; then return; fi\n"
           "    if [[ \" $folders \" == *\" $prev \"* ]]; then COMPREPLY=($(compgen -d -- \"$cur\")); return; fi\n"
           "    if [[ $cur == -* && \" $files \" != *\" $prev \"* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
           "    else\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -o filenames -F _strovan_cli strovan-cli\n";
}

}  // namespace cli
