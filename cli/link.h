#pragma once
// The link text of the live subcommands (parsed in the protocol library, which
// the window's --connect option shares).

#include "link_address.h"

namespace cli {

using ::LinkAddress;
using ::linkText;
using ::parseLink;

}  // namespace cli
