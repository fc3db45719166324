// In a unity build this comes first, and its module's registration header with it, before the
// registration source: the registration must stay exported all the same.
#include "tools.h"
#include "tools_registration.h"

int toolCount()
{
    return 3;
}
