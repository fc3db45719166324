// Internal to the output writer: the one way its temporary files are named.
#pragma once

#include <string>

namespace Quorl {

// `directoryPrefix` (empty, or a folder ending in its separator) followed by
// ".quorlModuleParser-<16 random hex digits>.tmp". Random, so that files others left in the
// folder can neither block a run nor be taken for ours; short, so that it fits beside an output
// whose own name is as long as names go.
std::string randomTemporaryName(const std::string& directoryPrefix);

// How many names to try before giving up when every one is taken.
constexpr int attemptsAtAName = 100;

} // namespace Quorl
