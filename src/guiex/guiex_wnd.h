#pragma once

// Base of the custom-drawn child windows. Every paint is composed off screen: a
// surface of the client size receives the background (white, or a snapshot of the
// parent's pixels under the window), the subclass draws its content into it in
// DrawClient, and the surface reaches the screen in one copy. The widget never
// erases its background, so nothing is drawn twice and nothing flickers.
//
// The window also keeps the state of a horizontal and a vertical scroll bar and
// handles the platform's scroll request codes; when a scrolling flag is on, a
// position change moves the content and the parent is told with event 0x17EC.
#include "guiex/win_types.h"

#include <QWidget>

#include <cstdint>

class QPaintDevice;

namespace COM_GUI_EX {

class CGUIEXDC;

// Sent to the parent after the content has been scrolled; wParam and lParam are 0.
constexpr uint32_t WM_GUIEX_CONTENT_SCROLLED = 0x17EC;

// Scroll request codes of OnHScroll / OnVScroll.
enum ScrollRequest : int {
    SB_LINEUP = 0,         // line up / left: position - 1
    SB_LINEDOWN = 1,       // line down / right: position + 1
    SB_PAGEUP = 2,         // page up / left: position - page
    SB_PAGEDOWN = 3,       // page down / right: position + page
    SB_THUMBPOSITION = 4,  // the position carried by the request
    SB_THUMBTRACK = 5,     // thumb dragged: position unchanged
    SB_TOP = 6,            // minimum
    SB_BOTTOM = 7,         // maximum
    SB_ENDSCROLL = 8,      // this and every higher code: unchanged
};

// State of one scroll bar. The position stays within [min, max - max(page - 1, 0)]
// and the page within [0, max - min + 1].
struct CScrollState {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    int trackPos = 0;  // where the thumb was last dragged to
};

class CGUIEXWnd : public QWidget {
    Q_OBJECT

public:
    // A widget with no parent and no id; Create makes it a child window.
    CGUIEXWnd();
    ~CGUIEXWnd() override;

    // Makes this a visible child of the parent at the rectangle (parent client
    // coordinates, right and bottom exclusive) and keeps the control id. A child
    // window needs a parent: without one nothing is done and false is returned.
    virtual bool Create(const RECT& rect, QWidget* parent, unsigned id);
    unsigned GetDlgCtrlID() const { return m_nID; }

    // Composes one paint into the target: a blank surface of the client size,
    // the background, DrawClient, one copy to (0, 0) of the target.
    virtual void OnDraw(QPaintDevice* target);
    // Copies the parent background snapshot, taken at the first call, into the
    // surface. Without a parent nothing is copied. The rectangle is not used.
    virtual void DrawBackground(CGUIEXDC* dc, const RECT* client);
    // The paint hook: draws everything the window shows into the surface, which
    // already holds the background. The client rectangle has its origin at 0, 0.
    virtual void DrawClient(CGUIEXDC* dc, const RECT* client);
    virtual void UserHook();

    // Scroll requests for the horizontal and the vertical bar: code is one of
    // ScrollRequest, position the thumb position that code 4 (and 5, as the track
    // position) carries.
    void OnHScroll(int code, int position);
    void OnVScroll(int code, int position);

    // Bar state, as the platform's scroll-info calls read and set it. Setting
    // keeps the track position and clamps page and position to the range; it does
    // not move the content.
    CScrollState GetScrollState(Qt::Orientation bar) const;
    void SetScrollState(Qt::Orientation bar, const CScrollState& state);

protected:
    void paintEvent(QPaintEvent* event) override;

    int m_nXOffset = 0;          // horizontal position last applied to the content
    int m_nYOffset = 0;          // vertical position last applied to the content
    int m_bHScroll = 0;          // the horizontal bar moves the content
    int m_bVScroll = 0;          // the vertical bar moves the content
    int m_bParentBkgnd = 0;      // paints start from the parent snapshot, not white
    CGUIEXDC* m_pBkgndDC = nullptr;  // owned; the parent's pixels under this window

private:
    void OnScroll(Qt::Orientation bar, int code, int position);
    void SyncContentToScrollBars();
    void TakeBackgroundSnapshot();

    unsigned m_nID = 0;
    CScrollState m_hBar;
    CScrollState m_vBar;
};

}  // namespace COM_GUI_EX
