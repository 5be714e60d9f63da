#pragma once

// Window messages between the worker, the chart and the main window travel as
// posted Qt events whose type equals the message value (all lie in Qt's user range).
#include <QEvent>
#include <cstdint>

class QObject;

namespace COM_GUI_EX {

class CPostedMessage : public QEvent {
public:
    CPostedMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    uint32_t Message() const { return static_cast<uint32_t>(type()); }
    uintptr_t WParam() const { return m_wParam; }
    intptr_t LParam() const { return m_lParam; }

private:
    uintptr_t m_wParam;
    intptr_t m_lParam;
};

// Queues the message for the receiver's thread; safe to call from any thread.
void PostMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace COM_GUI_EX
