// The story's data: the 24 event scripts, the dialogue lines they show and the background
// pictures each event loads.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/text/cp932.h"
#include "scenes/event/event.h"

// Script of each event number, ending with a null command (EventOp::None) after its
// EndEventScript.
extern const std::array<std::span<const EventCommand>, kEventCount> kEventScripts;

// The dialogue lines by line number: CP932, zero-terminated, at most 44 bytes each.
using EventTextLine = text::Cp932Text<kEventTextLineBytes + 1>;
extern const std::array<EventTextLine, kEventTextLineCount> kEventTextLines;

// Per event, the image numbers it loads, ending at -1.
constexpr int kEventBackgroundSlots = 14;
extern const std::array<std::array<int32_t, kEventBackgroundSlots>, kEventCount>
    kEventBackgroundLists;
