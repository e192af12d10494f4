// What the Win32 files need to talk to COM: owners for the thread's
// apartment and for interface references, and 8-bit text converted to UTF-16 (and back) with the ANSI
// code page at the call.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace lorvane {

// Owns one reference to a COM interface and releases it.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(Interface* pointer) : m_pointer(pointer) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_pointer(other.m_pointer) { other.m_pointer = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_pointer = other.m_pointer;
            other.m_pointer = nullptr;
        }
        return *this;
    }
    void Reset() {
        if (m_pointer) m_pointer->Release();
        m_pointer = nullptr;
    }
    Interface* get() const { return m_pointer; }
    Interface* operator->() const { return m_pointer; }
    // For a call that hands out a new reference.
    void** out() {
        Reset();
        return reinterpret_cast<void**>(&m_pointer);
    }
    Interface** address() {
        Reset();
        return &m_pointer;
    }

private:
    Interface* m_pointer = nullptr;
};

// Joins this thread to a single-threaded COM apartment for the owner's
// lifetime; leaves it again when the joining succeeded. Nested owners on
// one thread are counted by COM itself.
class ComApartment {
public:
    ComApartment() : m_result(CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

// `text` as UTF-16, converted with the ANSI code page.
std::wstring ToWide(const std::string& text);

// UTF-16 `text` of `length` characters as 8-bit text in the ANSI code page.
std::string FromWide(const wchar_t* text, int length);

}  // namespace lorvane
