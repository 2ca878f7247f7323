#include "platform/fake/FakeServiceManager.h"

#include <algorithm>

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

using platform::ServiceHandle;

namespace {
std::string traceOf(const char16_t* text) {
    return utf16ToUtf8(viewOf(text));
}
}  // namespace

std::u16string FakeServiceManager::key(std::u16string_view name) {
    std::u16string k(name);
    std::transform(k.begin(), k.end(), k.begin(), asciiLower);
    return k;
}

ServiceHandle FakeServiceManager::newHandle(Handle h) {
    std::uintptr_t id = nextHandle_;
    nextHandle_ += 4;
    handles_[id] = std::move(h);
    return reinterpret_cast<ServiceHandle>(id);
}

FakeServiceManager::Service* FakeServiceManager::serviceOf(ServiceHandle handle) {
    auto it = handles_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == handles_.end() || it->second.isManager) return nullptr;
    auto s = services_.find(it->second.key);
    return s == services_.end() ? nullptr : &s->second;
}

// A service marked for deletion goes once it is stopped and nothing holds it open.
void FakeServiceManager::dropIfGone(const std::u16string& k) {
    auto s = services_.find(k);
    if (s == services_.end() || !s->second.markedForDeletion) return;
    if (s->second.state != platform::kServiceStopped) return;
    for (const auto& [id, h] : handles_) {
        if (!h.isManager && h.key == k) return;
    }
    services_.erase(s);
}

ServiceHandle FakeServiceManager::openManager() {
    if (faults().shouldFail("openManager")) return nullptr;
    return newHandle({true, {}});
}

ServiceHandle FakeServiceManager::openService(ServiceHandle manager, const char16_t* name) {
    if (faults().shouldFail("openService", traceOf(name))) return nullptr;
    auto m = handles_.find(reinterpret_cast<std::uintptr_t>(manager));
    if (m == handles_.end() || !m->second.isManager) return nullptr;
    std::u16string k = key(viewOf(name));
    if (!services_.count(k)) return nullptr;
    return newHandle({false, k});
}

ServiceHandle FakeServiceManager::createService(ServiceHandle manager, const char16_t* name,
                                                const char16_t* binaryPath) {
    if (faults().shouldFail("createService", traceOf(name) + " " + traceOf(binaryPath))) {
        return nullptr;
    }
    auto m = handles_.find(reinterpret_cast<std::uintptr_t>(manager));
    if (m == handles_.end() || !m->second.isManager) return nullptr;
    std::u16string k = key(viewOf(name));
    if (k.empty() || services_.count(k)) return nullptr;  // exists, or marked for deletion
    Service& s = services_[k];
    s.name = s.displayName = std::u16string(viewOf(name));
    s.binaryPath = std::u16string(binaryPath);
    return newHandle({false, k});
}

bool FakeServiceManager::queryBinaryPath(ServiceHandle service, std::u16string& binaryPath) {
    if (faults().shouldFail("queryBinaryPath")) return false;
    Service* s = serviceOf(service);
    if (!s) return false;
    binaryPath = s->binaryPath;
    return true;
}

bool FakeServiceManager::queryOwner(const char16_t* name, std::u16string& owner) {
    if (faults().shouldFail("queryOwner", utf16ToUtf8(viewOf(name)))) return false;
    Service* s = find(std::u16string(viewOf(name)));
    if (!s || s->owner.empty()) return false;
    owner = s->owner;
    return true;
}

bool FakeServiceManager::setOwner(const char16_t* name, const char16_t* owner) {
    if (faults().shouldFail("setOwner", utf16ToUtf8(viewOf(name)))) return false;
    Service* s = find(std::u16string(viewOf(name)));
    if (!s || !owner) return false;
    s->owner = owner;
    return true;
}

bool FakeServiceManager::setDescription(ServiceHandle service, const char16_t* description) {
    if (faults().shouldFail("setDescription")) return false;
    Service* s = serviceOf(service);
    if (!s) return false;
    s->description = description ? std::u16string(description) : std::u16string();
    return true;
}

bool FakeServiceManager::start(ServiceHandle service) {
    Service* s = serviceOf(service);
    if (faults().shouldFail("startService", s ? utf16ToUtf8(s->name) : "")) return false;
    if (!s || s->state != platform::kServiceStopped || s->markedForDeletion) return false;
    ++s->startCalls;
    s->pendingLeft = s->pollsToStart;
    s->state = s->pollsToStart == 0 ? s->startsInto : platform::kServiceStartPending;
    return true;
}

bool FakeServiceManager::controlStop(ServiceHandle service, std::uint32_t& state) {
    Service* s = serviceOf(service);
    if (faults().shouldFail("controlStop", s ? utf16ToUtf8(s->name) : "")) return false;
    if (!s || s->state == platform::kServiceStopped || s->refusesStop) return false;
    ++s->stopCalls;
    s->pendingLeft = s->pollsToStop;
    s->state = s->pollsToStop == 0 ? platform::kServiceStopped : platform::kServiceStopPending;
    state = s->state;
    return true;
}

bool FakeServiceManager::queryState(ServiceHandle service, std::uint32_t& state) {
    Service* s = serviceOf(service);
    if (faults().shouldFail("queryState", s ? utf16ToUtf8(s->name) : "")) return false;
    if (!s) return false;
    bool pending =
        s->state == platform::kServiceStartPending || s->state == platform::kServiceStopPending;
    if (pending && s->pendingLeft > 0 && --s->pendingLeft == 0) {
        s->state =
            s->state == platform::kServiceStartPending ? s->startsInto : platform::kServiceStopped;
    }
    state = s->state;
    return true;
}

bool FakeServiceManager::queryProcessId(ServiceHandle service, std::uint32_t& processId) {
    Service* s = serviceOf(service);
    if (faults().shouldFail("queryProcessId", s ? utf16ToUtf8(s->name) : "")) return false;
    if (!s) return false;
    processId = s->state == platform::kServiceStopped ? 0 : s->processId;
    return true;
}

bool FakeServiceManager::remove(ServiceHandle service) {
    Service* s = serviceOf(service);
    if (faults().shouldFail("deleteService", s ? utf16ToUtf8(s->name) : "")) return false;
    if (!s || s->markedForDeletion) return false;
    s->markedForDeletion = true;
    return true;
}

void FakeServiceManager::close(ServiceHandle handle) {
    faults().shouldFail("closeService");
    auto it = handles_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == handles_.end()) return;
    std::u16string k = it->second.key;
    bool isManager = it->second.isManager;
    handles_.erase(it);
    if (!isManager) dropIfGone(k);
}

FakeServiceManager::Service& FakeServiceManager::add(const std::u16string& name,
                                                     std::uint32_t state) {
    Service& s = services_[key(name)];
    s.name = s.displayName = name;
    s.state = state;
    return s;
}

FakeServiceManager::Service* FakeServiceManager::find(const std::u16string& name) {
    auto it = services_.find(key(name));
    return it == services_.end() ? nullptr : &it->second;
}

}  // namespace fake
