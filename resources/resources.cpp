#include "resources/resources.h"

#include <strings.h>

std::span<const uint8_t> FindEmbeddedResource(int32_t id, const char* type) {
    if (!type) return {};
    for (uint32_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& r = kEmbeddedResources[i];
        if (r.id == id && strcasecmp(r.type, type) == 0) return {r.data, r.size};
    }
    return {};
}
