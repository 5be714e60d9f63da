// The chart's mouse: hit testing, pointer shapes, the cursor line, legend clicks and
// the thumb drag. The platform grabs the mouse for the chart while a button is held,
// so a drag keeps reaching the chart when the pointer leaves it. The right button
// opens the context menu.
#include "chart/chart_messages.h"
#include "chart/curve_wnd.h"

#include "guiex/posted_message.h"
#include "guiex/strings.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace {

constexpr unsigned kSavePictureText = 1600;
constexpr unsigned kSaveSheetText = 1601;


}  // namespace

void CCurveWnd::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const QAction* picture = menu.addAction(COM_GUI_EX::LoadString(kSavePictureText));
    QAction* sheet = menu.addAction(COM_GUI_EX::LoadString(kSaveSheetText));
    // A sheet needs a loaded page.
    sheet->setEnabled(PageValue(m_pTotal) > 0);
    const QAction* chosen = menu.exec(event->globalPos());
    if (chosen == picture)
        emit SavePictureRequested();
    else if (chosen == sheet)
        emit SaveSheetRequested();
    event->accept();
}

void CCurveWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    OnMouseMove(p.x(), p.y());
    event->accept();
}

void CCurveWnd::mousePressEvent(QMouseEvent* event)
{
    // Accepted whatever the button: an ignored press would hand the grab to the parent.
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        OnLButtonDown(p.x(), p.y());
    }
    event->accept();
}

void CCurveWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void CCurveWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        OnLButtonUp(p.x(), p.y());
    }
    event->accept();
}

int CCurveWnd::HitLegend(int x, int y) const
{
    for (size_t i = 0; i < m_legendHits.size(); ++i) {
        if (RectContains(m_legendHits[i], x, y))
            return static_cast<int>(i);
    }
    return -1;
}

void CCurveWnd::OnMouseMove(int x, int y)
{
    if (m_bDragging) {
        MoveThumb(x, false);
        UpdateCursorLine(0, RECT{});
        return;
    }
    // Legend items first, then the thumb, then the plot area.
    m_nHoverLegend = HitLegend(x, y);
    m_bOverThumb = 0;
    RECT line{};
    int visible = 0;
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (m_nHoverLegend >= 0) {
        shape = Qt::PointingHandCursor;
    } else if (RectContains(m_rcThumb, x, y)) {
        m_bOverThumb = 1;
        shape = Qt::SizeHorCursor;
    } else if (RectContains(m_rcPlot, x, y)) {
        line = RECT{x, m_rcPlot.top, x + 2, m_rcPlot.bottom};
        visible = 1;
    }
    if (cursor().shape() != shape)
        setCursor(shape);
    UpdateCursorLine(visible, line);
}

void CCurveWnd::UpdateCursorLine(int visible, const RECT& line)
{
    if (PageValue(m_pTotal) == 0)
        return;  // no file: no cursor line and no read-out
    if (visible != m_bCursorVisible)
        m_bCursorVisible = visible;
    else if (SameRect(line, m_rcCursor))
        return;
    m_rcCursorPrev = m_rcCursor;
    m_rcCursor = line;
    // A hidden line (all zero) lies left of the plot and reports nothing: the main
    // window keeps its last read-out.
    if (m_rcCursor.left >= m_rcPlot.left && m_pNotify)
        COM_GUI_EX::PostMessage(m_pNotify, WM_CURVE_CURSOR, static_cast<uintptr_t>(m_rcCursor.left - m_rcPlot.left),
                                0);
    update(ToQRect(m_rcCursorPrev));
    update(ToQRect(m_rcCursor));
}

void CCurveWnd::OnLButtonDown(int x, int y)
{
    if (m_nHoverLegend >= 0 && m_nHoverLegend < m_visibility.m_nSize.load()) {
        // The dot changes at once; the curve comes or goes with the next prepared page.
        std::atomic<uint32_t>& flag = m_visibility.m_nFlag[m_nHoverLegend];
        flag.store(flag.load() == 0 ? 1 : 0);
        CMemoryTransferManage::GetInstance()->RequestPrepare();
        update(ToQRect(m_legendHits[static_cast<size_t>(m_nHoverLegend)]));
        return;
    }
    // With the whole file on one page the thumb fills the track and nothing moves.
    if (RectWidth(m_rcThumb) >= RectWidth(m_rcTrack))
        return;
    if (m_bOverThumb) {
        setCursor(Qt::SizeHorCursor);
        m_nLastDragX = x;
        m_bDragging = 1;
    } else {
        JumpThumb(x, y);
    }
}

void CCurveWnd::OnLButtonUp(int x, int)
{
    if (m_bDragging)
        MoveThumb(x, true);
    m_bDragging = 0;
    m_bOverThumb = 0;
}
