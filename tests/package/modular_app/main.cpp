#include "shapes_registration.h"
#include "tools_registration.h"

int main()
{
    quorl::init_shapes();
    quorl::init_tools();
    quorl::shutdown_tools();
    quorl::shutdown_shapes();
    return 0;
}
