// The INCLUDE_ONLY way: the generated registration source is included by one source file of
// the target, which calls its static functions itself.
#include "geometry_reg.cpp"

int main()
{
    init_geometry();
    printAncestry(Ellipse::getClass());
    printAncestry(Square::getClass());
    shutdown_geometry();
    return 0;
}
