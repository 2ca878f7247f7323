// The PanelConfig.ini an upgrade finds (every user can write it) and the endpoint texts of the
// command line and script.ini: whatever they hold is read inside its bytes, and an endpoint that
// is read prints as text that reads back as the same endpoint.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/Endpoint.h"
#include "engine/PanelConfig.h"

namespace {

void roundTrips(const Endpoint& e) {
    Endpoint again;
    if (!parseEndpoint(endpointText(e), again) || !(again == e)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    Endpoint read;
    if (readPanelEndpoint(bytes, read)) roundTrips(read);
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size && text.size() < 64; i += 2) {
        text.push_back(char16_t(data[i] | data[i + 1] << 8));
    }
    Endpoint parsed;
    if (parseEndpoint(text, parsed)) roundTrips(parsed);
    return 0;
}
