// The demo application's start-up for the geometry module. geometry_registration.h comes with
// the module's generated registration source (quorl_add_class_registration in CMakeLists.txt).
#include "Ellipse.h"
#include "geometry_registration.h"
#include "shapes/square_shape.h"

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
    quorl::init_geometry();
    printAncestry(Ellipse::getClass());
    printAncestry(Square::getClass());
    quorl::shutdown_geometry();
    return 0;
}
