#pragma once

// The small modal window shown while the worker loads a file: "Please wait ..." on a
// white to light-blue background, with an eight-frame wheel turning beside it. The
// user cannot close it (no caption; Enter, Escape and the close request do nothing).
// It ends when WM_WAITING_CLOSE is posted to it: by the main window once the load
// has finished, or by itself after about 100 s.
#include "guiex/win_types.h"

#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <string>

class QEvent;
class QKeyEvent;
class QPaintEvent;
class QShowEvent;
class QHideEvent;

namespace COM_GUI_EX {
class CGUIEXDC;
}

// Posted to the waiting window to end it (wParam and lParam 0).
constexpr uint32_t WM_WAITING_CLOSE = 0x9d99;

class CWaitingDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr unsigned kTimerId = 100;       // the animation timer
    static constexpr int kTimerPeriodMs = 100;
    static constexpr int kTimeoutTicks = 1000;      // the time-out text from this tick on
    static constexpr int kFrameSize = 50;           // side of one wheel frame, pixels
    static constexpr unsigned kFirstFrameId = 1701; // bitmap resources 1701..1708

    // Client size: 258 × 61 dialog units of the 8-point dialog font (6 × 13 pixel
    // base units at 96 dpi, so 387 × 99 pixels), through the display scaling.
    static QSize DialogSize();

    explicit CWaitingDlg(QWidget* parent);
    ~CWaitingDlg() override;

    // Runs once, when the window is first shown: builds the images, starts the
    // animation timer and centres the window over its owner's window inside the
    // owner's screen work area (the primary screen's work area when there is no
    // visible owner).
    bool OnInitDialog();
    // One animation tick; ids other than kTimerId are ignored. Past kTimeoutTicks
    // the counter restarts and WM_WAITING_CLOSE is posted to this window.
    void OnTimer(unsigned id);

    int GetTicks() const { return m_nTicks; }
    int GetFrame() const { return m_nFrame; }
    int GetFrameCount() const { return m_nFrames; }
    RECT GetIconRect() const { return m_rcIcon; }
    // True while paints show the time-out text instead of "Please wait ...".
    bool IsTimeoutTextShown() const { return m_nTicks >= kTimeoutTicks; }

public slots:
    // Enter and Escape, and the close request (which QDialog turns into reject),
    // end up here and do nothing: only WM_WAITING_CLOSE ends the window.
    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // Ends the window with Accepted, past the empty accept().
    void OnWaitingClose();
    void BuildImages();
    // A client-sized image: white, the gradient over the right three quarters, the
    // grey frame and m_strText centred in the face and size given.
    COM_GUI_EX::CGUIEXDC* MakeTextImage(const char* face, int points);
    void CentreOverOwner();

    COM_GUI_EX::CGUIEXDC* m_pStrip = nullptr;       // the frames side by side
    int m_nFrames = 0;
    int m_nFrame = 0;
    RECT m_rcIcon;                                  // where the wheel is drawn
    RECT m_rcClient;
    COM_GUI_EX::CGUIEXDC* m_pTextNormal = nullptr;  // background with "Please wait ..."
    COM_GUI_EX::CGUIEXDC* m_pTextTimeout = nullptr; // background with the time-out text
    COM_GUI_EX::CGUIEXDC* m_pBack = nullptr;        // each paint is composed here
    int m_nTicks = 0;
    std::string m_strText;                          // text being put into a text image

    QTimer m_timer;
    bool m_bInitialised = false;
};

// The waiting window being shown, null when there is none. User-interface thread only.
extern CWaitingDlg* g_pWaitingDlg;

// Runs a waiting window modally over the parent and deletes it when it has ended.
// While one is already shown it returns false at once and opens no second window.
bool RunWaitingDialog(QWidget* parent);

// Posts WM_WAITING_CLOSE to the waiting window when one is shown; returns whether it
// did. User-interface thread only.
bool PostWaitingClose();
