#pragma once

// Shared by the fuzz targets: turning fuzz bytes into the inputs the readers take.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "trx_api/json/json_object.h"

namespace fuzz {

// The bytes as UTF-8 text, widened the way the library widens what it receives.
inline std::wstring wideText(const std::uint8_t* data, std::size_t size) {
    return trx::toWide(std::string(reinterpret_cast<const char*>(data), size));
}

}  // namespace fuzz

#include "acis/acis.h"

namespace fuzz {

// A damaged list may hold an attribute beside its owner: lose only what has no owner.
inline void loseRestored(ENTITY_LIST& list) {
    std::vector<ENTITY*> roots;
    for (ENTITY* e : list)
        if (!is_ATTRIB(e) || !static_cast<ATTRIB*>(e)->owner()) roots.push_back(e);
    for (ENTITY* e : roots) e->lose();
    list.clear();
}

}  // namespace fuzz
