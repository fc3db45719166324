#pragma once

#include "Shape.h"

class Circle : public Shape
{
    DEMO_CLASS_REGISTRATION(Circle)
};
