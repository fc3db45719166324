// The command-line front end: argument conversion, dispatch and the command drivers.
// Each function takes the streams it writes to; main hands over the process's own.
#pragma once

#include "file_output.h"
#include "tag_library.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace Quorl {

// One narrow string per process argument, the program path at index 0.
using ArgumentList = std::vector<std::string>;

// The process's arguments in the two forms the commands need.
struct CommandLine
{
    // What messages, the module name and the generated text are made of.
    ArgumentList args;
    // The same arguments as the paths that open files (platform.h): from wide arguments
    // their UTF-8, since narrowing loses what lies beyond U+00FF; otherwise `args` again.
    ArgumentList paths;
    // Whether the arguments came wide, so that narrowing may have changed them.
    bool wide = false;
    // Whether messages name files by `paths`, as typed, rather than by `args` as the tool's own
    // messages do; the build step shows one form in every line it prints.
    bool showPaths = false;

    const std::string& shown(std::size_t i) const { return showPaths ? paths[i] : args[i]; }
};

extern const char* const usageText;

// How a run differs when the build step (quorlRegenerate) makes it.
struct RunOptions
{
    SameText sameText = SameText::write; // file_output.h
    // Lines "<tag file>:<line>:<column>: error|warning: <what>", which IDEs and build logs lead
    // to: after a bad CLASSES value's report, where it goes wrong; for a tag that is nearly
    // CLASSES, and for a file without CLASSES.
    bool pointAtFaults = false;
};

// The command switches, compared whole and case-sensitively.
inline constexpr std::string_view createTagsInfoSwitch = "-createTagsInfo";
inline constexpr std::string_view createClassRegSwitch = "-createClassReg";
inline constexpr std::string_view rebuildSwitch = "-rebuild";

// Narrows a platform wide argument unit by unit: each unit becomes the byte of its low 8 bits.
// No code page is consulted, so characters above U+00FF turn into unrelated bytes.
std::string narrowArgument(std::wstring_view wide);

ArgumentList argumentsFromWide(int argc, const wchar_t* const* argv);
ArgumentList argumentsFromNarrow(int argc, const char* const* argv);
CommandLine commandLineFrom(int argc, const wchar_t* const* argv);
CommandLine commandLineFrom(int argc, const char* const* argv);

// runCommandLine with nothing escaping it: a failure that no command reports itself (memory
// running out, say) becomes one line on `err` and exit status 1.
int runGuarded(const CommandLine& line, std::ostream& out, std::ostream& err,
               const RunOptions& options = {});

// The whole process below its entry point: the command line from `argv`, then runGuarded.
int runMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int runMain(int argc, const wchar_t* const* argv, std::ostream& out, std::ostream& err);

// Picks the command from args[1], checks the argument count and runs the command's driver.
// Returns the process exit status.
int runCommandLine(const CommandLine& line, std::ostream& out, std::ostream& err,
                   const RunOptions& options = {});

// -createTagsInfo <InputFile> <OutputFile>
int createTagsInfo(const CommandLine& line, std::ostream& err, const RunOptions& options);
// -createClassReg <InputFile> <OutputFile> [ignored]
int createClassReg(const CommandLine& line, std::ostream& err, const RunOptions& options);

} // namespace Quorl
