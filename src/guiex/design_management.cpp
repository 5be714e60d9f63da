#include "guiex/design_management.h"

#include "guiex/guiex_dc.h"
#include "guiex/image_resources.h"
#include "guiex/smooth_btn.h"
#include "guiex/strings.h"

#include <QFont>
#include <QWidget>

namespace COM_GUI_EX {

namespace {

constexpr unsigned kFaceStringId = 1000;

}  // namespace

CDesignManagement* CDesignManagement::GetInstance()
{
    static CDesignManagement instance;
    return &instance;
}

CDesignManagement::CDesignManagement() = default;

CDesignManagement::~CDesignManagement()
{
    delete m_pFont;
}

void CDesignManagement::EnsureCreated()
{
    if (m_bCreated)
        return;
    m_strFace = LoadString(kFaceStringId);
    m_hCursor = Qt::PointingHandCursor;
    m_nFontSize = kFontSize;
    m_pFont = new QFont;
    MakeFont(m_pFont, m_strFace, m_nFontSize);
    m_bCreated = 1;
}

void CDesignManagement::ApplyButtonLook(CGUIEXSmoothBtn* button)
{
    EnsureCreated();
    if (button == nullptr)
        return;
    button->SetBorderTypeAll(BORDER_NONE);
    button->SetTransparentAll(1);
    // The hand cursor is set on this button only. A cursor given to the platform's
    // button class would reach every push button, check box and radio button of
    // the process; here each widget owns its cursor, and only image buttons get
    // the hand.
    button->setCursor(m_hCursor);
}

void CDesignManagement::ApplyControlFont(QWidget* control)
{
    EnsureCreated();
    if (control != nullptr && m_pFont != nullptr)
        control->setFont(*m_pFont);
}

void CDesignManagement::ApplySurfaceFont(CGUIEXDC* dc) const
{
    if (dc != nullptr)
        dc->SetFont(m_strFace, kFontSize);
}

}  // namespace COM_GUI_EX
