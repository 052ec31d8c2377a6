#pragma once

#include "ZunoAppIdentity.h"
#include "ZunoEmblemTone.h"

class QPainter;

// Emblems of the system and network applications (cases 49 to 81).
namespace ZunoEmblemArtworkSystemNet {

// Draws the emblem of app and returns true when app belongs to this group; otherwise draws
// nothing and returns false.
bool draw(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone);

} // namespace ZunoEmblemArtworkSystemNet
