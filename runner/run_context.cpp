#include "runner/run_context.h"

#include <algorithm>
#include <thread>

#include "common/mail_server.h"

#include "runner/runner_services.h"

namespace lorvane {

RunContext::RunContext(Console& console_, std::istream& input_)
    : service(EutilsService("")), transcript(console_), console(transcript), input(input_),
      sleep([](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }),
      deadline(std::chrono::steady_clock::now() + kRunTimeLimit) {
    platform.showConnectionMessageBox = ShowConnectionMessageBox;
}

RunContext::RunContext(RunContext& base, const AlertSettings& loaded)
    : service(base.service), clock(base.clock), transcript(base.transcript.output()), console(transcript),
      input(base.input), sleep(base.sleep), platform(base.platform), settings(loaded), deadline(base.deadline),
      mailTimeLimitSeconds(base.mailTimeLimitSeconds), oauthUrl(base.oauthUrl), stateFolder(base.stateFolder) {
    MailServerSettings& mail = settings.mail;
    if (mailTimeLimitSeconds > 0) mail.timeLimitSeconds = mailTimeLimitSeconds;
    if (!oauthUrl.empty()) mail.oauthUrl = oauthUrl;
    mailTransport = ChooseMailTransport(mail, platform.createMailTransport);
    service.email = loaded.email;
    if (!loaded.apiKey.empty()) {
        // With a key the service allows 10 requests a second instead of 3.
        service.apiKey = loaded.apiKey;
        service.paceMilliseconds = std::min(service.paceMilliseconds, kKeyedPaceMilliseconds);
    }
    if (!loaded.plainText) {
        directoryText = CurrentDirectoryText();
        scriptProgram = CommandScriptProgram(directoryText);
    }
}

void RunTranscript::Write(const std::string& text) {
    m_output.Write(text);
    m_partial += text;
    std::size_t start = 0;
    for (std::size_t end; (end = m_partial.find('\n', start)) != std::string::npos; start = end + 1)
        m_lines.push_back(m_partial.substr(start, end - start));
    m_partial.erase(0, start);
}

void RunTranscript::Diagnose(const std::string& text) {
    m_output.Diagnose(text);
    m_lines.push_back(text);
}

}  // namespace lorvane
