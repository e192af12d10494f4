// tessory: the Lorvane alert runner.
#include "runner/run_driver.h"

int main(int argc, char* argv[]) {
    return lorvane::RunTessory(argc, argv);
}
