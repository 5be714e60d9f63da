#include "guiex/smooth_btn.h"

#include "guiex/guiex_dc.h"

#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPaintEvent>


namespace COM_GUI_EX {

namespace {

// Plain form colours.
constexpr COLORREF kPlainFace = 0xC8D0D4;       // red 212, green 208, blue 200
constexpr COLORREF kPlainFrame = 0x808080;      // grey 128
constexpr COLORREF kPlainText = 0x000000;
constexpr COLORREF kPlainActiveFace = 0xD2BDB6;   // hover and pressed: red 182, green 189, blue 210
constexpr COLORREF kPlainActiveFrame = 0x6A240A;  // hover and pressed: red 10, green 36, blue 106
constexpr COLORREF kPlainPressedText = 0xFFFFFF;
constexpr COLORREF kPlainDisabledText = 0x666666;
constexpr int kPlainFontSize = 9;
// The focus frame: a dotted line this far inside the button's edge.
constexpr COLORREF kFocusColor = 0x000000;
constexpr int kFocusInset = 3;
// "黑体" (SimHei).
const char kPlainFontFace[] = "\xE9\xBB\x91\xE4\xBD\x93";

}  // namespace

int CGUIEXSmoothBtn::ChooseStateKey(bool disabled, bool pressed, bool hover, bool focused)
{
    if (disabled)
        return KEY_DISABLED;
    if (pressed)
        return KEY_PRESSED;
    if (hover)
        return KEY_HOVER;
    if (focused)
        return KEY_FOCUSED;
    return KEY_NORMAL;
}

CGUIEXSmoothBtn::CGUIEXSmoothBtn() : QAbstractButton(nullptr)
{
    // Every paint covers the whole button with the composed face: nothing is erased
    // first and no system look is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    // Moves without a pressed mouse button are needed to start hover requests.
    setMouseTracking(true);
    m_hoverTimer.setSingleShot(true);
    // A coarse timer may fire a few percent early; the rest must last the full time.
    m_hoverTimer.setTimerType(Qt::PreciseTimer);
    m_hoverTimer.setInterval(kHoverTimeMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CGUIEXSmoothBtn::OnMouseHover);
}

CGUIEXSmoothBtn::~CGUIEXSmoothBtn() = default;

bool CGUIEXSmoothBtn::Create(const char* caption, const RECT& rect, QWidget* parent, unsigned id,
                             const char* imageType, unsigned normalImage, unsigned pressedImage,
                             unsigned hoverImage, unsigned disabledImage, unsigned focusedImage)
{
    if (m_bCreated || parent == nullptr)
        return false;
    m_nID = id;
    setText(QString::fromUtf8(caption));
    setParent(parent);
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    show();
    m_bCreated = true;

    AddStyle(KEY_PRESSED);
    AddStyle(KEY_HOVER);
    AddStyle(KEY_DISABLED);
    AddStyle(KEY_FOCUSED);

    if (imageType != nullptr && normalImage != 0) {
        auto orNormal = [normalImage](unsigned image) { return image != 0 ? image : normalImage; };
        SetImage(normalImage, imageType, KEY_NORMAL);
        SetImage(orNormal(pressedImage), imageType, KEY_PRESSED);
        SetImage(orNormal(hoverImage), imageType, KEY_HOVER);
        SetImage(orNormal(disabledImage), imageType, KEY_DISABLED);
        SetImage(orNormal(focusedImage), imageType, KEY_FOCUSED);
        SetImageModeAll(IMAGE_MODE_STRETCH);
    }
    return true;
}

bool CGUIEXSmoothBtn::CreateDefault(const char* caption, const RECT& rect, QWidget* parent, unsigned id,
                                    int textOffset)
{
    if (!Create(caption, rect, parent, id, nullptr, 0, 0, 0, 0, 0))
        return false;
    SetFontFaceAll(kPlainFontFace);
    SetFontSizeAll(kPlainFontSize);
    SetBackColorAll(kPlainFace);
    SetBorderColorAll(kPlainFrame);
    SetTextColorAll(kPlainText);
    SetTextOffsetAll(1, textOffset ? 2 : 0);
    SetBackColor(kPlainActiveFace, KEY_HOVER);
    SetBackColor(kPlainActiveFace, KEY_PRESSED);
    SetBorderColor(kPlainActiveFrame, KEY_HOVER);
    SetBorderColor(kPlainActiveFrame, KEY_PRESSED);
    SetTextColor(kPlainPressedText, KEY_PRESSED);
    SetTextColor(kPlainDisabledText, KEY_DISABLED);
    return true;
}

bool CGUIEXSmoothBtn::event(QEvent* event)
{
    const bool handled = QAbstractButton::event(event);
    // Polishing by the widget style undoes two settings of the constructor: it
    // turns hover events on, to repaint buttons as the pointer enters and leaves
    // (this button has its own hover rule), and it marks the widget as not painting
    // every pixel, which makes each repaint of the button repaint the parent under
    // it first. The button draws no style and covers itself fully: both go back.
    if (event->type() == QEvent::Polish) {
        setAttribute(Qt::WA_Hover, false);
        setAttribute(Qt::WA_OpaquePaintEvent, true);
    }
    return handled;
}

void CGUIEXSmoothBtn::paintEvent(QPaintEvent*)
{
    DrawItem(this);
}

void CGUIEXSmoothBtn::DrawItem(QPaintDevice* target)
{
    if (target == nullptr || isHidden())
        return;
    CGUIEXDC memory(target, width(), height());
    if (memory.GetMemDC() == nullptr)
        return;
    memory.FillSolid(0xFFFFFF);

    // The state's key is current for this paint only.
    const int savedKey = GetCurrentKey();
    SetCurrentKey(ChooseStateKey(!isEnabled(), isDown() || isChecked(), m_bHovering != 0, hasFocus()));
    Draw(&memory, this);
    if (hasFocus() && m_bKeyboardFocus)
        DrawFocusFrame(&memory);
    memory.CopyToDC(target);
    SetCurrentKey(savedKey);
}

void CGUIEXSmoothBtn::DrawFocusFrame(CGUIEXDC* surface) const
{
    const int l = kFocusInset;
    const int t = kFocusInset;
    const int r = width() - 1 - kFocusInset;
    const int b = height() - 1 - kFocusInset;
    if (r <= l || b <= t)
        return;
    surface->DrawLine(l, t, r, t, kFocusColor, 1, PS_DOT);
    surface->DrawLine(r, t, r, b, kFocusColor, 1, PS_DOT);
    surface->DrawLine(r, b, l, b, kFocusColor, 1, PS_DOT);
    surface->DrawLine(l, b, l, t, kFocusColor, 1, PS_DOT);
}

void CGUIEXSmoothBtn::focusInEvent(QFocusEvent* event)
{
    // Activating the window gives the focus back where it was and keeps the frame.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        m_bKeyboardFocus = true;
    else if (event->reason() != Qt::ActiveWindowFocusReason)
        m_bKeyboardFocus = false;
    QAbstractButton::focusInEvent(event);
}

void CGUIEXSmoothBtn::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove();
    QAbstractButton::mouseMoveEvent(event);
}

void CGUIEXSmoothBtn::leaveEvent(QEvent* event)
{
    // Only a pointer that moved over the button asked to hear of its leaving.
    if (m_bLeaveTracked)
        OnMouseLeave();
    QAbstractButton::leaveEvent(event);
}

void CGUIEXSmoothBtn::OnMouseMove()
{
    if (m_bTrackingArmed) {
        m_bTrackingArmed = 0;
        m_bLeaveTracked = true;
        m_hoverTimer.start();
    } else if (m_hoverTimer.isActive()) {
        // The pointer is not resting yet: the rest period starts again.
        m_hoverTimer.start();
    }
}

void CGUIEXSmoothBtn::OnMouseHover()
{
    m_bHovering = 1;
    update();
    m_bTrackingArmed = 1;
}

void CGUIEXSmoothBtn::OnMouseLeave()
{
    m_hoverTimer.stop();
    m_bLeaveTracked = false;
    m_bHovering = 0;
    update();
    m_bTrackingArmed = 1;
}

}  // namespace COM_GUI_EX
