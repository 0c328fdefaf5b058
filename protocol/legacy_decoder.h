#pragma once
// Decoder of the legacy serial stream (stream mode 2 and old recordings):
// "ST..ED" status packets and the short 0xFACE fan with 2-byte point words.

#include <cstddef>
#include <cstdint>

#include "rawdata.h"

// Returns 1 for a fan in rawOut, 9 for a status packet, 0 for nothing
// (incomplete, bad packet or checksum failure). consumedOut as for
// decode_stream_message: untouched when nothing may be dropped.
int decode_legacy_stream(size_t len, const uint8_t* buf, uint8_t statusFlags[8], RawData& rawOut,
                         size_t& consumedOut, bool verifyChecksum);
