#include "ZunoEmblemArtworkSystemNet.h"

#include "ZunoFlatDraw.h"

namespace ZunoEmblemArtworkSystemNet {

bool draw(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone)
{
    const int index = indexOf(app);
    if (index < 49 || index > 81)
        return false;
    // The group's own artwork is not drawn yet: every member shows the family's neutral emblem.
    ZunoFlatDraw::placeholder(painter, tone);
    return true;
}

} // namespace ZunoEmblemArtworkSystemNet
