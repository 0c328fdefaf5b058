#pragma once
// The live zone subcommands beyond read and write, each in a file of its own.

#include <string>

namespace cli {

// zones write --verify LINK FILE.json
int writeZonesVerified(const std::string& linkArg, const std::string& path);
// zones diff [--mirror] A B
int diffZones(const std::string& a, const std::string& b, bool mirror);

}  // namespace cli
