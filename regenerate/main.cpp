#include "regenerate.h"

#include <iostream>

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
#else
int main(int argc, char** argv)
#endif
{
    return Quorl::regenerateMain(argc, argv, std::cout, std::cerr);
}
