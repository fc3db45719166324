// The demo application's start-up for the geometry module. geometry_registration.h comes with
// the module's generated registration source (quorl_add_class_registration in CMakeLists.txt).
#include "Ellipse.h"
#include "geometry_registration.h"
#include "shapes/square_shape.h"

int main()
{
    quorl::init_geometry();
    printAncestry(Ellipse::getClass());
    printAncestry(Square::getClass());
    quorl::shutdown_geometry();
    return 0;
}
