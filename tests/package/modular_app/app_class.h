// Gives a class the static init, shutdown and getClass that registration code calls, each
// printing what it was given.
#pragma once

#include <cstdio>

#define APP_CLASS(Name)                                                                            \
    struct Name                                                                                    \
    {                                                                                              \
        static const char* getClass() { return #Name; }                                            \
        static void init(const char* base)                                                         \
        {                                                                                          \
            std::printf("init %s (%s)\n", #Name, base ? base : "-");                               \
        }                                                                                          \
        static void shutdown() { std::printf("shutdown %s\n", #Name); }                            \
    }
