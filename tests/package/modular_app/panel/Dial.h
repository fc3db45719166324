#pragma once

#include "app_class.h"

APP_CLASS(Dial);
