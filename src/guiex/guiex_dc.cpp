#include "guiex/guiex_dc.h"

#include <QPaintDevice>

namespace COM_GUI_EX {

CGUIEXDC::CGUIEXDC(const QPaintDevice* reference, int width, int height)
    : m_nWidth(width), m_nHeight(height)
{
    if (width <= 0 || height <= 0)
        return;
    m_image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (reference) {
        // Keep the reference's resolution so point sizes render as they would on it.
        m_image.setDotsPerMeterX(qRound(reference->logicalDpiX() / 0.0254));
        m_image.setDotsPerMeterY(qRound(reference->logicalDpiY() / 0.0254));
    }
}

CGUIEXDC::~CGUIEXDC() = default;

QImage* CGUIEXDC::GetMemDC()
{
    return m_image.isNull() ? nullptr : &m_image;
}

const QImage* CGUIEXDC::GetMemDC() const
{
    return m_image.isNull() ? nullptr : &m_image;
}

}  // namespace COM_GUI_EX
