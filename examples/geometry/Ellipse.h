#pragma once

#include "Circle.h"

class Ellipse : public Circle
{
    DEMO_CLASS_REGISTRATION(Ellipse)
};
