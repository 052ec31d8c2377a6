#pragma once

#include "LowThing.h"
