#pragma once

#include "Shape.h"

class Square : public Shape
{
    DEMO_CLASS_REGISTRATION(Square)
};
