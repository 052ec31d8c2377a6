#include "ZunoScreenRect.h"

#include "ZunoLiveStatusSupport.h"

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoScreenRect::ZunoScreenRect(double x, double y, double width, double height)
    : x(x)
    , y(y)
    , width(atLeast(width, 0.0))
    , height(atLeast(height, 0.0))
{
}

Json ZunoScreenRect::toJson() const
{
    Json json = Json::object();
    write(json, "x", x);
    write(json, "y", y);
    write(json, "width", width);
    write(json, "height", height);
    return json;
}

ZunoScreenRect ZunoScreenRect::fromJson(const Json &json)
{
    object(json, "ZunoScreenRect");
    ZunoScreenRect rect(read<double>(json, "x"), read<double>(json, "y"), 0.0, 0.0);
    // Stored values stand as they are.
    rect.width = read<double>(json, "width");
    rect.height = read<double>(json, "height");
    return rect;
}
