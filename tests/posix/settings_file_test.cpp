// The POSIX settings file: its text, what it keeps of a hand-edited file,
// where it lives, its mode, and that a save replaces it whole or not at all.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/posix/ini_format.h"
#include "platform/posix/settings_file.h"
#include "support/process.h"
#include "support/ok.h"

namespace lorvane {
namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_directory = test::MakeScratchDirectory();
        ASSERT_FALSE(m_directory.empty());
        m_path = m_directory + "/Lorvane/Lorvane.ini";
    }
    void TearDown() override { std::filesystem::remove_all(m_directory); }

    void WriteRaw(const std::string& contents) {
        std::filesystem::create_directories(m_directory + "/Lorvane");
        std::ofstream(m_path, std::ios::binary) << contents;
    }
    std::string Contents() const { return test::ReadFileOr(m_path); }
    std::string ReadValue(const std::string& name) {
        SettingsFile file(m_path, "Lorvane");
        std::string error, text;
        EXPECT_TRUE(test::Ok(file.Open()));
        file.Read(name, kUnlimitedCapacity, text);
        return text;
    }
    void Save(const std::vector<SettingsValue>& values) {
        SettingsFile file(m_path, "Lorvane");
        ASSERT_TRUE(test::Ok(file.Write(values)));
    }

    std::string m_directory;
    std::string m_path;
};

TEST_F(SettingsFileTest, WritesReadableLines) {
    Save({{"Email", "reader@example.org"}, {"Query0", " two\nlines "}, {"Frequency", "Weekly"}});
    EXPECT_EQ(Contents(),
              "[Lorvane]\n"
              "Email=reader@example.org\n"
              "Query0=\\x20two\\nlines\\x20\n"
              "Frequency=Weekly\n");
}

TEST_F(SettingsFileTest, KeepsWhatItDoesNotKnow) {
    WriteRaw("; written by hand\r\n"
             "[Other]\n"
             "Email=not ours\n"
             "\n"
             "[Lorvane]\n"
             "this line means nothing\n"
             "  Email = old@example.org  \r\n"
             "Colour=blue\n"
             "=no name\n"
             "email=duplicate@example.org\n"
             "[broken\n"
             "[Lorvane2]\n"
             "Frequency=Daily\n");
    EXPECT_EQ(ReadValue("Email"), "duplicate@example.org");  // the later line wins
    EXPECT_EQ(ReadValue("Colour"), "blue");
    EXPECT_EQ(ReadValue("Frequency"), "");  // in another section

    Save({{"Email", "new@example.org"}, {"Frequency", "Off"}});
    EXPECT_EQ(Contents(),
              "; written by hand\r\n"
              "[Other]\n"
              "Email=not ours\n"
              "\n"
              "[Lorvane]\n"
              "this line means nothing\n"
              "Email=new@example.org\n"
              "Colour=blue\n"
              "Frequency=Off\n"
              "=no name\n"
              "[broken\n"
              "[Lorvane2]\n"
              "Frequency=Daily\n");
    EXPECT_EQ(ReadValue("Email"), "new@example.org");
    EXPECT_EQ(ReadValue("Frequency"), "Off");
}

TEST_F(SettingsFileTest, HandTypedBackslashesStay) {
    WriteRaw("[Lorvane]\nQuery0=C:\\data\\q \\x4 \\x00 \\\n");
    EXPECT_EQ(ReadValue("Query0"), "C:\\data\\q \\x4 \\x00 \\");
    EXPECT_EQ(UnescapeIniValue(EscapeIniValue("\\x41\\n")), "\\x41\\n");
}

TEST_F(SettingsFileTest, PrivateModeAndFolders) {
    Save({{"Email", "secret@example.org"}});
    struct stat info {};
    ASSERT_EQ(stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat((m_directory + "/Lorvane").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A file that was readable by others becomes private on the next save.
    chmod(m_path.c_str(), 0644);
    Save({{"Email", "secret@example.org"}});
    ASSERT_EQ(stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(SettingsFileTest, UnreadableFileIsAnErrorNotAMissingKey) {
    std::filesystem::create_directories(m_path);  // a folder where the file should be
    SettingsFile file(m_path, "Lorvane");
    Status status = file.Open();
    EXPECT_EQ(status.code(), StatusCode::Failed);
    EXPECT_NE(status.message().find(m_path), std::string::npos) << status.message();
    status = file.Write({{"Email", "x@example.org"}});
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.message().empty());

    // A FIFO in the file's place is refused at once, not waited on.
    std::filesystem::remove_all(m_path);
    ASSERT_EQ(mkfifo(m_path.c_str(), 0600), 0);
    status = file.Open();
    EXPECT_NE(status.message().find("not a regular file"), std::string::npos) << status.message();
}

TEST_F(SettingsFileTest, ALinkIsReadAndWrittenThrough) {
    const std::string real = m_directory + "/elsewhere.ini";
    std::ofstream(real) << "[Lorvane]\nEmail=old@example.org\n";
    std::filesystem::create_directories(m_directory + "/Lorvane");
    std::filesystem::create_symlink(real, m_path);
    EXPECT_EQ(ReadValue("Email"), "old@example.org");
    Save({{"Email", "new@example.org"}});
    EXPECT_TRUE(std::filesystem::is_symlink(m_path));
    EXPECT_EQ(test::ReadFileOr(real), "[Lorvane]\nEmail=new@example.org\n");
}

TEST_F(SettingsFileTest, SaveStoppedBeforeTheReplaceLeavesTheOldFile) {
    Save({{"Email", "old@example.org"}});
    const std::string before = Contents();

    // The child dies the way a crash would, after the new contents are on
    // disk and before they replace the file.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SettingsFile file(m_path, "Lorvane");
        file.SetBeforeReplaceHook([] { _exit(3); });
        (void)file.Write({{"Email", "new@example.org"}});
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 3);

    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(ReadValue("Email"), "old@example.org");
    // The next save goes through despite the leftover, and clears it away.
    const auto leftovers = [this] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(m_path).parent_path()))
            count += entry.path().filename().string().rfind(".Lorvane.ini.", 0) == 0 ? 1 : 0;
        return count;
    };
    EXPECT_EQ(leftovers(), 1);
    Save({{"Email", "new@example.org"}});
    EXPECT_EQ(ReadValue("Email"), "new@example.org");
    EXPECT_EQ(leftovers(), 0);
}

TEST_F(SettingsFileTest, SavesKilledAtRandomLeaveOldOrNewWhole) {
    const std::string a(100000, 'a'), b(100000, 'b');
    Save({{"Query0", a}, {"Query1", a}});
    const int trials = 300;
    int killedMidway = 0;
    for (int trial = 0; trial < trials; ++trial) {
        const std::string& next = trial % 2 ? a : b;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SettingsFile file(m_path, "Lorvane");
            (void)file.Write({{"Query0", next}, {"Query1", next}});
            _exit(0);
        }
        // Killed somewhere between its start and its end, or not at all.
        usleep(static_cast<useconds_t>((trial * 7919) % 20000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        killedMidway += WIFSIGNALED(status) ? 1 : 0;
        const std::string query0 = ReadValue("Query0");
        ASSERT_TRUE(query0 == a || query0 == b) << "trial " << trial << ": " << query0.size() << " bytes";
        ASSERT_EQ(ReadValue("Query1"), query0) << "trial " << trial;
    }
    std::printf("kill trials: %d, killed before they ended: %d\n", trials, killedMidway);
    // The next save clears whatever the killed ones left.
    Save({{"Email", "after@example.org"}});
    for (const auto& entry : std::filesystem::directory_iterator(m_directory + "/Lorvane"))
        EXPECT_EQ(entry.path().filename().string().rfind(".Lorvane.ini.", 0), std::string::npos);
}

TEST_F(SettingsFileTest, ReaderDuringSavesSeesOldOrNewWhole) {
    const std::string a(300000, 'a'), b(300000, 'b');
    Save({{"Query0", a}, {"Query1", a}});
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 60; ++i) {
            const std::string& text = i % 2 ? a : b;
            SettingsFile file(m_path, "Lorvane");
            EXPECT_TRUE(test::Ok(file.Write({{"Query0", text}, {"Query1", text}})));
        }
        done = true;
    });
    int reads = 0;
    while (!done || reads == 0) {
        SettingsFile file(m_path, "Lorvane");
        std::string error, first, second;
        ASSERT_TRUE(test::Ok(file.Open()));
        file.Read("Query0", kUnlimitedCapacity, first);
        file.Read("Query1", kUnlimitedCapacity, second);
        ASSERT_TRUE(first == a || first == b) << "a mixed or cut value of " << first.size();
        ASSERT_EQ(first, second);
        ++reads;
    }
    writer.join();
}

TEST(UserSettingsFilePath, FollowsXdgConfigHome) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";

    setenv("HOME", "/home/reader", 1);
    setenv("XDG_CONFIG_HOME", "/srv/config", 1);
    EXPECT_EQ(UserSettingsFilePath(), "/srv/config/Lorvane/Lorvane.ini");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(UserSettingsFilePath(), "/home/reader/.config/Lorvane/Lorvane.ini");
    setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not absolute: ignored
    EXPECT_EQ(UserSettingsFilePath(), "/home/reader/.config/Lorvane/Lorvane.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserSettingsFilePath(), "/home/reader/.config/Lorvane/Lorvane.ini");

    setenv("HOME", home.c_str(), 1);
    if (savedXdg) setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
}

}  // namespace
}  // namespace lorvane
