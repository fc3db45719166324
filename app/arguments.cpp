#include "commands.h"
#include "platform.h"

namespace Quorl {

std::string narrowArgument(std::wstring_view wide)
{
    std::string narrow(wide.size(), '\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        narrow[i] = static_cast<char>(static_cast<unsigned char>(wide[i] & 0xFF));
    }
    return narrow;
}

ArgumentList argumentsFromWide(int argc, const wchar_t* const* argv)
{
    ArgumentList args;
    for (int i = 0; i < argc; ++i) {
        args.push_back(narrowArgument(argv[i]));
    }
    return args;
}

ArgumentList argumentsFromNarrow(int argc, const char* const* argv)
{
    return ArgumentList(argv, argv + argc);
}

CommandLine commandLineFrom(int argc, const wchar_t* const* argv)
{
    CommandLine line{argumentsFromWide(argc, argv), {}, true};
    for (int i = 0; i < argc; ++i) {
        line.paths.push_back(utf8FromWide(argv[i]));
    }
    return line;
}

CommandLine commandLineFrom(int argc, const char* const* argv)
{
    ArgumentList args = argumentsFromNarrow(argc, argv);
    return CommandLine{args, args, false};
}

} // namespace Quorl
