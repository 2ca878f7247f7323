// Resources held in memory by type and id, and string resources, for the tests of what reads
// the executable's resources. Every lock goes through the fault plan; locks and releases are
// counted so a test can see that every locked resource was released.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Resources.h"

namespace fake {

class FakeResources : public platform::Resources {
public:
    void add(int id, const std::u16string& type, std::vector<std::uint8_t> bytes) {
        binary_[{type, id}] = std::move(bytes);
    }
    void addString(int id, std::u16string text) { strings_[id] = std::move(text); }
    void remove(int id, const std::u16string& type) { binary_.erase({type, id}); }

    bool lock(int id, const char16_t* type, platform::ResourceView& view) override;
    void release(platform::ResourceView& view) override;
    int loadString(int id, char16_t* buffer, int units) override;

    int locked() const { return locks_ - releases_; }

private:
    std::map<std::pair<std::u16string, int>, std::vector<std::uint8_t>> binary_;
    std::map<int, std::u16string> strings_;
    int locks_ = 0;
    int releases_ = 0;
};

}  // namespace fake
