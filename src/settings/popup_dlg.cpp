#include "settings/popup_dlg.h"

#include "guiex/design_management.h"
#include "guiex/guiex_dc.h"
#include "guiex/image_resources.h"
#include "guiex/parameters_base.h"
#include "guiex/smooth_btn.h"
#include "guiex/strings.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <string>

namespace {

constexpr unsigned kBackgroundImage = 200;
constexpr unsigned kOkNormalImage = 242;
constexpr unsigned kOkHoverImage = 241;

}  // namespace

CPopupFormDlg::CPopupFormDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    // Each paint copies the whole background surface: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPopupFormDlg::~CPopupFormDlg() = default;

void CPopupFormDlg::SetPosition(int x, int y)
{
    m_nPosX = x;
    m_nPosY = y;
}

QWidget* CPopupFormDlg::GetDlgItem(unsigned id) const
{
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CPopupFormDlg::setVisible(bool visible)
{
    if (visible && !m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CPopupFormDlg::PlaceWindow(int width, int height)
{
    setFixedSize(width, height);
    if (m_nPosX > 0 && m_nPosY > 0) {
        move(m_nPosX, m_nPosY);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
    }
}

void CPopupFormDlg::AddControl(QWidget* control, unsigned id, const RECT& rect)
{
    control->setParent(this);
    control->setObjectName(QString::number(id));
    control->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    COM_GUI_EX::CDesignManagement::GetInstance()->ApplyControlFont(control);
}

void CPopupFormDlg::CreateOkButton()
{
    const int width = std::max(S(90), 108);
    const int height = std::max(S(25), 30);
    const int right = this->width() - S(8) - S(5);
    const int bottom = this->height() - S(8) - S(5);
    const RECT rect{right - width, bottom - height, right, bottom};
    m_pOkButton = new COM_GUI_EX::CGUIEXSmoothBtn;
    m_pOkButton->Create("", rect, this, kOkId, COM_GUI_EX::RT_PNG, kOkNormalImage, 0, kOkHoverImage, 0, 0);
    m_pOkButton->setObjectName(QString::number(kOkId));
    m_pOkButton->setFocusPolicy(Qt::StrongFocus);  // reachable with Tab like the other controls
    COM_GUI_EX::CDesignManagement::GetInstance()->ApplyButtonLook(m_pOkButton);
    connect(m_pOkButton, &QAbstractButton::clicked, this, &QDialog::accept);
}

void CPopupFormDlg::BuildBackground(const unsigned* captions, int count, int captionRight, int pitch)
{
    const int width = this->width();
    const int height = this->height();
    m_pBackground.reset(new COM_GUI_EX::CGUIEXDC(this, width, height));
    m_pBackground->FillSolid(0xFFFFFF);  // what shows when the picture is missing
    COM_GUI_EX::CGUIEXDC picture(this, kBackgroundImage, COM_GUI_EX::RT_PNG);
    if (const QImage* image = picture.GetMemDC()) {
        // Nearest-neighbour stretch, no smoothing.
        QPainter painter(m_pBackground->GetMemDC());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRect(0, 0, width, height), *image);
    }
    COM_GUI_EX::CDesignManagement::GetInstance()->ApplySurfaceFont(m_pBackground.get());
    const int top = 2 * S(8);
    for (int i = 0; i < count; ++i) {
        const RECT box{2 * S(8), top + i * pitch, captionRight, top + S(30) + i * pitch};
        m_pBackground->DrawTextInRect(COM_GUI_EX::LoadString(captions[i]), &box, 1, 0);
    }
}

void CPopupFormDlg::paintEvent(QPaintEvent*)
{
    if (m_pBackground)
        m_pBackground->CopyToDC(this);
}
