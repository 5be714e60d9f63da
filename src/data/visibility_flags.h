#pragma once

// The chart's shown/hidden flag per channel. The chart owns it and flips flags on
// legend clicks while the worker may be preparing a page, so it is a fixed block
// of atomics that is never reallocated: the worker always reads a whole, valid set.
#include "data/import/import_limits.h"

#include <atomic>
#include <cstdint>

struct CVisibilityFlags {
    static constexpr int kMaxChannels = kLargestChannelCount;

    // Number of channels the flags describe; channels at or beyond it count as shown.
    std::atomic<int> m_nSize{0};
    // Zero: the channel is hidden.
    std::atomic<uint32_t> m_nFlag[kMaxChannels] = {};

    bool IsHidden(int channel) const
    {
        return channel >= 0 && channel < m_nSize.load() && channel < kMaxChannels && m_nFlag[channel].load() == 0;
    }
};
