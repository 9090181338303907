// libFuzzer target for the frame receiver (scripts/fuzz.sh builds and runs it).

#include "ReceiverCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (const char *failure = slxfuzz::checkReceiver(data, size)) {
        std::fprintf(stderr, "receiver rule broken: %s\n", failure);
        std::abort();
    }
    return 0;
}
