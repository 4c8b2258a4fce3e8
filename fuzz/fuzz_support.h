// What the fuzz targets share: the input as a file named the way lanterna-cli is given one, and
// the work every slide gets. A broken promise (a DXF reported written that is no DXF, pictures
// that depend on the slide drawn before) aborts, so that the fuzzer reports it like a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Writes the bytes to a scratch file with the extension that selects the reader.
std::string InputFile(const uint8_t* data, size_t size, const char* extension);
// A path in the process's scratch folder (on a memory file system where there is one).
std::string ScratchPath(const std::string& name);
// Boxes are answered with their default button and shown nowhere; no input is pending.
void QuietServices();
// Stops the run with a message when a promise is broken.
void Require(bool condition, const char* what);

// A slide or library member read as lanterna-cli reads it: its extent, pictures at small and odd
// sizes (zoomed and panned too), the information report, the vector picture (SVG), DXF lines and
// polylines, and a paint interrupted by key presses and resumed until complete.
void ExerciseSlide(const std::string& path, const std::string& member);

// The fast targets' work: a slide's bytes (kind as the file's name would give) read from memory
// for their header, then drawn as a slide window of width by height shows them, uninterrupted.
void DrawData(int kind, const uint8_t* data, size_t size, int width, int height);
// The same for a slide file or library member, looked up and read by the loader.
void DrawFile(const std::string& path, const std::string& member, int width, int height);

}  // namespace fuzz
