// The scroll thumb: its arithmetic and the chart's operations that place and move it.
#include "chart/chart_thumb.h"

#include "chart/chart_messages.h"
#include "chart/curve_wnd.h"
#include "guiex/posted_message.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

int ToInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

}  // namespace

bool PlaceThumb(const RECT& track, int timeOrder, int first, int total, int pageCount, CThumbPlacement* placement)
{
    if (total <= 0)
        return false;
    const int64_t trackWidth = int64_t(track.right) - track.left;
    int64_t width = trackWidth * pageCount / total;
    int64_t offset = trackWidth * first / total;
    placement->atMinimum = 0;
    if (width > trackWidth) {  // the whole file fits on one page
        width = trackWidth;
        offset = 0;
    }
    if (width < kMinThumbWidth) {
        placement->atMinimum = 1;
        width = kMinThumbWidth;
    }
    const int64_t left = timeOrder == 0 ? track.left + offset : track.left + (trackWidth - width - offset);
    placement->thumb = RECT{ToInt(left), track.top, ToInt(left + width), track.bottom};
    return true;
}

int FirstFromThumb(const RECT& track, const RECT& thumb, int atMinimum, int timeOrder, int total, int pageCount)
{
    const int64_t trackWidth = int64_t(track.right) - track.left;
    // A widened thumb covers kMinThumbWidth pixels more than its share, so its left
    // edge travels over the track less that width.
    const int64_t divisor = atMinimum == 1 ? trackWidth - kMinThumbWidth : trackWidth;
    const int64_t offset = timeOrder == 0 ? int64_t(thumb.left) - track.left : int64_t(track.right) - thumb.right;
    // A track no wider than the minimum thumb leaves no travel: the page starts at 0.
    int64_t first = divisor > 0 ? offset * total / divisor : 0;
    if (first + pageCount > total)
        first = int64_t(total) - pageCount;
    if (first < 0)
        first = 0;
    return ToInt(first);
}

void CCurveWnd::UpdateThumb()
{
    CThumbPlacement placement;
    if (!PlaceThumb(m_rcTrack, PageValue(m_pTimeOrder), PageValue(m_pFirst), PageValue(m_pTotal),
                    PageValue(m_pPageCount), &placement))
        return;
    m_rcThumb = placement.thumb;
    m_bThumbAtMin = placement.atMinimum;
    // Nothing is invalidated: the thumb shows with the next paint of the plot area,
    // at the latest when the page being prepared arrives.
}

void CCurveWnd::MoveThumb(int x, bool commit)
{
    const int total = PageValue(m_pTotal);
    if (total <= 0)
        return;
    const int width = RectWidth(m_rcThumb);
    int64_t left = int64_t(m_rcThumb.left) + x - m_nLastDragX;
    m_nLastDragX = x;
    if (left + width > m_rcTrack.right)
        left = int64_t(m_rcTrack.right) - width;
    if (left < m_rcTrack.left)
        left = m_rcTrack.left;
    m_rcThumb.left = ToInt(left);
    m_rcThumb.right = ToInt(left + width);
    update(ToQRect(m_rcTrack));
    if (!commit)
        return;
    const int first = FirstFromThumb(m_rcTrack, m_rcThumb, m_bThumbAtMin, PageValue(m_pTimeOrder), total,
                                     PageValue(m_pPageCount));
    if (m_pFirst)
        *m_pFirst = first;
    if (m_pNotify)
        COM_GUI_EX::PostMessage(m_pNotify, WM_CURVE_PAGE, 0, 0);
}

void CCurveWnd::JumpThumb(int x, int y)
{
    if (!RectContains(m_rcTrack, x, y))
        return;
    // The thumb's near edge moves to the click.
    if (x < m_rcThumb.left) {
        m_nLastDragX = m_rcThumb.left;
        MoveThumb(x, true);
    }
    if (x > m_rcThumb.right) {
        m_nLastDragX = m_rcThumb.right;
        MoveThumb(x, true);
    }
}
