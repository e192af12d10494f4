// tessory: the Lorvane alert runner.
#include <cstring>

#include "runner/run_driver.h"

int main(int argc, char* argv[]) {
#ifdef _WIN32
    // "/?" is how a Windows user asks a console program for help.
    static char help[] = "--help";
    if (argc == 2 && std::strcmp(argv[1], "/?") == 0) argv[1] = help;
#endif
    return lorvane::RunTessory(argc, argv);
}
