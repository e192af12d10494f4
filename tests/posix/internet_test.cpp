// The internet classes over the real HTTP client, against the local
// E-utilities stand-in: pieces, retries, broken and stalled bodies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "runner/internet.h"
#include "runner/run_context.h"
#include "support/captured_console.h"
#include "support/process.h"
#include "support/standin.h"

namespace lorvane {
namespace {

class InternetTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_files = test::MakeScratchDirectory();
        m_context.sleep = [](std::chrono::milliseconds) {};  // retries at once
    }
    void TearDown() override { std::filesystem::remove_all(m_files); }

    // Serves `body` for efetch id 1 with the given failure mode.
    void Serve(const std::string& body, const std::string& fail = "", double stall = 30) {
        std::ofstream(m_files + "/body.txt", std::ios::binary) << body;
        std::string answer = "{\"file\": \"body.txt\"";
        if (!fail.empty()) answer += ", \"fail\": \"" + fail + "\"";
        answer += "}";
        m_standIn = std::make_unique<test::StandIn>(
            "{\"fixtures\": \"" + m_files + "\", \"efetch\": {\"1\": " + answer + "}}", stall);
        m_context.service = EutilsService(m_standIn->url());
    }

    // Sends the request for efetch id 1 on a new connection.
    Status Send(HttpFile& file) {
        Status status = OpenConnection(m_context, m_connection);
        file = HttpFile("/entrez/eutils/efetch.fcgi?db=pubmed&id=1");
        return status.ok() ? m_connection->SendRequest(file) : status;
    }
    HttpFile Send() {
        HttpFile file("");
        const Status status = Send(file);
        EXPECT_TRUE(status.ok()) << status.message();
        return file;
    }
    // Reads the next piece of `file`, expecting the body to break off.
    static void BreaksOff(HttpFile& file) {
        std::string piece;
        EXPECT_FALSE(file.ReadString(piece));
        EXPECT_FALSE(file.failure().ok());
    }

    static std::vector<std::string> ReadAll(HttpFile& file) {
        std::vector<std::string> pieces;
        std::string piece;
        while (file.ReadString(piece)) pieces.push_back(piece);
        return pieces;
    }

    std::string m_files;
    std::unique_ptr<test::StandIn> m_standIn;
    test::CapturedConsole m_console;
    std::istringstream m_input;
    RunContext m_context{m_console, m_input};
    std::unique_ptr<HttpConnection> m_connection;
};

TEST_F(InternetTest, BodyComesInLinePieces) {
    Serve("a\r\nb\n" + std::string(5000, 'x') + "\n\ntail");
    HttpFile file = Send();
    const std::vector<std::string> pieces = ReadAll(file);
    ASSERT_EQ(pieces.size(), 6u);
    EXPECT_EQ(pieces[0], "a\n");
    EXPECT_EQ(pieces[1], "b\n");
    EXPECT_EQ(pieces[2], std::string(4095, 'x'));
    EXPECT_EQ(pieces[3], std::string(905, 'x') + "\n");
    EXPECT_EQ(pieces[4], "\n");
    EXPECT_EQ(pieces[5], "tail");
    std::string piece = "stale";
    EXPECT_FALSE(file.ReadString(piece));
    EXPECT_EQ(piece, "");
    EXPECT_TRUE(file.failure().ok());
}

TEST_F(InternetTest, ThrottledAnswerIsRetried) {
    Serve("the record\n", "429-once");
    HttpFile file = Send();
    EXPECT_EQ(ReadAll(file), std::vector<std::string>{"the record\n"});
    EXPECT_EQ(m_standIn->Requests().size(), 2u);
}

TEST_F(InternetTest, ServerErrorsAreRetriedThenHandedOver) {
    Serve("unused", "500");
    HttpFile file = Send();
    EXPECT_EQ(ReadAll(file),
              std::vector<std::string>{"<html><body>Internal Server Error</body></html>\n"});
    EXPECT_EQ(m_standIn->Requests().size(), 4u);  // the first try and three more
}

TEST_F(InternetTest, BrokenBodyHandsOutWhatArrivedThenFails) {
    Serve("first line\nsecond line!\n", "drop-half");
    HttpFile file = Send();
    std::string piece;
    ASSERT_TRUE(file.ReadString(piece));
    EXPECT_EQ(piece, "first line\n");
    ASSERT_TRUE(file.ReadString(piece));
    EXPECT_EQ(piece, "s");
    BreaksOff(file);
    BreaksOff(file);
}

TEST_F(InternetTest, StalledBodyFailsInBoundedTime) {
    Serve(std::string(200, 'r') + "\n", "stall", 20);
    m_context.service.stallTimeoutSeconds = 1;
    HttpFile file = Send();
    std::string piece;
    ASSERT_TRUE(file.ReadString(piece));
    EXPECT_EQ(piece, std::string(100, 'r'));
    BreaksOff(file);
}

TEST_F(InternetTest, TricklingBodyFailsInBoundedTime) {
    Serve(std::string(200, 't') + "\n", "trickle");
    m_context.service.stallTimeoutSeconds = 1;  // two bytes a second is below the floor
    HttpFile file = Send();
    std::string piece;
    while (file.ReadString(piece)) {
    }
    EXPECT_FALSE(file.failure().ok());
}

TEST_F(InternetTest, ARetryAfterBeyondTheCapIsNotWaitedFor) {
    Serve("unused", "503-late");
    std::vector<std::chrono::milliseconds> waits;
    m_context.sleep = [&](std::chrono::milliseconds wait) { waits.push_back(wait); };
    HttpFile file = Send();
    EXPECT_EQ(file.status(), 503);
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(m_standIn->Requests().size(), 1u);
}

TEST_F(InternetTest, OversizedBodyIsAFailure) {
    Serve(std::string(5000, 'b'));
    m_context.service.maxBodyBytes = 1000;
    HttpFile file = Send();
    std::string piece;
    while (file.ReadString(piece)) EXPECT_LE(piece.size(), 1000u);
    EXPECT_NE(file.failure().message().find("1000"), std::string::npos) << file.failure().message();
}

TEST_F(InternetTest, NoAnswerIsASendFailure) {
    Serve("unused", "close");
    HttpFile file("");
    EXPECT_FALSE(Send(file).ok());

    m_context.service = EutilsService(test::ClosedPortUrl());
    EXPECT_FALSE(Send(file).ok());
}

TEST_F(InternetTest, HeadersMustBeWellFormed) {
    HttpFile file("/");
    EXPECT_FALSE(file.AddRequestHeaders("test"));
    EXPECT_FALSE(file.AddRequestHeaders("Bad Name: x"));
    EXPECT_TRUE(file.AddRequestHeaders("X-Trace: 1"));
    EXPECT_FALSE(file.AddRequestHeaders("x-trace: 2"));
    EXPECT_FALSE(file.AddRequestHeaders("X-Split: a\r\nInjected: b"));
}

TEST(EutilsService, PublicServiceOrMirror) {
    HttpClientOptions service = EutilsService("");
    EXPECT_EQ(service.baseUrl, "https://eutils.ncbi.nlm.nih.gov");
    EXPECT_TRUE(service.paced);
    service = EutilsService("http://127.0.0.1:8080/");
    EXPECT_EQ(service.baseUrl, "http://127.0.0.1:8080");
    EXPECT_FALSE(service.paced);
}

}  // namespace
}  // namespace lorvane
