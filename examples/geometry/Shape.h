#pragma once

#include "class_info.h"

class Shape
{
    DEMO_CLASS_REGISTRATION(Shape)
};
