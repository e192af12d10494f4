// A console whose report and diagnostics the test reads back.
#pragma once

#include <string>

#include "common/console.h"

namespace lorvane {
namespace test {

class CapturedConsole : public Console {
public:
    void Write(const std::string& text) override { out += text; }
    void Diagnose(const std::string& text) override { err += text + "\n"; }

    std::string out;
    std::string err;
};

}  // namespace test
}  // namespace lorvane
