#include "platform/fake/FakeResources.h"

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

bool FakeResources::lock(int id, const char16_t* type, platform::ResourceView& view) {
    view = {};
    std::u16string name = type ? type : u"";
    if (faults().shouldFail("lockResource", utf16ToUtf8(name) + " " + std::to_string(id))) {
        return false;
    }
    auto it = binary_.find({name, id});
    if (it == binary_.end()) return false;
    view.data = it->second.data();
    view.size = it->second.size();
    view.handle = &it->second;
    ++locks_;
    return true;
}

void FakeResources::release(platform::ResourceView& view) {
    if (view.handle) ++releases_;
    view = {};
}

int FakeResources::loadString(int id, char16_t* buffer, int units) {
    if (units <= 0) return 0;
    buffer[0] = u'\0';
    auto it = strings_.find(id);
    if (it == strings_.end() || faults().shouldFail("loadString", std::to_string(id))) return 0;
    int n = int(std::min<std::size_t>(it->second.size(), std::size_t(units - 1)));
    it->second.copy(buffer, std::size_t(n));
    buffer[n] = u'\0';
    return n;
}

}  // namespace fake
