// Files embedded into the game program at build time (the sound effects), found by the
// number and type the game knows them by.
#pragma once

#include <cstdint>
#include <span>

struct EmbeddedResource {
    int32_t id;
    const char* type;
    const uint8_t* data;
    uint32_t size;
};

// The table the build generates.
extern const EmbeddedResource kEmbeddedResources[];
extern const uint32_t kEmbeddedResourceCount;

// The bytes of the resource with that number and type (the type compared without regard
// to letter case), or an empty span when the program holds no such resource.
std::span<const uint8_t> FindEmbeddedResource(int32_t id, const char* type);
