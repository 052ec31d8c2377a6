#pragma once

#include "ZunoAppIdentity.h"
#include "ZunoEmblemTone.h"

class QPainter;

// Emblems of the productivity applications (cases 0 to 30).
namespace ZunoEmblemArtworkProductivity {

// Draws the emblem of app and returns true when app belongs to this group; otherwise draws
// nothing and returns false.
bool draw(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone);

} // namespace ZunoEmblemArtworkProductivity
