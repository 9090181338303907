#include "link/LinkTimings.h"

namespace slx {

LinkTimings &linkTimings()
{
    static LinkTimings table;
    return table;
}

void resetLinkTimings()
{
    linkTimings() = LinkTimings{};
}

} // namespace slx
