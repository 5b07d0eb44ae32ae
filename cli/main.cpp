#include <iostream>

#include "commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return cli::RunCli(args, std::cout, std::cerr);
}
