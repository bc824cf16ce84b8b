// Files of assets/ compiled into the Linux hack by the build (cmake/embed_files.cmake),
// so it carries the very bitmaps the Windows program keeps in its resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace petals {

struct EmbeddedFile {
    const char* name;  // path under assets/, with forward slashes ("petals/mask_00.bmp")
    const uint8_t* data;
    size_t size;
};

// Null when the build embedded no file of that name.
const EmbeddedFile* FindEmbeddedFile(std::string_view name);

}  // namespace petals
