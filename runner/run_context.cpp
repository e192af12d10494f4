#include "runner/run_context.h"

#include <thread>

#include "runner/runner_services.h"

namespace lorvane {

RunContext::RunContext(Console& console_, std::istream& input_)
    : service(EutilsService("")), console(console_), input(input_),
      sleep([](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }),
      deadline(std::chrono::steady_clock::now() + kRunTimeLimit) {
    platform.showConnectionMessageBox = ShowConnectionMessageBox;
    platform.prepareOutputLog = PrepareOutputLog;
}

}  // namespace lorvane
