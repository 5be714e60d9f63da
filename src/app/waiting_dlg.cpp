#include "app/waiting_dlg.h"

#include "guiex/guiex_dc.h"
#include "guiex/image_resources.h"
#include "guiex/parameters_base.h"
#include "guiex/posted_message.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>

using COM_GUI_EX::CGUIEXDC;

CWaitingDlg* g_pWaitingDlg = nullptr;

namespace {

// Template size in dialog units and the dialog font's base units at 96 dpi.
constexpr int kWidthDlu = 258;
constexpr int kHeightDlu = 61;
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kLightBlue = 0xF4CCAB;  // RGB 171, 204, 244
constexpr COLORREF kFrameGrey = 0xAAAAAA;

constexpr int kFrameCount = 8;

const char* const kTextNormal = "Please wait ...";
const char* const kTextTimeout = "等待超时，此对话框将自动关闭 ...";

// value × base / divisor, rounded to nearest, as the platform maps dialog units.
int DluToPixels(int value, int base, int divisor)
{
    return (value * base * 2 + divisor) / (2 * divisor);
}

// Copies w × h pixels from (sx, sy) of the source to (x, y) of the destination,
// replacing what is there.
void BitBlt(CGUIEXDC* dest, int x, int y, int w, int h, const CGUIEXDC* source, int sx, int sy)
{
    QImage* target = dest->GetMemDC();
    const QImage* image = source->GetMemDC();
    if (!target || !image)
        return;
    QPainter painter(target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRect(x, y, w, h), *image, QRect(sx, sy, w, h));
}

}  // namespace

QSize CWaitingDlg::DialogSize()
{
    return QSize(S(DluToPixels(kWidthDlu, kBaseUnitX, 4)), S(DluToPixels(kHeightDlu, kBaseUnitY, 8)));
}

CWaitingDlg::CWaitingDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setModal(true);
    setFixedSize(DialogSize());
    // Each paint covers the whole client area from the composed image: nothing is
    // erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);

    m_timer.setParent(this);
    m_timer.setInterval(kTimerPeriodMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(kTimerId); });
}

CWaitingDlg::~CWaitingDlg()
{
    delete m_pStrip;
    delete m_pTextNormal;
    delete m_pTextTimeout;
    delete m_pBack;
    if (g_pWaitingDlg == this)
        g_pWaitingDlg = nullptr;
}

bool CWaitingDlg::OnInitDialog()
{
    if (m_bInitialised)
        return true;
    m_bInitialised = true;
    BuildImages();
    m_timer.start();
    CentreOverOwner();
    return true;
}

void CWaitingDlg::BuildImages()
{
    m_rcClient = RECT{0, 0, width(), height()};
    const int w = m_rcClient.right - m_rcClient.left;
    const int h = m_rcClient.bottom - m_rcClient.top;

    m_nFrames = kFrameCount;
    m_nFrame = 0;
    m_pStrip = new CGUIEXDC(this, m_nFrames * kFrameSize, kFrameSize);
    m_pStrip->FillSolid(kLightBlue);
    for (int i = 0; i < m_nFrames; ++i) {
        // A frame that cannot be loaded leaves its cell light blue.
        const CGUIEXDC frame(this, kFirstFrameId + static_cast<unsigned>(i), COM_GUI_EX::RT_BITMAP);
        BitBlt(m_pStrip, i * kFrameSize, 0, kFrameSize, kFrameSize, &frame, 0, 0);
    }

    // As far from the left edge as from the top, vertically centred.
    const int a = (h - kFrameSize) >> 1;
    m_rcIcon = RECT{a, a, a + kFrameSize, a + kFrameSize};

    m_strText = kTextNormal;
    m_pTextNormal = MakeTextImage("Courier New", 13);
    m_strText = kTextTimeout;
    m_pTextTimeout = MakeTextImage("黑体", 14);

    m_pBack = new CGUIEXDC(this, w, h);
    m_pBack->FillSolid(kWhite);
    m_nTicks = 0;
}

CGUIEXDC* CWaitingDlg::MakeTextImage(const char* face, int points)
{
    const int w = m_rcClient.right - m_rcClient.left;
    const int h = m_rcClient.bottom - m_rcClient.top;
    auto* dc = new CGUIEXDC(this, w, h);
    dc->FillSolid(kWhite);
    const RECT gradient{w >> 2, 0, w, h};  // the left quarter stays white
    dc->FillGradientH(&gradient, kWhite, kLightBlue, 255);
    dc->DrawFrameRect(&m_rcClient, kFrameGrey, 1);
    dc->SetFont(QString::fromUtf8(face), points);
    dc->DrawTextInRect(QString::fromUtf8(m_strText), &m_rcClient, 0, 0);
    return dc;
}

void CWaitingDlg::CentreOverOwner()
{
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const bool overOwner = owner && owner->isVisible() && !owner->isMinimized();
    QScreen* screen = overOwner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect work = screen->availableGeometry();
    const QRect centre = overOwner ? owner->frameGeometry() : work;

    const int w = width();
    const int h = height();
    int x = (centre.left() + centre.left() + centre.width()) / 2 - w / 2;
    int y = (centre.top() + centre.top() + centre.height()) / 2 - h / 2;
    // Kept inside the work area; the top-left corner wins when the window is larger.
    if (x + w > work.left() + work.width())
        x = work.left() + work.width() - w;
    if (x < work.left())
        x = work.left();
    if (y + h > work.top() + work.height())
        y = work.top() + work.height() - h;
    if (y < work.top())
        y = work.top();
    move(x, y);
}

void CWaitingDlg::OnTimer(unsigned id)
{
    if (id != kTimerId)
        return;
    ++m_nTicks;
    if (m_nTicks > kTimeoutTicks) {
        m_nTicks = 0;
        COM_GUI_EX::PostMessage(this, WM_WAITING_CLOSE, 0, 0);
    }
    ++m_nFrame;
    if (m_nFrame >= m_nFrames)
        m_nFrame = 0;
    // A tick repaints the wheel only; the tick that brings the time-out text
    // repaints the whole window so that the new text shows.
    if (m_nTicks == kTimeoutTicks)
        update();
    else
        update(ToQRect(m_rcIcon));
}

void CWaitingDlg::accept()
{
}

void CWaitingDlg::reject()
{
}

void CWaitingDlg::OnWaitingClose()
{
    QDialog::accept();
}

bool CWaitingDlg::event(QEvent* e)
{
    if (e->type() == static_cast<QEvent::Type>(WM_WAITING_CLOSE)) {
        OnWaitingClose();
        return true;
    }
    return QDialog::event(e);
}

void CWaitingDlg::showEvent(QShowEvent* e)
{
    if (!m_bInitialised)
        OnInitDialog();  // moves the window, so QDialog does not place it again
    else
        m_timer.start();
    QDialog::showEvent(e);
}

void CWaitingDlg::hideEvent(QHideEvent* e)
{
    // The animation lives as long as the window is shown.
    m_timer.stop();
    QDialog::hideEvent(e);
}

void CWaitingDlg::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        break;
    case Qt::Key_Escape:
        reject();
        break;
    default:
        QDialog::keyPressEvent(e);
        return;
    }
    e->accept();
}

void CWaitingDlg::paintEvent(QPaintEvent*)
{
    if (!m_pBack || !m_pTextNormal || !m_pTextTimeout || !m_pStrip)
        return;
    m_pBack->FillSolid(kWhite);
    const CGUIEXDC* text = m_nTicks >= kTimeoutTicks ? m_pTextTimeout : m_pTextNormal;
    const int w = m_rcClient.right - m_rcClient.left;
    const int h = m_rcClient.bottom - m_rcClient.top;
    BitBlt(m_pBack, m_rcClient.left, m_rcClient.top, w, h, text, 0, 0);
    BitBlt(m_pBack, m_rcIcon.left, m_rcIcon.top, kFrameSize, kFrameSize, m_pStrip, m_nFrame * kFrameSize, 0);
    // One copy to the screen; the platform clips it to the region being repainted.
    m_pBack->CopyToDC(this);
}

bool RunWaitingDialog(QWidget* parent)
{
    if (g_pWaitingDlg != nullptr)
        return false;
    QPointer<CWaitingDlg> dlg = new CWaitingDlg(parent);
    g_pWaitingDlg = dlg;
    dlg->exec();
    // The window may have gone with its parent during the modal loop.
    delete dlg.data();
    g_pWaitingDlg = nullptr;
    return true;
}

bool PostWaitingClose()
{
    if (g_pWaitingDlg == nullptr)
        return false;
    COM_GUI_EX::PostMessage(g_pWaitingDlg, WM_WAITING_CLOSE, 0, 0);
    return true;
}
