#include "platform/fake/FakeCodepage.h"

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

bool FakeCodepage::narrow(std::u16string_view text, std::string& out) {
    if (faults().shouldFail("narrow", utf16ToUtf8(text))) return false;
    return Utf8Codepage::narrow(text, out);
}

bool FakeCodepage::widen(std::string_view text, std::u16string& out) {
    if (faults().shouldFail("widen", std::string(text))) return false;
    return Utf8Codepage::widen(text, out);
}

}  // namespace fake
