#include "link/Timings.h"

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
