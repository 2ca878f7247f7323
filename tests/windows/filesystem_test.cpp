#include <gtest/gtest.h>

#include <windows.h>

#include "common/Text.h"
#include "platform/win32/Win32FileSystem.h"

TEST(Win32FileSystem, SpecialFoldersExist) {
    win32::Win32FileSystem fs;
    std::u16string path;
    ASSERT_TRUE(fs.specialFolder(platform::SpecialFolder::System, path));
    EXPECT_TRUE(fs.exists(path.c_str()));
}
