#pragma once
// Reading a recording for the subcommands that replay one (decode, export):
// the same loader and the same size limit as playback in the window.

#include <string>

#include "recording_file.h"

namespace cli {

// Reads path into file. On failure prints one error line for `command`
// ("cannot open ...", "The playback file cannot exceed 50MB!", ...) and
// returns false.
bool loadRecording(const std::string& command, const std::string& path, RecordingFile& file);

}  // namespace cli
