// The demo application's start-up for the geometry module: it includes the generated
// registration source (its functions are static) and runs it.
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
