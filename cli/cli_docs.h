#pragma once
// The command line's documents written from the commands' option tables: the manual
// pages strovan-cli(1) and strovan(1), the bash completion of strovan-cli, and the
// command reference of the user guide. Written at build time, so none can drift from
// what "COMMAND --help" shows.
#include <iosfwd>
#include <string>

namespace cli {

void WriteCliManPage(std::ostream& out, const std::string& version);
void WriteDesktopManPage(std::ostream& out, const std::string& version);
void WriteBashCompletion(std::ostream& out);
void WriteCommandReference(std::ostream& out);

}  // namespace cli
