#include "guiex/posted_message.h"

#include <QCoreApplication>

namespace COM_GUI_EX {

CPostedMessage::CPostedMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
    : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam)
{
}

void PostMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    QCoreApplication::postEvent(receiver, new CPostedMessage(message, wParam, lParam));
}

}  // namespace COM_GUI_EX
