#include "recording_input.h"

#include <cstring>

#include "cli_common.h"

namespace cli {

bool loadRecording(const std::string& command, const std::string& path, RecordingFile& file) {
    switch (file.open(path)) {
        case RecordingFile::Ok:
            return true;
        case RecordingFile::OpenFailed:
            printError(command, "cannot open " + path + ": " + std::strerror(file.errorNumber()));
            return false;
        case RecordingFile::NotRegularFile:
            printError(command, "cannot read " + path + ": not a regular file");
            return false;
        case RecordingFile::TooLarge:
            // Playback holds the whole recording in memory and refuses more than this.
            printError(command, "The playback file cannot exceed 50MB!");
            return false;
        case RecordingFile::ReadFailed:
            printError(command, "cannot read " + path + ": " + std::strerror(file.errorNumber()));
            return false;
    }
    return false;
}

}  // namespace cli
