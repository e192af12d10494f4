#include "runner/colleague_alert.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>

#include "common/mail_delivery.h"
#include "common/text.h"
#include "runner/run_context.h"

namespace lorvane {
namespace {

const char kMessageStart[] =
    "<html><body>Dear colleague,<br><br>I wanted to tell about this newly published "
    "article:<br><br>";

bool IsWhiteSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads one word from `input`: leading white space skipped, up to the
// next white space. Returns false at the end of input before a word, or
// for a word longer than kMaxColleagueAddress (then `tooLong` is set).
bool ReadWord(std::istream& input, std::string& word, bool& tooLong) {
    word.clear();
    tooLong = false;
    int c = input.get();
    while (c != EOF && IsWhiteSpace(c)) c = input.get();
    while (c != EOF && !IsWhiteSpace(c)) {
        if (word.size() == kMaxColleagueAddress) {
            tooLong = true;
            return false;
        }
        word += static_cast<char>(c);
        c = input.get();
    }
    return !word.empty();
}

// SendColleagueAlert without its closing wait.
ExitStatus ForwardArticle(RunContext& context, const std::string& argument) {
    const std::string path = RemoveAll(argument, "\"");
    errno = 0;
    std::ifstream citation(path);
    if (!citation) {
        const int reason = errno;
        context.console.Diagnose("cannot read the citation file " + path +
                                 (reason ? std::string(": ") + std::strerror(reason) : std::string()));
        return kExitUsage;
    }
    context.console.Line("Please enter your colleague's e-mail address:");
    std::string colleague;
    bool tooLong = false;
    if (!ReadWord(context.input, colleague, tooLong)) {
        context.console.Line(tooLong ? "That address is longer than " +
                                           std::to_string(kMaxColleagueAddress) +
                                           " characters; nothing was sent."
                                     : std::string("No address was typed; nothing was sent."));
        return kExitUsage;
    }
    const std::string message = ComposeColleagueMessage(citation, ArticleIdentifier(path), colleague);
    citation.close();
    return SendAlertMail(context.mailTransport, context.console, context.settings.email, colleague, message,
                         false, kColleagueAlertMail)
               ? kExitDone
               : kExitNotDelivered;
}

}  // namespace

std::string ArticleIdentifier(const std::string& path) {
    // Scripts name the file with "/"; a path typed by hand on Windows has "\".
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.substr(0, name.find('.'));
}

std::string ComposeColleagueMessage(std::istream& citation, const std::string& identifier,
                                    const std::string& colleague) {
    std::string message = kMessageStart;
    std::string line;
    while (std::getline(citation, line)) {
        // A citation file written on Windows and read here ends its lines in CR LF.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        const char tag = line.size() >= 2 ? line[1] : '\0';
        const std::string text = HtmlEscape(line.size() > 3 ? line.substr(3) : std::string());
        if (tag == 'A') {
            message += text + ", ";
        } else if (tag == 'T' || tag == 'V') {
            message += "<b>" + text + "</b>";
        } else if (tag == 'D') {
            message += " (" + text + ")";
        } else if (tag == 'J') {
            message += "<i>" + text + "</i> ";
        } else if (tag == 'P') {
            message += " " + text;
            break;
        }
    }
    const std::string id = HtmlEscape(identifier);
    message += "<br>PMID: <a href=\"" + PubmedAbstractLink(id) + "\">" + id + "</a><br><br>";
    message += HtmlEscape(colleague);
    message += "<br><hr>Thank you for using Lorvane!</body></html>";
    return message;
}

ExitStatus SendColleagueAlert(RunContext& context, const std::string& argument) {
    const ExitStatus status = ForwardArticle(context, argument);
    context.sleep(std::chrono::milliseconds(2000));
    return status;
}

}  // namespace lorvane
