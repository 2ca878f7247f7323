// Putting the installer into one language: texts, the installer package, the progress
// pictures, the licence text and the default installation folder. Run at start-up for an
// unattended run and by each language button.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kImageBundleResource = 250;  // type "RES_IMAGE_DATA"

// Rebuilds the message table and the widget texts, reloads the package and the picture bundle
// from the executable's resources, sets the language and the default installation root of the
// worker parameter, the licence text and the folder label. A missing resource leaves an empty
// configuration or an empty slideshow.
// The slideshow's pictures wait for the window graphics (a run that never shows its window
// decodes none).
void initInstaller(std::uint32_t langId);

// Decodes the bundle a language asked for before the window graphics existed.
void decodeWaitingPictures();

// The licence text of a UTF-16LE file that starts with a byte-order mark: every whole unit
// after the first two bytes, up to the first NUL; empty for a file shorter than one unit.
std::u16string licenceTextOf(const std::uint8_t* contents, std::size_t size);
