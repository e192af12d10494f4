// An owner for a kernel handle (file, pipe, process) that closes it.
#pragma once

#include <windows.h>

namespace lorvane {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle ? handle : INVALID_HANDLE_VALUE) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    // Where a function writes a new handle; the one held is closed first.
    HANDLE* out() {
        Close();
        return &m_handle;
    }
    // Closes now and reports the outcome.
    bool Close() {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || handle == nullptr || CloseHandle(handle) != FALSE;
    }

private:
    HANDLE m_handle;
};

}  // namespace lorvane
