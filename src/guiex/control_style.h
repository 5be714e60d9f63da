#pragma once

// Per-state looks of the custom-drawn controls.
//
// A CControlStyle renders a control's whole face: a background (a solid colour, or
// the parent's pixels under the control), an image from the program's resources,
// an optional frame with an optional bevel, and the control's text. The face is
// rendered once into a surface of the control's client size and afterwards only
// copied, until a setting changes (the dirty flag).
//
// A CControlMultiStyle maps integer keys to styles and remembers which key is
// current; key 0 always exists. Each style keeps its own face, so switching the
// current key after every state has been drawn once costs one copy.
//
// Colours are COLORREF values (0x00BBGGRR). Everything here runs on the
// user-interface thread.
#include "common/cmnex_list.h"
#include "guiex/win_types.h"

#include <QPoint>
#include <QSize>

class QImage;
class QWidget;

namespace COM_GUI_EX {

class CGUIEXDC;

// Image modes of SetImageMode.
enum ImageMode : unsigned {
    IMAGE_MODE_ORIGINAL = 0,        // the image's own size
    IMAGE_MODE_COVER = 1,           // scaled to cover the client area, overflowing one side
    IMAGE_MODE_STRETCH = 2,         // stretched over the client area
    IMAGE_MODE_CONTAIN = 3,         // scaled to fit inside the client area
    IMAGE_MODE_COVER_FLIP = 4,      // as 1, edges sampled as a tile-flip pattern
    IMAGE_MODE_STRETCH_FLIP = 5,    // as 2, likewise
    IMAGE_MODE_CONTAIN_FLIP = 6,    // as 3, likewise
};

// Border types of SetBorderType.
enum BorderType : int {
    BORDER_NONE = 0,
    BORDER_FRAME = 1,
    BORDER_BEVEL = 2,  // frame plus a light band top-left and a dark band bottom-right
};

// Caption alignment bits: neither horizontal bit centres, neither vertical bit centres.
enum CaptionAlign : unsigned {
    ALIGN_LEFT = 1,
    ALIGN_RIGHT = 2,
    ALIGN_TOP = 4,
    ALIGN_BOTTOM = 8,
};

enum class FitMode { Cover, Contain };

// Drawn size of an image of imageSize in a client area of clientSize. Cover scales by
// the larger of the two ratios (the image covers the area and overflows one side),
// contain by the smaller (the image fits inside). The sides are compared through the
// integer products clientHeight × imageWidth and clientWidth × imageHeight; the
// scaled side is computed in double precision, rounded by adding 0.5 and truncating.
// An image with a side of 0 or less has no drawn size (0 × 0).
QSize FitImageSize(QSize imageSize, QSize clientSize, FitMode mode);

// The two six-point bevel polygons of a client area width × height with bands of
// border pixels (integer coordinates are pixel centres): the light band along the
// top and left edges and the dark band along the right and bottom edges.
void BevelPolygons(int width, int height, int border, QPoint light[6], QPoint dark[6]);

class CControlStyle {
public:
    CControlStyle();
    virtual ~CControlStyle();

    CControlStyle(const CControlStyle&) = delete;
    CControlStyle& operator=(const CControlStyle&) = delete;

    // Copies the face to (0, 0) of the target, rendering it first when it is missing
    // or dirty. Nothing happens without a control or a target with pixels.
    virtual void Draw(CGUIEXDC* target, QWidget* control);
    // Three values kept with the style; no drawing step reads them. While they still
    // hold their initial values (0xFFFF, -1, -1) a store leaves the face clean, after
    // that a change marks it dirty.
    virtual void SetAuxValues(int a, int b, int c);

    // Replaces the image by image resource id of the type; a resource that cannot
    // be loaded leaves the style without an image. Always marks the face dirty.
    // Returns the new image, owned by the style, or null.
    const QImage* SetImage(unsigned id, const char* type);
    void SetImageMode(unsigned mode);
    void SetBackColor(COLORREF color);
    // Parent-background mode; always marks the face dirty.
    void SetTransparent(int flag);
    void SetBorderColor(COLORREF color);
    void SetBorderType(int type);
    void SetTextColor(COLORREF color);
    // UTF-8 text; null is the empty name.
    void SetFontFace(const char* face);
    void SetFontSize(int points);
    void SetTextOffset(int x, int y);

    // The surface holding the parent's pixels under the control, lent by the set
    // that owns this style; null reads the parent directly at each rendering.
    void SetParentBackground(const CGUIEXDC* snapshot) { m_pParentBkgnd = snapshot; }

    const char* GetFontFace() const { return m_pszFontFace; }
    int GetFontSize() const { return m_nFontSize; }
    unsigned GetAlignment() const { return m_nAlignment; }
    QPoint GetTextOffset() const { return QPoint(m_nTextOffsetX, m_nTextOffsetY); }
    COLORREF GetTextColor() const { return m_crText; }
    int GetBorderType() const { return m_nBorderType; }
    int GetBorderWidth() const { return m_nBorderWidth; }
    COLORREF GetBorderColor() const { return m_crBorder; }
    COLORREF GetBackColor() const { return m_crBack; }
    int GetTransparent() const { return m_bTransparent; }
    const QImage* GetImage() const { return m_pImage; }
    unsigned GetImageMode() const { return m_nImageMode; }
    const CGUIEXDC* GetParentBackground() const { return m_pParentBkgnd; }
    bool IsDirty() const { return m_bDirty != 0; }
    // The last rendered face (null before the first Draw) and how many times a face
    // has been rendered: a Draw with nothing changed renders nothing new.
    const CGUIEXDC* GetFace() const { return m_pFaceDC; }
    int GetRenderCount() const { return m_nRenderCount; }

private:
    void RenderFace(const CGUIEXDC* target, QWidget* control, QSize client);
    void DrawParentBackground(CGUIEXDC* face, QWidget* control);
    void DrawImage(CGUIEXDC* face, QSize client);
    void DrawBorder(CGUIEXDC* face, QSize client);
    void DrawCaption(CGUIEXDC* face, QWidget* control, QSize client);

    char* m_pszFontFace;  // owned heap copy
    int m_nFontSize = 10;
    unsigned m_nAlignment = 0;
    int m_nTextOffsetX = 0;
    int m_nTextOffsetY = 0;
    COLORREF m_crText = 0;
    int m_nBorderType = BORDER_FRAME;
    int m_nBorderWidth = 1;
    COLORREF m_crBorder = 0;
    COLORREF m_crBack = 0xFFFFFF;
    int m_bTransparent = 0;
    QImage* m_pImage = nullptr;  // owned
    int m_nImageX = 0;
    int m_nImageY = 0;
    unsigned m_nImageMode = IMAGE_MODE_ORIGINAL;
    CGUIEXDC* m_pFaceDC = nullptr;  // owned
    int m_bDirty = 1;
    int m_nAuxA;
    int m_nAuxB;
    int m_nAuxC;
    const CGUIEXDC* m_pParentBkgnd = nullptr;  // borrowed from the owning set
    int m_nRenderCount = 0;
};

class CControlMultiStyle {
public:
    // Holds one style, key 0, which is current.
    CControlMultiStyle();
    virtual ~CControlMultiStyle();

    CControlMultiStyle(const CControlMultiStyle&) = delete;
    CControlMultiStyle& operator=(const CControlMultiStyle&) = delete;

    // At the first call takes the snapshot of the parent's pixels under the control
    // and lends it to every style; then draws the current style (key 0's when there
    // is no current one) into the target.
    virtual void Draw(CGUIEXDC* target, QWidget* control);
    virtual void SetAuxValues(int a, int b, int c);

    // False when the key exists; otherwise appends a style with the initial values.
    bool AddStyle(int key);
    bool HasStyle(int key) const;
    // The key's style, or null.
    CControlStyle* GetStyle(int key) const;
    int GetStyleCount() const { return m_lstStyles.GetCount(); }
    int GetCurrentKey() const { return m_nCurrentKey; }
    // False and no change when the key does not exist.
    bool SetCurrentKey(int key);

    // Per-key settings; a key that does not exist changes nothing (SetImage: null).
    const QImage* SetImage(unsigned id, const char* type, int key);
    void SetBackColor(COLORREF color, int key);
    void SetBorderColor(COLORREF color, int key);
    void SetTextColor(COLORREF color, int key);

    // The same setting on every style, in the order the styles were added.
    void SetImageModeAll(unsigned mode);
    void SetBackColorAll(COLORREF color);
    void SetTransparentAll(int flag);
    void SetBorderColorAll(COLORREF color);
    void SetBorderTypeAll(int type);
    void SetTextColorAll(COLORREF color);
    void SetFontFaceAll(const char* face);
    void SetFontSizeAll(int points);
    void SetTextOffsetAll(int x, int y);

    // The parent's pixels under the control, taken at the first Draw; null before.
    const CGUIEXDC* GetParentSnapshot() const { return m_pSnapshotDC; }

private:
    void TakeParentSnapshot(const CGUIEXDC* target, QWidget* control);
    CControlStyle* FindStyle(int key) const;
    template <class F>
    void ForEachStyle(F f);

    COMMON_EX::CMNEXList<CControlStyle> m_lstStyles;  // owned styles
    COMMON_EX::CMNEXList<int> m_lstKeys;              // owned keys, parallel to the styles
    int m_nCurrentKey = 0;
    CControlStyle* m_pCurrentStyle = nullptr;
    CGUIEXDC* m_pSnapshotDC = nullptr;  // owned
};

}  // namespace COM_GUI_EX
