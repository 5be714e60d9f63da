#pragma once

// Image resources compiled into the program (":/png/<id>.png", ":/bmp/<id>.bmp") and
// fonts made from a face, a size in points and style flags.
#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>

namespace COM_GUI_EX {

// Resource types: the custom "PNG" type and the bitmap type (integer 2).
extern const char* const RT_PNG;
extern const char* const RT_BITMAP;

// Loads image resource id of the type. A missing resource, or one that cannot be
// loaded, returns false and leaves *out untouched; otherwise *out receives a new
// image that the caller owns (an undecodable resource gives an image of 0 × 0).
bool LoadImageResource(unsigned id, const char* type, QImage** out);

// Replaces *target by the font of the face at size points; a face that is not installed gives the generic sans-serif family.
void MakeFont(QFont* target, const QString& face, int size, bool bold = false, bool italic = false,
              bool underline = false);

}  // namespace COM_GUI_EX
