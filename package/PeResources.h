// Reading and replacing the resources of a PE executable (32- or 64-bit) without a compiler or
// linker: the resource section is rebuilt from a list and everything else is kept byte for byte, so
// that one setup executable can carry another product's package and pictures.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "package/ResourceTree.h"

namespace pe {

// Every resource of the image (an empty list for an image without any). Without `copyData`
// each one's data is only located in `file` (Resource::inFile), as for looking at a setup of
// any size.
bool readResources(std::span<const std::uint8_t> file, std::vector<Resource>& resources,
                   std::string& reason, bool copyData = true);

// The image with its resource section rebuilt from `resources`. The section keeps its place;
// when its size changes, the sections after it move with it, which is only done for sections
// nothing but the base-relocation directory points into and that are marked discardable (the
// relocations and debugging data a linker puts last). The rest of the image is copied as it
// is, with the section table, the resource and relocation directories, SizeOfImage,
// SizeOfInitializedData and the symbol-table pointer fixed. A certificate table is dropped
// (the signature would no longer match) and the checksum is computed afresh, so the same
// inputs always give the same bytes.
bool rewriteResources(std::span<const std::uint8_t> file, const std::vector<Resource>& resources,
                      std::vector<std::uint8_t>& out, std::string& reason);
// The same written to a sink as it is made: the data of external resources (the package)
// goes from its source to the sink without ever being held in memory. The checksum is set
// last, through the sink's patch.
bool rewriteResources(std::span<const std::uint8_t> file, const std::vector<Resource>& resources,
                      ByteSink& out, std::string& reason);

// Puts `data` in place of every language of the resource `type`/`name`, in the language and
// code page of the first one replaced; a new resource gets the neutral language 0.
void setResource(std::vector<Resource>& resources, const ResourceId& type, const ResourceId& name,
                 std::vector<std::uint8_t> data);

}  // namespace pe
