// What the tools module offers besides its classes, exported from its shared library, so that
// only what is exported leaves it (MinGW exports everything from a DLL that exports nothing).
#pragma once

#if defined(_WIN32) && defined(QUORL_EXPORTS_tools)
#define TOOLS_API __declspec(dllexport)
#elif defined(__GNUC__) && !defined(_WIN32)
#define TOOLS_API __attribute__((visibility("default")))
#else
#define TOOLS_API
#endif

TOOLS_API int toolCount();
