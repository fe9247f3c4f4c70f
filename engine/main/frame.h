// The fixed-rate frame loop and the scene framework: pacing wall-clock time into ticks of
// 1/60 s and drawn frames at 60, 30 or 20 per second, the per-tick update, the per-frame
// drawing with its overlays, device loss and reset, the scene dispatch tables and the
// scene loader thread.
#pragma once

#include <cstdint>

#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"

// One pass of the loop; returns 1, or 0 when the graphics device is missing.
int RunFrame();
// The work of one accepted frame: its ticks, the drawing and the frame cost. RunFrame calls it
// once pacing lets a frame through; the headless harness calls it directly.
int RunFrameWork();
// One logic tick.
void UpdateFrame();
// One drawn frame.
void RenderFrame();
void ResetGameState();
void SetupDeviceStates();

// The frame-rate setting in force, brought into 0..2.
int32_t FrameRateInForce();
// The pacing decision of one pass, apart from the clock: given the time now, updates the
// clock's accumulator, remainder and last, and returns whether a frame is due.
bool PaceFrame(FrameClock* clock, uint32_t now, uint32_t period);
// The clock time (sys::TimeMs) at which the next frame is due; the loop waits until then.
uint32_t NextFrameDueTime();
// Blocks until no loader thread runs, keeping the window's events handled (a loader may be
// waiting for a message box).
void WaitForLoader();

// The device is usable (false between a lost present and a successful reset).
bool IsDeviceUsable();
// A newly made device starts usable, whatever became of the one before it.
void MarkDeviceUsable();
