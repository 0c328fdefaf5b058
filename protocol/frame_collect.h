#pragma once
// Turning a stream of fans into complete 360-degree revolutions.
//
// The boundary (start angle of the revolution, 0.1 degree) is found once per
// connection by find_frame_boundary; afterwards collect_frame_fan gathers fans
// until one ends on the boundary.

#include <string>
#include <vector>

#include "rawdata.h"

// Returns -1 while still collecting, -2 when the revolution seen was
// inconsistent (errorText "angle sum %d"), or the boundary in 0.1 degree.
// nearZero picks the fan starting nearest 0 instead of nearest 180 degrees.
int find_frame_boundary(const RawData& fan, bool nearZero, std::vector<RawData>& accumulator,
                        std::string& errorText);

// Returns 0 when the fan was stored, 1 when the accumulator now holds one
// complete revolution (the caller takes it and empties it), -1 when the
// revolution was inconsistent and the accumulator was emptied (errorText
// "angle sum %d, drop %d fans %d points").
int collect_frame_fan(const RawData& fan, int boundary, std::vector<RawData>& accumulator, std::string& errorText);
