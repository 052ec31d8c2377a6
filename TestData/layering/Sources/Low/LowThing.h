#pragma once

#include "HighThing.h"
#include <HighWidget.h>
#include <QString>
#include <sys/stat.h>
