#pragma once

#include <LowThing.h>
#include <vector>
