// The panel's network endpoint as deployment gives it ("10.20.30.40:7000") and as its
// configuration file holds it: an IPv4 address and a port.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct Endpoint {
    std::uint8_t address[4] = {127, 0, 0, 1};  // network order: 127.0.0.1 is {127, 0, 0, 1}
    std::uint16_t port = 6550;
    bool operator==(const Endpoint&) const = default;
};

// The endpoint a fresh installation writes when none is given.
inline constexpr Endpoint kDefaultEndpoint{};

// "A.B.C.D": four decimal numbers from 0 to 255, each one to three digits without a sign or a
// leading zero (which some readers take for octal), nothing else.
bool parseIpv4(std::u16string_view text, std::uint8_t (&address)[4]);
// A port: a decimal number from 1 to 65535, without a sign or a leading zero.
bool parsePort(std::u16string_view text, std::uint16_t& port);
// "A.B.C.D:PORT" as above. False, with `endpoint` unchanged, for anything else (a host name
// too: the panel reads an address).
bool parseEndpoint(std::u16string_view text, Endpoint& endpoint);
// "A.B.C.D:PORT".
std::u16string endpointText(const Endpoint& endpoint);
