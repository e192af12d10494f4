// A process environment of its own for tests that reach the user's
// crontab or send mail: a scratch home and data folder, a crontab
// stand-in and a sendmail (msmtp) to an SMTP sink first on PATH. Nothing
// then touches the real crontab, mail or settings of the person running.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "support/standin.h"

namespace lorvane {
namespace test {

class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    ~IsolatedEnvironment();
    IsolatedEnvironment(const IsolatedEnvironment&) = delete;
    IsolatedEnvironment& operator=(const IsolatedEnvironment&) = delete;

    const std::string& home() const { return m_home; }
    // The crontab stand-in's table, as the file holds it ("" when none).
    std::string Crontab() const;
    void SetCrontab(const std::string& table) const;
    MailSink& sink() { return *m_sink; }

private:
    std::string m_home;
    std::unique_ptr<MailSink> m_sink;
    std::map<std::string, std::string> m_saved;  // variables as they were
};

}  // namespace test
}  // namespace lorvane
