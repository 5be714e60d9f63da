#pragma once

// Off-screen drawing surface of fixed size: a 32-bit image that windows, the
// worker and printing draw into and copy between. One thread uses a surface at a time.
#include <QImage>
#include <QSize>

class QPaintDevice;

namespace COM_GUI_EX {

class CGUIEXDC {
public:
    // A blank surface of width × height whose resolution matches the reference
    // device (a screen surface when null); the pixels are undefined until filled.
    CGUIEXDC(const QPaintDevice* reference, int width, int height);
    virtual ~CGUIEXDC();

    CGUIEXDC(const CGUIEXDC&) = delete;
    CGUIEXDC& operator=(const CGUIEXDC&) = delete;

    // The pixels; null when the surface could not be made.
    QImage* GetMemDC();
    const QImage* GetMemDC() const;
    QSize GetSize() const { return QSize(m_nWidth, m_nHeight); }

private:
    QImage m_image;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

}  // namespace COM_GUI_EX
