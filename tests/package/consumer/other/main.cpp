// The INCLUDE_ONLY way: the generated registration source is included by one source file of
// the target, which calls its static functions itself.
#include "geometry_reg.cpp"

#include <cstdio>

static void printAncestry(const ClassInfo* info)
{
    std::printf("%s", info->name);
    for (const ClassInfo* base = info->base; base != NULL; base = base->base) {
        std::printf(" -> %s", base->name);
    }
    std::printf("\n");
}

int main()
{
    init_geometry();
    printAncestry(Ellipse::getClass());
    printAncestry(Square::getClass());
    shutdown_geometry();
    return 0;
}
