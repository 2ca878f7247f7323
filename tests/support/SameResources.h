// Two resource lists hold the same resources whatever their order: the check the resource
// tests and the resource fuzzer make after a rewrite.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "package/PeResources.h"

namespace test {

inline bool sameResources(std::vector<pe::Resource> a, std::vector<pe::Resource> b) {
    auto key = [](const pe::Resource& x, const pe::Resource& y) {
        if (!pe::sameId(x.type, y.type)) return pe::idLess(x.type, y.type);
        if (!pe::sameId(x.name, y.name)) return pe::idLess(x.name, y.name);
        return x.language < y.language;
    };
    std::sort(a.begin(), a.end(), key);
    std::sort(b.begin(), b.end(), key);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!pe::sameId(a[i].type, b[i].type) || !pe::sameId(a[i].name, b[i].name) ||
            a[i].language != b[i].language || a[i].codePage != b[i].codePage ||
            a[i].data != b[i].data) {
            return false;
        }
    }
    return true;
}

}  // namespace test
