#pragma once
// Drives the frame receiver with arbitrary bytes the way repeated receives do
// (a new receive after each frame, good or bad) and checks what must always hold:
// every store stays inside the 513-byte buffer and touches one index; a complete
// frame has a length in 5..513, the bytes as they arrived from its STX on and a
// matching check byte; a refused length is out of range and stops all stores.
// Shared by the fuzz target and by the test that replays its corpus.

#include "link/FrameReceiver.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace slxfuzz {

// nullptr when every rule held, else the rule that failed.
inline const char *checkReceiver(const std::uint8_t *data, std::size_t size)
{
    using slx::FrameReceiver;
    // On the heap and exactly 513 bytes, so that a sanitizer sees any store past it.
    auto buffer = std::make_unique<FrameReceiver::Buffer>();
    buffer->fill(0xEE);
    FrameReceiver rx(*buffer);
    if ((*buffer)[0] != 0)
        return "a receive does not start with index 0 cleared";
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const FrameReceiver::Buffer before = *buffer;
        const bool hunting = rx.state() == FrameReceiver::State::Hunting;
        const auto result = rx.feed(data[i]);
        if (hunting && rx.state() != FrameReceiver::State::Hunting)
            start = i;
        int changed = 0;
        int where = -1;
        for (int k = 0; k < FrameReceiver::kBufferSize; ++k)
            if ((*buffer)[k] != before[k]) {
                ++changed;
                where = k;
            }
        if (changed > 1)
            return "one byte changed more than one index";
        if (changed == 1 && where != (hunting ? 0 : rx.lastIndex()))
            return "a byte was stored at the wrong index";
        if (rx.lastIndex() < -1 || rx.lastIndex() >= FrameReceiver::kBufferSize)
            return "index outside the buffer";
        const int length = rx.declaredLength();
        switch (result) {
        case FrameReceiver::Result::NeedMore: continue;
        case FrameReceiver::Result::Complete: {
            if (length < 5 || length > 513)
                return "frame completed with a length out of range";
            if (i - start + 1 != std::size_t(length))
                return "frame completed after the wrong number of bytes";
            std::uint8_t x = 0;
            for (int k = 0; k < length - 1; ++k)
                x ^= (*buffer)[k];
            if (x != (*buffer)[length - 1])
                return "frame completed with a wrong check byte";
            for (int k = 0; k < length; ++k)
                if ((*buffer)[k] != data[start + k])
                    return "frame differs from the bytes received";
            break;
        }
        case FrameReceiver::Result::BadCheck: {
            if (length < 5 || length > 513)
                return "check byte compared on a length out of range";
            std::uint8_t x = 0;
            for (int k = 0; k < length - 1; ++k)
                x ^= (*buffer)[k];
            if (x == (*buffer)[length - 1])
                return "good check byte refused";
            break;
        }
        case FrameReceiver::Result::BadLength:
            if (length >= 5 && length <= 513)
                return "length in range refused";
            if (rx.lastIndex() != 2)
                return "bytes stored after a refused length";
            // A finished receive ignores further bytes.
            {
                const FrameReceiver::Buffer frozen = *buffer;
                if (rx.feed(0x02) != FrameReceiver::Result::BadLength || frozen != *buffer)
                    return "a refused receive went on storing";
            }
            break;
        }
        rx.reset();
    }
    return nullptr;
}

} // namespace slxfuzz
