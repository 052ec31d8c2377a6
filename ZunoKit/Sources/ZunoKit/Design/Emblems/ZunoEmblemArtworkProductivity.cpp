#include "ZunoEmblemArtworkProductivity.h"

#include "ZunoFlatDraw.h"

namespace ZunoEmblemArtworkProductivity {

bool draw(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone)
{
    const int index = indexOf(app);
    if (index < 0 || index > 30)
        return false;
    // The group's own artwork is not drawn yet: every member shows the family's neutral emblem.
    ZunoFlatDraw::placeholder(painter, tone);
    return true;
}

} // namespace ZunoEmblemArtworkProductivity
