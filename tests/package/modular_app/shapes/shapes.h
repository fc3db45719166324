// What the shapes module offers besides its classes.
#pragma once

int shapeCount();
