// Handles and the paths behind them, shared by the Win32 layers that act on an object only
// after checking, through its handle, that it is the object its path names.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// A handle closed on scope exit.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    void reset(HANDLE h) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }
    HANDLE release() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// The path of the object behind a handle, as the system resolved it: every link on the way
// followed, letter case as stored.
bool finalPathOf(HANDLE handle, std::wstring& path);

// Two final paths name the same object: letter case aside, as the file system compares.
bool sameFinalPath(const std::wstring& a, const std::wstring& b);

}  // namespace win32
