#pragma once

#include "Shape.h"

class Circle : public Shape
{
public:
    static void init(const ClassInfo* base) { logInit(info, base); } // Shape::getClass() or NULL
    static const ClassInfo* getClass() { return &info; }
    static void shutdown() { logShutdown(info); }

private:
    static inline ClassInfo info = {"Circle", NULL};
};
