// Writes the program's setup file: make_setup data/setup/default.stp
// The content comes from the schema constants alone, so the file is the same on
// every run and changes only with the schema.
#include <cstdio>
#include <string>

#include "app/setup_file.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_setup OUT.stp\n");
        return 2;
    }
    mk::Status st = app::WriteSetupFile(argv[1]);
    if (!st) {
        std::fprintf(stderr, "make_setup: %s: %s\n", argv[1], st.error().message.c_str());
        return 1;
    }
    return 0;
}
