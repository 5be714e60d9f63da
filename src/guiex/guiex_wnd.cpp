#include "guiex/guiex_wnd.h"

#include "guiex/guiex_dc.h"
#include "guiex/posted_message.h"

#include <QCoreApplication>
#include <QImage>
#include <QRegion>

#include <algorithm>
#include <cstdint>

namespace COM_GUI_EX {

namespace {

int ClampToInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The platform's validation of a bar state: a maximum below the minimum is raised
// to it, the page is at most the range's size, the position lies within the range
// less the last page.
CScrollState Validated(CScrollState s)
{
    if (s.max < s.min)
        s.max = s.min;
    const int64_t span = int64_t(s.max) - s.min + 1;
    s.page = ClampToInt(std::clamp<int64_t>(s.page, 0, span));
    const int64_t last = int64_t(s.max) - std::max(s.page - 1, 0);
    s.pos = ClampToInt(std::clamp<int64_t>(s.pos, s.min, last));
    return s;
}

}  // namespace

CGUIEXWnd::CGUIEXWnd() : QWidget(nullptr)
{
    // The composed image covers the whole client area: nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

CGUIEXWnd::~CGUIEXWnd()
{
    delete m_pBkgndDC;
}

bool CGUIEXWnd::Create(const RECT& rect, QWidget* parent, unsigned id)
{
    if (parent == nullptr)
        return false;
    m_nID = id;
    setParent(parent);
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    setCursor(Qt::ArrowCursor);
    show();
    return true;
}

void CGUIEXWnd::paintEvent(QPaintEvent*)
{
    // Without a parent, or while the parent's window is minimised, nothing is
    // drawn. Returning still acknowledges the paint request, so it is not repeated.
    const QWidget* parent = parentWidget();
    if (parent == nullptr || parent->window()->isMinimized())
        return;
    OnDraw(this);
}

void CGUIEXWnd::OnDraw(QPaintDevice* target)
{
    const RECT client{0, 0, width(), height()};
    if (client.right <= 0 || client.bottom <= 0)
        return;
    CGUIEXDC dc(target, client.right, client.bottom);
    if (m_bParentBkgnd)
        DrawBackground(&dc, &client);
    else
        dc.FillSolid(0xFFFFFF);
    DrawClient(&dc, &client);
    dc.CopyToDC(target);
}

void CGUIEXWnd::DrawBackground(CGUIEXDC* dc, const RECT*)
{
    if (m_pBkgndDC == nullptr)
        TakeBackgroundSnapshot();
    if (m_pBkgndDC != nullptr && dc != nullptr && dc->GetMemDC() != nullptr)
        m_pBkgndDC->CopyToDC(dc->GetMemDC());
}

void CGUIEXWnd::DrawClient(CGUIEXDC*, const RECT*) {}

void CGUIEXWnd::UserHook() {}

void CGUIEXWnd::TakeBackgroundSnapshot()
{
    QWidget* parent = parentWidget();
    if (parent == nullptr)
        return;
    delete m_pBkgndDC;
    m_pBkgndDC = nullptr;
    const QRect area = geometry();  // in the parent's client coordinates
    auto* snapshot = new CGUIEXDC(this, area.width(), area.height());
    if (QImage* pixels = snapshot->GetMemDC()) {
        // White where the parent paints nothing of its own.
        snapshot->FillSolid(0xFFFFFF);
        // The parent alone, without its children: rendering this window would
        // paint it again from within its own paint.
        parent->render(pixels, QPoint(0, 0), QRegion(area), QWidget::DrawWindowBackground);
    }
    m_pBkgndDC = snapshot;
}

void CGUIEXWnd::OnHScroll(int code, int position)
{
    OnScroll(Qt::Horizontal, code, position);
}

void CGUIEXWnd::OnVScroll(int code, int position)
{
    OnScroll(Qt::Vertical, code, position);
}

CScrollState CGUIEXWnd::GetScrollState(Qt::Orientation bar) const
{
    return bar == Qt::Horizontal ? m_hBar : m_vBar;
}

void CGUIEXWnd::SetScrollState(Qt::Orientation bar, const CScrollState& state)
{
    CScrollState& stored = bar == Qt::Horizontal ? m_hBar : m_vBar;
    const int trackPos = stored.trackPos;
    stored = Validated(state);
    stored.trackPos = trackPos;
}

void CGUIEXWnd::OnScroll(Qt::Orientation bar, int code, int position)
{
    CScrollState& s = bar == Qt::Horizontal ? m_hBar : m_vBar;
    int64_t pos = s.pos;
    switch (code) {
    case SB_LINEUP: pos -= 1; break;
    case SB_LINEDOWN: pos += 1; break;
    case SB_PAGEUP: pos -= s.page; break;
    case SB_PAGEDOWN: pos += s.page; break;
    case SB_THUMBPOSITION:
        pos = position;
        s.trackPos = position;
        break;
    case SB_THUMBTRACK: s.trackPos = position; break;
    case SB_TOP: pos = s.min; break;
    case SB_BOTTOM: pos = s.max; break;
    default: break;  // end of scrolling and unknown codes
    }
    s.pos = ClampToInt(pos);
    s = Validated(s);
    SyncContentToScrollBars();
}

void CGUIEXWnd::SyncContentToScrollBars()
{
    const int x = m_bHScroll ? m_hBar.pos : 0;
    const int y = m_bVScroll ? m_vBar.pos : 0;
    if (x == m_nXOffset && y == m_nYOffset)
        return;
    const int dx = ClampToInt(int64_t(m_nXOffset) - x);
    const int dy = ClampToInt(int64_t(m_nYOffset) - y);
    if (isVisible()) {
        // Moves the pixels and the child widgets; the uncovered strip is repainted.
        scroll(dx, dy);
    } else {
        // The toolkit's scroll does nothing on a hidden widget; the children still
        // move so that they sit right when it is shown.
        for (QObject* child : children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w != nullptr && !w->isWindow())
                w->move(w->pos() + QPoint(dx, dy));
        }
    }
    m_nXOffset = x;
    m_nYOffset = y;
    // Sent, not posted: the parent has handled it when the scroll request returns.
    if (QWidget* parent = parentWidget()) {
        CPostedMessage message(WM_GUIEX_CONTENT_SCROLLED, 0, 0);
        QCoreApplication::sendEvent(parent, &message);
    }
}

}  // namespace COM_GUI_EX
