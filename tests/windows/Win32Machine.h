// The real Win32 layer installed into the platform table for one test, and scratch folders
// whose names hold spaces, removed again at the end.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32ServiceManager.h"
#include "platform/win32/Win32Shell.h"

struct Win32Machine {
    win32::Win32FileSystem files;
    win32::Win32Clock clock;
    win32::Win32ServiceManager services;
    win32::Win32Processes processes;
    win32::Win32Shell shell;
    platform::Platform saved = platform::os();

    Win32Machine() {
        auto& table = platform::os();
        table.files = &files;
        table.clock = &clock;
        table.services = &services;
        table.processes = &processes;
        table.shell = &shell;
    }
    ~Win32Machine() { platform::os() = saved; }
};

inline std::u16string u16(const std::filesystem::path& path) {
    std::wstring text = path.wstring();
    return std::u16string(text.begin(), text.end());
}

// Where the build put the fixture programs and scripts: "fixtures" next to the test program.
inline std::filesystem::path fixtureDir() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / L"fixtures";
}

// C:\<name> <pid>, made empty at the start and removed at the end.
struct ScratchFolder {
    std::filesystem::path root;

    explicit ScratchFolder(const std::wstring& name)
        : root(L"C:\\" + name + L" " + std::to_wstring(GetCurrentProcessId())) {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
        std::filesystem::create_directories(root);
    }
    // A process that has just ended may still hold its folder as working folder for a moment.
    ~ScratchFolder() {
        std::error_code error;
        for (int tries = 0; tries < 50; ++tries) {
            std::filesystem::remove_all(root, error);
            if (!std::filesystem::exists(root)) return;
            Sleep(100);
        }
    }
    // Copies a fixture into a subfolder (created when missing) under a new name.
    std::filesystem::path add(const std::wstring& fixture, const std::wstring& subfolder,
                              const std::wstring& as) const {
        std::filesystem::path folder = root / subfolder;
        std::filesystem::create_directories(folder);
        std::filesystem::path target = folder / as;
        std::filesystem::copy_file(fixtureDir() / fixture, target,
                                   std::filesystem::copy_options::overwrite_existing);
        return target;
    }
};

// Polls for a file for up to `ms`.
inline bool waitForFile(const std::filesystem::path& path, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (std::filesystem::exists(path)) return true;
        Sleep(50);
    }
    return std::filesystem::exists(path);
}
