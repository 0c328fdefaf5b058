#pragma once
// The sector-log text form of one fan: the line written to point0.txt for
// every fan of a recorded revolution, and printed by `vantrel-cli decode`.
//
//   "start angle <start> span:<span> N:<count>  " then, per point,
//   "\t<angle rad, %7g>\t<distance m, %4g>\t<energy, %3u>"
//
// ASCII only, no line ending.

#include <cstdint>
#include <string>
#include <vector>

#include "rawdata.h"

std::string fan_text_line(const RawData& fan);

// Appends the same text to out (no line ending), reusing its capacity.
void append_fan_text_line(std::string& out, const RawData& fan);

// 64-bit FNV-1a over the text lines of every fan of a revolution, in order:
// the same revolution decoded twice (live, and again from its recording)
// gives the same value.
uint64_t revolution_signature(const std::vector<RawData>& revolution);
