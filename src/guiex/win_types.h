#pragma once

// The few platform value types the toolkit's interfaces keep: colours as 0x00BBGGRR
// and rectangles whose right and bottom edges are exclusive (ToQRect gives Qt's form).
#include <QRect>
#include <cstdint>

using COLORREF = uint32_t;

constexpr uint8_t GetRValue(COLORREF c)
{
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GetGValue(COLORREF c)
{
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t GetBValue(COLORREF c)
{
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive
};

inline QRect ToQRect(const RECT& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// Pen styles of DrawLine.
constexpr int PS_SOLID = 0;
constexpr int PS_DOT = 2;
