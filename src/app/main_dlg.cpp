// The main window's construction, painting and closing rules.
#include "app/main_dlg.h"

#include "chart/curve_wnd.h"
#include "common/decimal.h"
#include "guiex/design_management.h"
#include "guiex/guiex_dc.h"
#include "guiex/image_resources.h"
#include "guiex/parameters_base.h"
#include "guiex/smooth_btn.h"
#include "guiex/strings.h"
#include "settings/ini_setting.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace {

constexpr COLORREF kSeparatorColor = 0xEEEEEE;
constexpr COLORREF kTextColor = 0x552200;
constexpr unsigned kChartId = 256;
// Height of a menu bar at 96 dpi: the window sits half of it above the screen's centre.
constexpr int kMenuBarHeight = 19;

struct ButtonSpec {
    unsigned id;
    unsigned normalImage;
    unsigned hoverImage;
};
const ButtonSpec kButtons[7] = {
    {CMainDlg::ID_OPEN_FILE, 293, 292}, {CMainDlg::ID_SETTING, 300, 299},  {CMainDlg::ID_QUERY, 312, 311},
    {CMainDlg::ID_ZOOM_IN, 306, 305},   {CMainDlg::ID_ZOOM_OUT, 304, 303}, {CMainDlg::ID_PAGE_SETUP, 310, 309},
    {CMainDlg::ID_PRINT, 308, 307},
};

}  // namespace

CMainDlg::CMainDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint),
      m_tQueryStart(Today(0, 0, 0)), m_tQueryEnd(Today(23, 59, 59))
{
    OnInitDialog();
}

CMainDlg::~CMainDlg()
{
    CMemoryTransferManage::GetInstance()->SetMainWindow(nullptr);
    ShowBusyPointer(false);
    // The chart goes before the background surface it was given.
    delete m_pCurveWnd;
}

void CMainDlg::OnInitDialog()
{
    setWindowIcon(QIcon(":/icon/100.png"));
    setWindowTitle(COM_GUI_EX::LoadString(1050));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
    ReadSettings();
    CMemoryTransferManage::GetInstance()->SetMainWindow(this);
    PlaceWindow();
    BuildBackground();
    CreateChart();
    CreateButtons();
    CreateKeys();
}

void CMainDlg::ReadSettings()
{
    m_pSetting.reset(new CInitSetting(SettingsFilePath().c_str()));
    TakeSettings(LoadSettings(*m_pSetting));
    // The printer keys default to the values the window has, A4 landscape at first.
    std::string text;
    ReadSetting(*m_pSetting, kKeyPaperSize, text, std::to_string(m_nPaperSize).c_str());
    m_nPaperSize = static_cast<int16_t>(DecimalToInt(text.c_str()));
    ReadSetting(*m_pSetting, kKeyOrientation, text, std::to_string(m_nOrientation).c_str());
    m_nOrientation = static_cast<int16_t>(DecimalToInt(text.c_str()));
}

// Keeps the settings record and hands its six numbers to the data manager.
void CMainDlg::TakeSettings(const CSettingsRecord& record)
{
    m_nLabelColumn = record.timeColumn;
    m_nTimeOrder = record.timeOrder;
    m_nLabelFormat = record.labelFormat;
    m_nRangeMode = record.rangeMode;
    m_nRangeMax = record.manualMax;
    m_nRangeMin = record.manualMin;
    m_strUnit = record.unit;
    CMemoryTransferManage::GetInstance()->ApplySettings(m_nTimeOrder, m_nLabelColumn, m_nLabelFormat, m_nRangeMode,
                                                        m_nRangeMax, m_nRangeMin);
}

QSize CMainDlg::UnscaledSize()
{
    return QSize(kWindowWidth, kWindowHeight + kStatusHeight);
}

QSize CMainDlg::FrameAllowance()
{
    int dpi = 96;
    COM_GUI_EX::CGUIEXDC::GetDesktopDpi(&dpi, nullptr);
    return QSize(kFrameWidth * dpi / 96, kFrameHeight * dpi / 96);
}

// A fixed-size window, centred horizontally with its frame in the screen's available
// area and lifted by half a menu bar from its vertical centre, never past its top-left.
void CMainDlg::PlaceWindow()
{
    const int w = S(kWindowWidth);
    const int h = S(kWindowHeight) + S(kStatusHeight);
    setFixedSize(w, h);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize frame = FrameAllowance();
        move(area.x() + std::max(0, (area.width() - w - frame.width()) >> 1),
             area.y() + std::max(0, ((area.height() - h - frame.height()) >> 1) - S(kMenuBarHeight) / 2));
    }
    m_rcClient = RECT{0, 0, w, h};
}

// The client-sized background: picture 200 stretched over it, and the separator line
// under the button band.
void CMainDlg::BuildBackground()
{
    const int width = m_rcClient.right - m_rcClient.left;
    const int height = m_rcClient.bottom - m_rcClient.top;
    m_pBackground.reset(new COM_GUI_EX::CGUIEXDC(this, width, height));
    m_pBackground->FillSolid(0xFFFFFF);
    COM_GUI_EX::CGUIEXDC picture(this, 200, COM_GUI_EX::RT_PNG);
    if (const QImage* image = picture.GetMemDC()) {
        QPainter painter(m_pBackground->GetMemDC());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRect(m_rcClient.left, m_rcClient.top, width, height), *image);
    }
    const int band = 2 * S(8) + std::max(S(25), 30);
    const RECT separator{0, band, m_rcClient.right, band + S(1)};
    m_pBackground->FillSolidRect(&separator, kSeparatorColor);
}

void CMainDlg::CreateChart()
{
    const int width = m_rcClient.right - m_rcClient.left;
    const int m = S(8);
    const int band = std::max(S(25), 30);
    m_rcTitle = RECT{width >> 1, m >> 1, width - 2 * m, 2 * m + band};
    const RECT chart{0, S(1) + 2 * m + band, width, m_rcClient.bottom - S(28)};
    m_rcStatus = RECT{0, chart.bottom, width, m_rcClient.bottom};
    m_rcStatusText = RECT{m, chart.bottom, width, m_rcClient.bottom};
    m_pCurveWnd = new CCurveWnd(m_nLabelFormat, &chart, kChartId, m_pBackground.get(), this);
    m_pCurveWnd->BindPageState(&m_nTimeOrder, &m_nFirst, &m_nTotal, &m_nPageCount, &m_nZoom);
    connect(m_pCurveWnd, &CCurveWnd::SavePictureRequested, this, &CMainDlg::OnSavePicture);
    connect(m_pCurveWnd, &CCurveWnd::SaveSheetRequested, this, &CMainDlg::OnSaveSheet);
}

// Seven image buttons in a row; every state but hover shows the normal image.
void CMainDlg::CreateButtons()
{
    const int m = S(8);
    int w = S(90);
    int h = S(25);
    if (w < 108 || h < 30) {
        w = 108;
        h = 30;
    }
    for (int i = 0; i < 7; ++i) {
        const ButtonSpec& entry = kButtons[i];
        m_rcButtons[static_cast<size_t>(i)] = RECT{m + i * (w + m), m, m + i * (w + m) + w, m + h};
        auto* button = new COM_GUI_EX::CGUIEXSmoothBtn;
        button->Create("", m_rcButtons[static_cast<size_t>(i)], this, entry.id, COM_GUI_EX::RT_PNG, entry.normalImage,
                       0, entry.hoverImage, 0, 0);
        COM_GUI_EX::CDesignManagement::GetInstance()->ApplyButtonLook(button);
        connect(button, &QAbstractButton::clicked, this, [this, id = entry.id] { OnCommand(id); });
        m_buttons[static_cast<size_t>(i)] = button;
    }
    // The file line starts right of the last button: a long name would run under it.
    m_rcTitle.left = std::min(std::max(m_rcTitle.left, m_rcButtons.back().right + m), m_rcTitle.right);
}

void CMainDlg::paintEvent(QPaintEvent*)
{
    if (isMinimized())
        return;  // the platform shows the icon
    if (!m_pFrame)
        m_pFrame.reset(new COM_GUI_EX::CGUIEXDC(this, m_rcClient.right - m_rcClient.left,
                                                m_rcClient.bottom - m_rcClient.top));
    if (!m_pFrame->GetMemDC())
        return;
    m_pFrame->CopyFromDC(m_pBackground->GetMemDC());
    const QString face = COM_GUI_EX::LoadString(1000);
    m_pFrame->SetFont(face, 10);
    m_pFrame->SetBrushColor(kTextColor);
    m_pFrame->DrawTextInRect(m_strTitle, &m_rcTitle, 2, COM_GUI_EX::CGUIEXDC::kElideBelow);
    m_pFrame->FillSolidRect(&m_rcStatus, kSeparatorColor);
    if (!m_strReadout.isEmpty()) {
        m_pFrame->SetFont(face, 9);
        m_pFrame->SetBrushColor(kTextColor);
        m_pFrame->DrawTextInRect(m_strReadout, &m_rcStatusText, 1, 0);
    }
    m_pFrame->CopyToDC(this);
}

void CMainDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();  // neither confirms nor cancels anything
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

// The close box ends the window at once, without a question.
void CMainDlg::closeEvent(QCloseEvent* event)
{
    event->accept();
    done(QDialog::Rejected);
}

void CMainDlg::OnCommand(unsigned id)
{
    if (m_bLoading)
        return;  // the worker is rewriting the data: nothing may read or change it
    switch (id) {
    case ID_OPEN_FILE:
        OnOpenFile();
        break;
    case ID_SETTING:
        OnSetting();
        break;
    case ID_QUERY:
        OnQuery();
        break;
    case ID_ZOOM_IN:
        OnZoomIn();
        break;
    case ID_ZOOM_OUT:
        OnZoomOut();
        break;
    case ID_PAGE_SETUP:
        OnPageSetup();
        break;
    case ID_PRINT:
        OnPrint();
        break;
    default:
        break;
    }
}
