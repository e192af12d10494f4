// Local servers for the tests, run as child processes on 127.0.0.1: the
// E-utilities stand-in (standin/eutils_standin.py) and an SMTP sink
// (standin/smtp_sink.py) behind a real sendmail (msmtp).
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace lorvane {
namespace test {

// A server script that prints "PORT <n>" once it listens; stopped when
// this object goes.
class ChildServer {
public:
    // Runs `script` with `python`: the one on PATH, or Debian's own where
    // the script needs Debian's Python packages.
    ChildServer(const std::string& script, const std::vector<std::string>& args,
                const std::string& python = "python3");
    ~ChildServer();
    ChildServer(const ChildServer&) = delete;
    ChildServer& operator=(const ChildServer&) = delete;
    int port() const { return m_port; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

class StandIn {
public:
    // Starts the stand-in over `scenarioJson` (its "fixtures" default to
    // the test fixtures). `stallSeconds` is how long a "stall" answer
    // waits. Fails the test when it does not start.
    explicit StandIn(const std::string& scenarioJson, double stallSeconds = 30);
    ~StandIn();

    // The base URL to hand to LORVANE_EUTILS_URL.
    std::string url() const;

    // Every request path received so far, in order.
    std::vector<std::string> Requests() const;

private:
    std::string m_directory;
    ChildServer* m_server = nullptr;
};

// A message as a MIME parser reads it.
struct ReceivedMail {
    std::string envelope;  // the sink's JSON: envelope sender and recipients
    std::string raw;       // the message as it arrived
    std::map<std::string, std::string> headers;  // decoded From, To, Subject, ...
    std::string body;      // decoded; of an HTML mail, its HTML part
    std::string plain;     // of an HTML mail, its plain-text alternative
    std::string stored;    // the stored message's path without ".eml"; attachment <name> is at stored.<name>
};

class MailSink {
public:
    // Starts the sink and prepares `home` so that a sendmail (msmtp) found
    // first on the PATH of Environment() delivers to it and nowhere else.
    // Recipients containing `refuse` are refused.
    explicit MailSink(const std::string& home, const std::string& refuse = "");
    ~MailSink();

    // HOME and PATH for a process that is to mail through the sink.
    std::map<std::string, std::string> Environment() const;

    // The messages received so far, in order.
    std::vector<ReceivedMail> Messages() const;

private:
    std::string m_home;
    std::string m_store;
    ChildServer* m_server = nullptr;
};

// An SMTP submission server (standin/smtp_submission.py) in `folder`, with
// a certificate for "localhost" made for it, which is its own authority.
// `security` is "starttls", "tls" (smtps) or "plain" (no TLS offered);
// with a `user`, AUTH with `password` is required. Recipients containing
// "refused" are refused.
class SubmissionServer {
public:
    // `options` go to the script as they are (--token, --no-passwords).
    SubmissionServer(const std::string& folder, const std::string& security,
                     const std::string& user, const std::string& password,
                     const std::vector<std::string>& options = {});
    ~SubmissionServer();
    SubmissionServer(const SubmissionServer&) = delete;
    SubmissionServer& operator=(const SubmissionServer&) = delete;

    int port() const { return m_server ? m_server->port() : 0; }
    std::string caFile() const { return m_folder + "/cert.pem"; }

    // The messages received so far, in order; the envelope also says
    // whether the session was encrypted ("tls") and who logged in ("login").
    std::vector<ReceivedMail> Messages() const;

private:
    std::string m_folder;
    ChildServer* m_server = nullptr;
};

// Returns a base URL on 127.0.0.1 where nothing listens.
// Microsoft's sign-in service stood in on 127.0.0.1 (oauth_standin.py),
// signing in `account`.
class OAuthStandIn {
public:
    OAuthStandIn(const std::string& folder, const std::string& account);
    std::string url() const;
    // The requests so far: path and the form's client_id, scope, grant_type.
    std::vector<std::string> Requests() const;
    // Makes every refresh token it issued invalid.
    void Revoke() const;
    // Changes its next answer as the JSON object `change` says (see the script).
    void Next(const std::string& change) const;

private:
    std::string m_folder;
    ChildServer m_server;
};

std::string ClosedPortUrl();

}  // namespace test
}  // namespace lorvane
