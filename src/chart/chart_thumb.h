#pragma once

// Arithmetic of the scroll thumb: where the thumb sits for a page state, and which
// first sample a thumb position stands for. Products of track widths and sample
// counts are formed in 64 bits: a scaled track times the sample count of a large
// file does not fit in 32.
#include "guiex/win_types.h"

// The thumb is never narrower than this many pixels (not scaled).
constexpr int kMinThumbWidth = 30;

struct CThumbPlacement {
    RECT thumb;         // top and bottom are the track's
    int atMinimum = 0;  // 1 when the thumb was widened to kMinThumbWidth
};

// The thumb for a page of pageCount samples starting at first, out of total samples.
// Width track × pageCount / total, offset track × first / total; a page larger than
// the file fills the track. With a descending time order (timeOrder non-zero) the
// thumb is mirrored, so the start of the file is at the right. Returns false, and
// leaves the placement alone, when total <= 0.
bool PlaceThumb(const RECT& track, int timeOrder, int first, int total, int pageCount, CThumbPlacement* placement);

// The first sample index a thumb position stands for: the thumb's distance from the
// track's start edge (the left one, or the right one when mirrored) times total over
// the track width, less kMinThumbWidth when the thumb was widened; limited so that the
// last page ends on the newest sample, and to 0 at the bottom.
int FirstFromThumb(const RECT& track, const RECT& thumb, int atMinimum, int timeOrder, int total, int pageCount);
