#include "tools/pkgtool/SelfPath.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "common/Text.h"
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string parentFolder(const std::string& path) {
    std::size_t cut = path.rfind(kSeparator);
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

std::string toolFolder() {
#ifdef _WIN32
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            return parentFolder(utf16ToUtf8(
                std::u16string_view(reinterpret_cast<const char16_t*>(buffer.data()), n)));
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
#else
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || std::size_t(n) >= buffer.size()) return {};
    return parentFolder(std::string(buffer.data(), std::size_t(n)));
#endif
}

std::string besideTool(const std::string& name) {
    std::string folder = toolFolder();
    return folder.empty() ? std::string() : folder + kSeparator + name;
}
