// The vector slide decoder: draws records on the loader's drawing context, optionally writes
// them as DXF, and stops on pending user input so that a later call resumes where it stopped.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/window.h"
#include "slide/slide_types.h"

namespace lanterna {

constexpr uint32_t kInterruptEscape = 0x100000;
constexpr uint32_t kInterruptKey = 0x200000;
constexpr uint32_t kInterruptMouse = 0x400000;
constexpr uint32_t kDefaultInterruptMask = 0x700000;

constexpr int kRecordsPerInputCheck = 300;
constexpr int kRecordsPerProgressCopy = 600;
constexpr int kMaxFillVertices = 30;

// Which pending input stops a drawing: a non-zero value is stored; the stored value is returned.
uint32_t InterruptMask(uint32_t value);
// Why the last drawing stopped (kInterruptEscape, kInterruptKey or kInterruptMouse).
uint32_t& InterruptCause();
// The renderers' pending-input test: looks for input the mask allows and records the cause,
// then lets the owner window see the mouse (WM_NCHITTEST) whatever was found. True when the
// drawing must stop; *result is then -1 for a key, 0 for Escape or a mouse button.
bool PendingInputTest(platform::HWND owner, int* result);

// windowDC and offscreenDC serve only to copy the picture so far; 0 or -1 (a key interrupted).
int Ciclo(gdi::HDC windowDC, gdi::HDC offscreenDC, ViewState* view);

}  // namespace lanterna
