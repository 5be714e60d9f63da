#include "guiex/control_style.h"

#include "guiex/guiex_dc.h"
#include "guiex/image_resources.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace COM_GUI_EX {

namespace {

// "宋体" (SimSun), the caption face until one is set.
const char kDefaultFontFace[] = "\xE5\xAE\x8B\xE4\xBD\x93";

// Values of the auxiliary triple that mark it as never set.
constexpr int kAuxUnsetA = 0xFFFF;
constexpr int kAuxUnsetB = -1;
constexpr int kAuxUnsetC = -1;

// Translucent bands of the bevel: white and black at alpha 80.
const QColor kBevelLight(255, 255, 255, 0x50);
const QColor kBevelDark(0, 0, 0, 0x50);

char* CopyText(const char* text)
{
    const char* source = text ? text : "";
    const size_t length = std::strlen(source);
    char* copy = new char[length + 1];
    std::memcpy(copy, source, length + 1);
    return copy;
}

// Stores value and reports whether it differed from what was stored.
template <class T>
bool Store(T* field, T value)
{
    if (*field == value)
        return false;
    *field = value;
    return true;
}

// trunc(v + 0.5), kept within the int range.
int RoundHalfUp(double v)
{
    const double rounded = std::trunc(v + 0.5);
    if (!(rounded < static_cast<double>(INT_MAX)))
        return INT_MAX;
    if (!(rounded > static_cast<double>(INT_MIN)))
        return INT_MIN;
    return static_cast<int>(rounded);
}

// The control's window text: a button's text, any other widget's title.
QString WindowText(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    return control->windowTitle();
}

// Renders the parent alone, without its children, at the control's place into
// (0, 0) of pixels. Rendering the children would include the control itself,
// whose face is what is being made. A control without a parent gets nothing.
void RenderParentUnder(QWidget* control, QImage* pixels)
{
    QWidget* parent = control->parentWidget();
    if (parent == nullptr || control->isWindow() || pixels == nullptr)
        return;
    const QRect area = control->geometry();  // in the parent's client coordinates
    parent->render(pixels, QPoint(0, 0), QRegion(area), QWidget::DrawWindowBackground);
}

}  // namespace

QSize FitImageSize(QSize imageSize, QSize clientSize, FitMode mode)
{
    const int W = imageSize.width();
    const int H = imageSize.height();
    const int rw = clientSize.width();
    const int rh = clientSize.height();
    if (W <= 0 || H <= 0)
        return QSize(0, 0);
    // Wider relative to the client area than tall: cover keeps the height and
    // overflows the width, contain keeps the width.
    const bool wider = int64_t(rh) * W > int64_t(rw) * H;
    const bool fitHeight = (mode == FitMode::Cover) == wider;
    if (fitHeight)
        return QSize(RoundHalfUp(static_cast<double>(rh) / H * W), rh);
    return QSize(rw, RoundHalfUp(H * (static_cast<double>(rw) / W)));
}

void BevelPolygons(int width, int height, int border, QPoint light[6], QPoint dark[6])
{
    const int w = width - 1;
    const int h = height - 1;
    const int b = border;
    light[0] = QPoint(0, 0);
    light[1] = QPoint(w, 0);
    light[2] = QPoint(w - b, b);
    light[3] = QPoint(b, b);
    light[4] = QPoint(b, h - b);
    light[5] = QPoint(0, h);
    dark[0] = QPoint(0, h);
    dark[1] = QPoint(w, h);
    dark[2] = QPoint(w, 0);
    dark[3] = QPoint(w - b, b);
    dark[4] = QPoint(w - b, h - b);
    dark[5] = QPoint(b, h - b);
}

// ---------------------------------------------------------------------------
// CControlStyle

CControlStyle::CControlStyle()
    : m_pszFontFace(CopyText(kDefaultFontFace)), m_nAuxA(kAuxUnsetA), m_nAuxB(kAuxUnsetB),
      m_nAuxC(kAuxUnsetC)
{
}

CControlStyle::~CControlStyle()
{
    delete[] m_pszFontFace;
    delete m_pImage;
    delete m_pFaceDC;
}

void CControlStyle::SetAuxValues(int a, int b, int c)
{
    const bool unset = m_nAuxA == kAuxUnsetA && m_nAuxB == kAuxUnsetB && m_nAuxC == kAuxUnsetC;
    const bool changed = a != m_nAuxA || b != m_nAuxB || c != m_nAuxC;
    m_nAuxA = a;
    m_nAuxB = b;
    m_nAuxC = c;
    if (changed && !unset)
        m_bDirty = 1;
}

const QImage* CControlStyle::SetImage(unsigned id, const char* type)
{
    delete m_pImage;
    m_pImage = nullptr;
    QImage* loaded = nullptr;
    if (LoadImageResource(id, type, &loaded))
        m_pImage = loaded;
    m_bDirty = 1;
    return m_pImage;
}

void CControlStyle::SetImageMode(unsigned mode)
{
    if (Store(&m_nImageMode, mode))
        m_bDirty = 1;
}

void CControlStyle::SetBackColor(COLORREF color)
{
    if (Store(&m_crBack, color))
        m_bDirty = 1;
}

void CControlStyle::SetTransparent(int flag)
{
    m_bTransparent = flag;
    m_bDirty = 1;
}

void CControlStyle::SetBorderColor(COLORREF color)
{
    if (Store(&m_crBorder, color))
        m_bDirty = 1;
}

void CControlStyle::SetBorderType(int type)
{
    if (Store(&m_nBorderType, type))
        m_bDirty = 1;
}

void CControlStyle::SetTextColor(COLORREF color)
{
    if (Store(&m_crText, color))
        m_bDirty = 1;
}

void CControlStyle::SetFontFace(const char* face)
{
    if (std::strcmp(m_pszFontFace, face ? face : "") == 0)
        return;
    delete[] m_pszFontFace;
    m_pszFontFace = CopyText(face);
    m_bDirty = 1;
}

void CControlStyle::SetFontSize(int points)
{
    if (Store(&m_nFontSize, points))
        m_bDirty = 1;
}

void CControlStyle::SetTextOffset(int x, int y)
{
    const bool changedX = Store(&m_nTextOffsetX, x);
    const bool changedY = Store(&m_nTextOffsetY, y);
    if (changedX || changedY)
        m_bDirty = 1;
}

void CControlStyle::Draw(CGUIEXDC* target, QWidget* control)
{
    if (control == nullptr || target == nullptr || target->GetMemDC() == nullptr)
        return;
    const QSize client = control->size();
    if (m_pFaceDC == nullptr || m_bDirty) {
        RenderFace(target, control, client);
        m_bDirty = 0;
    }
    // The face keeps the size it was rendered at; the target clips what lies beyond.
    m_pFaceDC->CopyToDC(target->GetMemDC());
}

void CControlStyle::RenderFace(const CGUIEXDC* target, QWidget* control, QSize client)
{
    delete m_pFaceDC;
    m_pFaceDC = new CGUIEXDC(target->GetMemDC(), client.width(), client.height());
    ++m_nRenderCount;
    if (m_pFaceDC->GetMemDC() == nullptr)
        return;  // an empty client area has no pixels to draw

    if (m_bTransparent) {
        // White stands for the parent wherever it cannot be read.
        m_pFaceDC->FillSolid(0xFFFFFF);
        DrawParentBackground(m_pFaceDC, control);
    } else {
        m_pFaceDC->FillSolid(m_crBack);
    }
    DrawImage(m_pFaceDC, client);
    if (m_nBorderType != BORDER_NONE)
        DrawBorder(m_pFaceDC, client);
    DrawCaption(m_pFaceDC, control, client);
}

void CControlStyle::DrawParentBackground(CGUIEXDC* face, QWidget* control)
{
    // The snapshot the set took at its first paint; a style added after that reads
    // the parent anew each time its face is rendered.
    if (m_pParentBkgnd != nullptr) {
        face->CopyFromDC(m_pParentBkgnd->GetMemDC());
        return;
    }
    RenderParentUnder(control, face->GetMemDC());
}

void CControlStyle::DrawImage(CGUIEXDC* face, QSize client)
{
    if (m_pImage == nullptr || m_pImage->isNull() || m_nImageMode > IMAGE_MODE_CONTAIN_FLIP)
        return;
    QSize size;
    switch (m_nImageMode) {
    case IMAGE_MODE_ORIGINAL: size = m_pImage->size(); break;
    case IMAGE_MODE_COVER:
    case IMAGE_MODE_COVER_FLIP: size = FitImageSize(m_pImage->size(), client, FitMode::Cover); break;
    case IMAGE_MODE_STRETCH:
    case IMAGE_MODE_STRETCH_FLIP: size = client; break;
    default: size = FitImageSize(m_pImage->size(), client, FitMode::Contain); break;
    }
    if (size.isEmpty())
        return;
    QPainter painter(face->GetMemDC());
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // The whole image goes into the rectangle from the image origin, never centred.
    // Scaling samples beyond the image's edges as its edge pixels, which is what a
    // tile-flip wrap gives at the border, so modes 4-6 draw as 1-3 do.
    painter.drawImage(QRect(QPoint(m_nImageX, m_nImageY), size), *m_pImage);
}

void CControlStyle::DrawBorder(CGUIEXDC* face, QSize client)
{
    if (m_nBorderType != BORDER_FRAME && m_nBorderType != BORDER_BEVEL)
        return;
    // The frame runs through the outermost pixels: (0, 0) to (width - 1, height - 1).
    const RECT frame{0, 0, client.width(), client.height()};
    face->DrawFrameRect(&frame, m_crBorder, m_nBorderWidth);
    if (m_nBorderType != BORDER_BEVEL)
        return;
    QPoint light[6];
    QPoint dark[6];
    BevelPolygons(client.width(), client.height(), m_nBorderWidth, light, dark);
    // Filled without smoothing, so each band keeps its integer pixel area: a pixel
    // belongs to a band when it lies inside it, counting its top and left edges.
    // With a width of 1 the light band overlays the frame's top row and left column
    // and the dark band the pixels just inside its right column and bottom row.
    QPainter painter(face->GetMemDC());
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBevelLight);
    painter.drawPolygon(light, 6, Qt::OddEvenFill);
    painter.setBrush(kBevelDark);
    painter.drawPolygon(dark, 6, Qt::OddEvenFill);
}

void CControlStyle::DrawCaption(CGUIEXDC* face, QWidget* control, QSize client)
{
    const QString text = WindowText(control);
    if (text.isEmpty())
        return;
    // A size of 0 or below makes no font, and the caption is not drawn.
    face->SetFont(QString::fromUtf8(m_pszFontFace), m_nFontSize);
    face->SetBrushColor(m_crText);
    const RECT box{m_nTextOffsetX, m_nTextOffsetY, m_nTextOffsetX + client.width(),
                   m_nTextOffsetY + client.height()};
    // The surface's alignment bits are the caption's: 1 left, 2 right, 4 top, 8 bottom.
    face->DrawTextInRect(text, &box, m_nAlignment, 0);
}

// ---------------------------------------------------------------------------
// CControlMultiStyle

CControlMultiStyle::CControlMultiStyle()
{
    AddStyle(0);
    m_nCurrentKey = 0;
    m_pCurrentStyle = FindStyle(0);
}

CControlMultiStyle::~CControlMultiStyle()
{
    delete m_pSnapshotDC;
    for (auto* node = m_lstStyles.GetHead(); node != nullptr; node = node->pNext)
        delete node->pElement;
    m_lstStyles.RemoveAll();
    for (auto* node = m_lstKeys.GetHead(); node != nullptr; node = node->pNext)
        delete node->pElement;
    m_lstKeys.RemoveAll();
}

template <class F>
void CControlMultiStyle::ForEachStyle(F f)
{
    for (auto* node = m_lstStyles.GetHead(); node != nullptr; node = node->pNext)
        f(node->pElement);
}

CControlStyle* CControlMultiStyle::FindStyle(int key) const
{
    auto* style = m_lstStyles.GetHead();
    for (auto* node = m_lstKeys.GetHead(); node != nullptr && style != nullptr;
         node = node->pNext, style = style->pNext) {
        if (*node->pElement == key)
            return style->pElement;
    }
    return nullptr;
}

bool CControlMultiStyle::AddStyle(int key)
{
    if (HasStyle(key))
        return false;
    m_lstStyles.AddTail(new CControlStyle);
    m_lstKeys.AddTail(new int(key));
    return true;
}

bool CControlMultiStyle::HasStyle(int key) const
{
    for (auto* node = m_lstKeys.GetHead(); node != nullptr; node = node->pNext) {
        if (*node->pElement == key)
            return true;
    }
    return false;
}

CControlStyle* CControlMultiStyle::GetStyle(int key) const
{
    if (key == m_nCurrentKey)
        return m_pCurrentStyle;
    return FindStyle(key);
}

bool CControlMultiStyle::SetCurrentKey(int key)
{
    if (key == m_nCurrentKey)
        return true;
    CControlStyle* style = FindStyle(key);
    if (style == nullptr)
        return false;
    m_nCurrentKey = key;
    m_pCurrentStyle = style;
    return true;
}

const QImage* CControlMultiStyle::SetImage(unsigned id, const char* type, int key)
{
    CControlStyle* style = GetStyle(key);
    return style ? style->SetImage(id, type) : nullptr;
}

void CControlMultiStyle::SetBackColor(COLORREF color, int key)
{
    if (CControlStyle* style = GetStyle(key))
        style->SetBackColor(color);
}

void CControlMultiStyle::SetBorderColor(COLORREF color, int key)
{
    if (CControlStyle* style = GetStyle(key))
        style->SetBorderColor(color);
}

void CControlMultiStyle::SetTextColor(COLORREF color, int key)
{
    if (CControlStyle* style = GetStyle(key))
        style->SetTextColor(color);
}

void CControlMultiStyle::SetImageModeAll(unsigned mode)
{
    ForEachStyle([mode](CControlStyle* s) { s->SetImageMode(mode); });
}

void CControlMultiStyle::SetBackColorAll(COLORREF color)
{
    ForEachStyle([color](CControlStyle* s) { s->SetBackColor(color); });
}

void CControlMultiStyle::SetTransparentAll(int flag)
{
    ForEachStyle([flag](CControlStyle* s) { s->SetTransparent(flag); });
}

void CControlMultiStyle::SetBorderColorAll(COLORREF color)
{
    ForEachStyle([color](CControlStyle* s) { s->SetBorderColor(color); });
}

void CControlMultiStyle::SetBorderTypeAll(int type)
{
    ForEachStyle([type](CControlStyle* s) { s->SetBorderType(type); });
}

void CControlMultiStyle::SetTextColorAll(COLORREF color)
{
    ForEachStyle([color](CControlStyle* s) { s->SetTextColor(color); });
}

void CControlMultiStyle::SetFontFaceAll(const char* face)
{
    ForEachStyle([face](CControlStyle* s) { s->SetFontFace(face); });
}

void CControlMultiStyle::SetFontSizeAll(int points)
{
    ForEachStyle([points](CControlStyle* s) { s->SetFontSize(points); });
}

void CControlMultiStyle::SetTextOffsetAll(int x, int y)
{
    ForEachStyle([x, y](CControlStyle* s) { s->SetTextOffset(x, y); });
}

void CControlMultiStyle::SetAuxValues(int a, int b, int c)
{
    ForEachStyle([a, b, c](CControlStyle* s) { s->SetAuxValues(a, b, c); });
}

void CControlMultiStyle::Draw(CGUIEXDC* target, QWidget* control)
{
    if (control == nullptr || target == nullptr || target->GetMemDC() == nullptr)
        return;
    if (m_pSnapshotDC == nullptr) {
        TakeParentSnapshot(target, control);
        const CGUIEXDC* snapshot = m_pSnapshotDC;
        ForEachStyle([snapshot](CControlStyle* s) { s->SetParentBackground(snapshot); });
    }
    CControlStyle* style = m_pCurrentStyle ? m_pCurrentStyle : FindStyle(0);
    if (style != nullptr)
        style->Draw(target, control);
}

void CControlMultiStyle::TakeParentSnapshot(const CGUIEXDC* target, QWidget* control)
{
    // Taken once, at the first paint, and never refreshed: the parent's background
    // under a control does not change while the control lives.
    delete m_pSnapshotDC;
    const QSize size = control->size();
    m_pSnapshotDC = new CGUIEXDC(target->GetMemDC(), size.width(), size.height());
    if (QImage* pixels = m_pSnapshotDC->GetMemDC()) {
        // White where the parent paints nothing of its own, or when there is no parent.
        m_pSnapshotDC->FillSolid(0xFFFFFF);
        RenderParentUnder(control, pixels);
    }
}

}  // namespace COM_GUI_EX
