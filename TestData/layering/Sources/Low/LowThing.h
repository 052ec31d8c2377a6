#pragma once

#include "HighThing.h"
#include <QString>
