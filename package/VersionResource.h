// The version resource (RT_VERSION 1, a VS_VERSIONINFO block) Windows shows in a file's
// properties and deployment tools read: built from the product's version and names, and read
// back from any executable without trusting a single length in it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pe {

constexpr std::uint16_t kVersionType = 16;  // RT_VERSION
constexpr std::uint16_t kVersionName = 1;

struct VersionInfo {
    std::array<std::uint16_t, 4> fileVersion{};     // VS_FIXEDFILEINFO, most significant first
    std::array<std::uint16_t, 4> productVersion{};  // the same numbers when built here
    // Name and value of each string, in the order written (CompanyName, FileVersion, ...).
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

// "6.0.2" as the four numbers 6, 0, 2, 0: one to four numbers from 0 to 65535 separated by dots.
bool versionNumbers(std::u16string_view text, std::array<std::uint16_t, 4>& numbers);

// A VS_VERSIONINFO with the fixed file information for an application on Windows NT, one
// string table in US English and Unicode ("040904b0") holding `strings`, and the matching
// translation entry. False, with the reason and nothing in `out`, when a block would be longer
// than its 16-bit length (the whole resource, and so every block in it, must stay under
// 64 KiB).
bool buildVersionResource(const VersionInfo& info, std::vector<std::uint8_t>& out,
                          std::string& reason);

// The fixed file information and the strings of the first string table. Refuses (false,
// `reason` set) a block whose lengths run outside the data or outside the block that holds
// them, or whose fixed information is missing or has the wrong signature.
bool readVersionResource(std::span<const std::uint8_t> data, VersionInfo& info,
                         std::string& reason);

// The value named `key` in `info`; empty when there is none.
std::u16string versionString(const VersionInfo& info, std::u16string_view key);

}  // namespace pe
