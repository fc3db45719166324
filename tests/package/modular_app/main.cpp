#include "shapes/shapes.h"
#include "shapes_registration.h"
#include "tools/tools.h"
#include "tools_registration.h"

#include <cstdio>

int main()
{
    quorl::init_shapes();
    quorl::init_tools();
    std::printf("%d shapes, %d tools\n", shapeCount(), toolCount());
    quorl::shutdown_tools();
    quorl::shutdown_shapes();
    return 0;
}
