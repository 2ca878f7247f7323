// Writing an image bundle: the picture count, then each picture's size and bytes, in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Refuses (false, `reason` set, `bundle` empty) no pictures, more than the slideshow's ten, an
// empty picture (its size of 0 would end the reading there) and one over 4 GiB - 1.
bool writeImageBundle(const std::vector<std::vector<std::uint8_t>>& pictures,
                      std::vector<std::uint8_t>& bundle, std::string& reason);
