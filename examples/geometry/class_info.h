// What the demo application keeps about each registered class, and the log that shows the
// order in which the generated registration code calls the classes.
#pragma once

#include <cstddef>
#include <cstdio>

struct ClassInfo
{
    const char* name;
    const ClassInfo* base;
};

inline void logInit(ClassInfo& info, const ClassInfo* base)
{
    info.base = base;
    std::printf("init %s (base: %s)\n", info.name, base != NULL ? base->name : "none");
}

inline void logShutdown(const ClassInfo& info)
{
    std::printf("shutdown %s\n", info.name);
}

// Prints the class and its bases, for instance "Square -> Shape".
inline void printAncestry(const ClassInfo* info)
{
    std::printf("%s", info->name);
    for (const ClassInfo* base = info->base; base != NULL; base = base->base) {
        std::printf(" -> %s", base->name);
    }
    std::printf("\n");
}

// Gives a class the static init, shutdown and getClass that the registration code calls.
#define DEMO_CLASS_REGISTRATION(Name)                                                              \
public:                                                                                            \
    static void init(const ClassInfo* base)                                                        \
    {                                                                                              \
        logInit(info(), base);                                                                     \
    }                                                                                              \
    static void shutdown()                                                                         \
    {                                                                                              \
        logShutdown(info());                                                                       \
    }                                                                                              \
    static const ClassInfo* getClass()                                                             \
    {                                                                                              \
        return &info();                                                                            \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    static ClassInfo& info()                                                                       \
    {                                                                                              \
        static ClassInfo classInfo = {#Name, NULL};                                                \
        return classInfo;                                                                          \
    }
