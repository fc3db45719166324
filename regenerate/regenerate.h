// quorlRegenerate, the build step that the CMake functions, the qmake feature and the Meson recipe
// run for each generated file:
//
//   quorlRegenerate <-createClassReg | -createTagsInfo> <tag file> <output> [<stamp>]
//   quorlRegenerate --version
//
// It runs the command in its own process with the tool's own code, so the text, the messages,
// the exit status and the way the output is written are the tool's (doc/quorlModuleParser.1.in)
// but for one thing: an output that already holds the text is left as it is (SameText::leave in
// file_output.h). Then it touches <stamp> as touch(1) does, which records the run for build
// tools that go by times. When the command fails, a last line
// names the tag file ("<tag file>: error: class registration not generated"), and neither the
// output nor the stamp is touched, so the next build tries again. A bad CLASSES value gets a line
// before that which IDEs and build logs lead to: "<tag file>:<line>:<column>: error: <what>";
// a tag that is nearly CLASSES, or a file without CLASSES, a warning of that form. Every line
// names a file as it was typed.
#pragma once

#include <iosfwd>

namespace Quorl {

int regenerateMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int regenerateMain(int argc, const wchar_t* const* argv, std::ostream& out, std::ostream& err);

} // namespace Quorl
