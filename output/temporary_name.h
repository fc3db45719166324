// Internal to the output writer: the one way its temporary files are named.
#pragma once

#include <string>

namespace Quorl {

// `directoryPrefix` followed by ".quorlModuleParser-<16 random hex digits>.tmp": random, so that
// others' files are never taken for ours (64 random bits do not meet by chance); short, so that
// it fits beside an output whose own name is as long as names go.
std::string randomTemporaryName(const std::string& directoryPrefix);

} // namespace Quorl
