#pragma once

// The toolkit's push button: a button drawn entirely from a set of control styles,
// one per visual state, so that each state shows its own image from the program's
// resources. It tracks the pointer itself to get a hover state: hover begins after
// the pointer has rested on the button for 30 ms and ends when it leaves.
//
// A click emits QAbstractButton::clicked; GetDlgCtrlID() is the command id the
// button was created with, which the owner dispatches on.
//
// State keys of the style set (first match wins):
//   3 disabled, 1 pressed (down or checked), 2 hover, 4 focused, 0 normal.
// The key is chosen for one paint only; between paints the current key is the one
// that was current before (key 0 unless the owner changed it). A button that got the
// focus from the keyboard (Tab or Shift+Tab) also shows a dotted frame while it
// keeps it; Space presses it.
#include "guiex/control_style.h"
#include "guiex/win_types.h"

#include <QAbstractButton>
#include <QTimer>

class QEvent;
class QFocusEvent;
class QMouseEvent;
class QPaintDevice;
class QPaintEvent;

namespace COM_GUI_EX {

class CGUIEXSmoothBtn : public QAbstractButton, public CControlMultiStyle {
    Q_OBJECT

public:
    enum StateKey : int {
        KEY_NORMAL = 0,
        KEY_PRESSED = 1,
        KEY_HOVER = 2,
        KEY_DISABLED = 3,
        KEY_FOCUSED = 4,
    };
    // How long the pointer must rest on the button before it counts as hovering.
    static constexpr int kHoverTimeMs = 30;

    // The style key of a state combination; the first matching state wins.
    static int ChooseStateKey(bool disabled, bool pressed, bool hover, bool focused);

    // Not yet a window of anything: key 0 only, tracking armed, not hovering.
    CGUIEXSmoothBtn();
    ~CGUIEXSmoothBtn() override;

    // Image form. Makes the button a visible child of parent at rect (parent client
    // coordinates, right and bottom exclusive) with the caption (UTF-8, drawn when
    // not empty) and the command id, and adds the state keys 1-4. When imageType
    // and normalImage are both given, each state gets its image (an id of 0 means
    // the normal image) stretched over the button (image mode 2); otherwise no
    // image is loaded and the image mode stays 0. A child needs a parent, and a
    // button is made only once: without a parent, or when already made, nothing is
    // done and false is returned.
    virtual bool Create(const char* caption, const RECT& rect, QWidget* parent, unsigned id,
                        const char* imageType, unsigned normalImage, unsigned pressedImage,
                        unsigned hoverImage, unsigned disabledImage, unsigned focusedImage);
    // Plain form: no images, a flat grey face with a one-pixel frame and a 9-point
    // "黑体" caption; pressed and hover turn blue, pressed with white text, disabled
    // grey text. The caption sits 1 pixel right of centre, and 2 pixels below it
    // when textOffset is non-zero.
    virtual bool CreateDefault(const char* caption, const RECT& rect, QWidget* parent, unsigned id,
                               int textOffset);

    bool IsCreated() const { return m_bCreated; }
    unsigned GetDlgCtrlID() const { return m_nID; }
    bool IsHovering() const { return m_bHovering != 0; }
    // True when the next pointer move starts a new hover request.
    bool IsTrackingArmed() const { return m_bTrackingArmed != 0; }

    // Composes one paint: a white surface of the button's size receives the face
    // of the state's style, then reaches the target in one copy. A hidden button
    // draws nothing.
    void DrawItem(QPaintDevice* target);

    // Pointer tracking, called from the widget's event handlers.
    // A move while armed starts a hover request: the hover comes after kHoverTimeMs
    // without further moves, the leave when the pointer leaves the button.
    void OnMouseMove();
    // The pointer rested: hovering, repaint, armed again for the next move.
    void OnMouseHover();
    // The pointer left: not hovering, repaint, armed again.
    void OnMouseLeave();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void DrawFocusFrame(CGUIEXDC* surface) const;

    QTimer m_hoverTimer;
    unsigned m_nID = 0;
    bool m_bCreated = false;
    int m_bTrackingArmed = 1;
    int m_bHovering = 0;
    bool m_bLeaveTracked = false;  // a move asked for the leave; cleared when it comes
    bool m_bKeyboardFocus = false;  // the focus came from the keyboard: the frame shows
};

}  // namespace COM_GUI_EX
