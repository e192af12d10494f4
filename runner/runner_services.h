// Services of the operating system that the alert runner's steps use. Each
// platform implements them in its own file under platform/.
#pragma once

#include <memory>
#include <string>

#include "common/status.h"
#include "common/system_services.h"

namespace lorvane {

// Tells the person at the machine about a lost connection in a message box
// that closes by itself after a few seconds, and returns true (Windows,
// when the run has a desktop a person sees). Returns false where no one
// would see or close a box (POSIX, or an unattended Windows run): the
// caller reports it.
bool ShowConnectionMessageBox(const std::string& text);

// Returns `query` in UTF-8, as the search service reads it: converted from
// the ANSI code page on Windows, as it is on POSIX.
std::string QueryTextAsUtf8(const std::string& query);

// Returns the current working directory with "/" as its separator (on
// Windows every "\" turned into "/"; on POSIX, where "\" is a character
// of a name, as it is), or the empty text when it cannot be found.
std::string CurrentDirectoryText();

// Returns the program that an article's command script starts: the running
// tessory by its full path ("/" as the separator on Windows too), or, where
// the system cannot say, the runner in `directoryText`, the directory text
// D of the scripts.
std::string CommandScriptProgram(const std::string& directoryText);

// Returns `path` as the command script's shell takes it literally inside
// double quotes, in `quoted`: on POSIX with "$", "`", a double quote and
// "\" escaped by a backslash. Fails for a path that the platform's shell
// cannot take literally (Windows: one holding "%" or a double quote).
Status QuoteScriptPath(const std::string& path, std::string& quoted);

// What a text file written whole is for.
enum class TextFileKind {
    Document,  // read by people and programs
    Script,    // run directly (mode 0755 on POSIX)
    Record,    // kept from run to run: flushed to the disk before it counts
};

// Writes `text` as a text file at `path` (line ends as the platform writes
// text) whole or not at all: a temporary file beside it, renamed over it.
// A failure leaves the old file and no temporary file.
Status WriteTextFileWhole(const std::string& path, const std::string& text, TextFileKind kind);

// Creates `folder` and its missing parents, private to the user.
Status MakeFolder(const std::string& folder);

// The lock of a folder that runs at the same moment share: while one is
// held, no other process holds it. Released when destroyed.
class FolderLock {
public:
    virtual ~FolderLock() = default;
};

// Takes the lock of `folder` (a file "tessory.lock" in it) into `lock` when
// no other process holds it, without waiting. Fails with StatusCode::Busy
// when another process holds it, and otherwise when the lock file cannot
// be opened or locked.
Status TryLockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock);

// Returns whether standard error goes to a terminal that a person watches.
bool StandardErrorIsTerminal();

}  // namespace lorvane
