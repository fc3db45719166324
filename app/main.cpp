#include "commands.h"

#include <iostream>

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    return Quorl::runCommandLine(Quorl::argumentsFromWide(argc, argv), std::cout, std::cerr);
}
#else
int main(int argc, char** argv)
{
    return Quorl::runCommandLine(Quorl::argumentsFromNarrow(argc, argv), std::cout, std::cerr);
}
#endif
