// Scratch files for fuzz targets: each input is written to a file that the
// parser under test then opens, as it would open a package or a script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// A private temporary folder for this process, with a trailing backslash
// (core path form).
const std::string& ScratchFolder();
// Writes data to a file in the scratch folder and returns its core path.
std::string WriteInput(const char* name, const uint8_t* data, size_t size);
// Silences the message boxes the parsers show.
void SilenceMessages();

}  // namespace fuzzing
