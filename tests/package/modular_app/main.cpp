#include "shapes/shapes.h"
#include "shapes_registration.h"
#include "tools/tools.h"
#include "tools_registration.h"
#ifdef MODULAR_APP_QT
#include "panel_registration.h"
#endif

#include <cstdio>

int main()
{
    quorl::init_shapes();
    quorl::init_tools();
#ifdef MODULAR_APP_QT
    quorl::init_panel();
#endif
    std::printf("%d shapes, %d tools\n", shapeCount(), toolCount());
#ifdef MODULAR_APP_QT
    quorl::shutdown_panel();
#endif
    quorl::shutdown_tools();
    quorl::shutdown_shapes();
    return 0;
}
