#pragma once

// The program's only top-level window: seven image buttons along the top, the chart
// in the middle, the file line at the top right and the read-out strip at the bottom.
// It holds the settings and the page state it shares with the chart (by address)
// and with the data manager (through SetPage and GetDataViews), forwards the user's
// commands and reacts to the worker's completion messages and the chart's page and
// cursor messages. User-interface thread only.
#include "data/data_manager.h"
#include "guiex/win_types.h"

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CCurveWnd;
class CInitSetting;
struct CSettingsRecord;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QPagedPaintDevice;
class QPaintEvent;
class QPrinter;
class QString;
class QWheelEvent;

namespace COM_GUI_EX {
class CGUIEXDC;
class CGUIEXSmoothBtn;
class CPostedMessage;
}  // namespace COM_GUI_EX

class CMainDlg : public QDialog {
    Q_OBJECT

public:
    // Command ids of the seven buttons, left to right.
    static constexpr unsigned ID_OPEN_FILE = 1615;
    static constexpr unsigned ID_SETTING = 1670;
    static constexpr unsigned ID_QUERY = 1690;
    static constexpr unsigned ID_ZOOM_IN = 1680;
    static constexpr unsigned ID_ZOOM_OUT = 1681;
    static constexpr unsigned ID_PAGE_SETUP = 1682;
    static constexpr unsigned ID_PRINT = 1683;
    // The message of a load that failed or found nothing to show (the result of
    // LoadFile); 0 for a load that finished.
    static unsigned LoadFailureText(intptr_t result);
    // The client area at 100 %: 1200 × 650 and the status strip under it.
    static constexpr int kWindowWidth = 1200;
    static constexpr int kWindowHeight = 650;
    static constexpr int kStatusHeight = 28;
    // What a desktop draws around a window (borders, title bar) at 96 dpi.
    static constexpr int kFrameWidth = 16;
    static constexpr int kFrameHeight = 48;
    static QSize UnscaledSize();
    // The frame at the desktop's resolution: the desktop, not the display scaling,
    // sizes it.
    static QSize FrameAllowance();
    // Pixels per sample of the zoom levels 1 to 7.
    static constexpr int kZoomSteps[7] = {1, 2, 3, 5, 10, 15, 30};
    // Samples a wheel step, or the Left and Right keys, move the page.
    static constexpr int kWheelStep = 20;

    // Builds the whole window (settings, placement, background, chart, buttons) and
    // registers it with the data manager as the receiver of its completion messages.
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The open command after its file dialog: asks the worker to load the file and
    // waits behind the waiting window until it has. The loaded file takes the place of
    // the open one, with a fresh page state and no query; a file that cannot be loaded
    // or yields no data leaves the open one as it was, and a message says why.
    void OpenPath(const std::string& path);

    // The open flow for a file the user named (dialog, drop or command line): a
    // folder, a file that is not a regular file or one that cannot be read is refused
    // with a message; otherwise its folder becomes the open dialog's start folder and
    // the file is opened.
    void OpenChosenFile(const QString& file);
    // The file named when the program started, opened once the window runs (nothing
    // for an empty name).
    void OpenAtStart(const QString& file);

    // Zoom and paging.
    void ChangeZoom(int16_t delta);
    void ScrollByWheel(int16_t delta);
    // Moves the page by the samples toward the newest one (toward the oldest for a
    // negative count), whatever the time order; it stops at both ends.
    void ScrollLater(int samples);
    void OnZoomIn();
    void OnZoomOut();

    // Prints the chart's current page on one sheet of the printer, with the stored
    // paper size and orientation; false when nothing was printed (no file, a load
    // running, the worker still busy, or the printer would not start).
    // The printer's document name is set and its page laid out on the whole paper.
    bool PrintToPrinter(QPrinter& printer);
    // The same sheet into any paged device (a PDF writer), its page laid out on the
    // whole paper with the stored paper size and orientation.
    bool PrintPage(QPagedPaintDevice& device);
    // The chart's two save commands without their file dialogs: the printed sheet as
    // a PDF file at 300 dpi, the window as a PNG picture. Each file is replaced in one
    // step; false when it could not be written (or, for the sheet, nothing was printed).
    bool SaveSheet(const QString& path);
    bool SavePicture(const QString& path);
    // The print resolution of a queue: its reported default, at most 600 dpi, 300 when
    // it reports none.
    static int PrinterResolution(const QString& queue);

    // What the settings, query, printer set-up and thumb commands do once their
    // dialog or drag has given a choice, for callers that make the choice themselves
    // (the export tool). Nothing here writes the settings file.
    // The settings record: taken over and, with a file open, the file read again.
    void ApplySettingsRecord(const CSettingsRecord& record);
    // The query values: taken over and, with a file open, the file read again with them.
    void ApplyQuery(int enabled, TimeValue start, TimeValue end, int fitAll);
    // Paper size and orientation codes for the prints of this run.
    void SetPageSetup(int16_t paperSize, int16_t orientation);
    // A thumb commit at the given first sample, limited as the thumb limits it: the
    // page state takes it and the chart's WM_CURVE_PAGE is posted.
    void CommitPage(int first);

    // State, for tests and the export tool.
    CCurveWnd* GetCurveWnd() const { return m_pCurveWnd; }
    const QString& GetTitleText() const { return m_strTitle; }
    const QString& GetReadout() const { return m_strReadout; }
    int GetFirst() const { return m_nFirst; }
    int GetTotal() const { return m_nTotal; }
    int GetPageCount() const { return m_nPageCount; }
    int GetZoom() const { return m_nZoom; }
    int GetZoomLevel() const { return m_nZoomLevel; }
    int IsBusy() const { return m_bBusy; }
    bool IsLoading() const { return m_bLoading; }
    void GetQuery(int* enabled, TimeValue* start, TimeValue* end, int* fitAll) const;
    int GetPaperSize() const { return m_nPaperSize; }
    int GetOrientation() const { return m_nOrientation; }
    const RECT& GetStatusRect() const { return m_rcStatus; }
    COM_GUI_EX::CGUIEXSmoothBtn* GetButton(int index) const { return m_buttons[static_cast<size_t>(index)]; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A file dropped on the window opens as one picked in the open dialog; a drop
    // while a load runs is ignored.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Enter and Escape never close the window; only the close request does.
    void accept() override {}
    void reject() override {}

private:
    void OnInitDialog();
    void ReadSettings();
    void TakeSettings(const CSettingsRecord& record);
    void PlaceWindow();
    void BuildBackground();
    void CreateChart();
    void CreateButtons();
    void OnCommand(unsigned id);
    void OnOpenFile();
    // The keys of the window: open, print, paging and zoom.
    void CreateKeys();
    // The settings and query commands: their dialog, then a new load when a file is open.
    void OnSetting();
    void OnQuery();
    // What a load asks for: taken over as the open file's when the load finishes.
    struct CLoadRequest {
        std::string path;
        int query = 0;
        TimeValue start = 0;
        TimeValue end = 0;
        int fitAll = 0;
        bool newSettings = false;  // the settings changed since the open file's page was drawn
    };
    // Asks the worker for the load (with the query values when withQuery is set,
    // otherwise a plain one) and waits behind the waiting window; every command is
    // held back until the load has finished.
    void LoadAndWait(const CLoadRequest& request, bool withQuery);
    void OnPrint();
    void OnPageSetup();
    // The chart's context menu: a file dialog, then the picture or the sheet written.
    void OnSavePicture();
    void OnSaveSheet();

    void OnTransferNotify(uintptr_t wParam, intptr_t lParam);
    void OnTransferLoaded(intptr_t result);
    void OnTransferPrepared();
    // The read-out at the plot column, empty when no channel has a sample there.
    QString ReadoutAt(uintptr_t x);
    // The read-out of the page now on screen: at the cursor line's column while the
    // line is shown, else none.
    void RemakeReadout();
    void SetReadout(const QString& readout);
    // A load that failed or found nothing: the message with that string id.
    void ShowLoadFailure(unsigned stringId);
    // The busy pointer over the window while a load outlasts the waiting window.
    void ShowBusyPointer(bool shown);
    void OnCurvePage();
    void OnCurveCursor(uintptr_t x);
    // Requests a preparation of the current page for zoom and paging.
    void RequestPage();
    // Requests the page at the current step around the middle of the page last asked for.
    void RequestZoomedPage();

    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pBackground;
    RECT m_rcClient;
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pFrame;
    std::array<RECT, 7> m_rcButtons{};
    std::array<COM_GUI_EX::CGUIEXSmoothBtn*, 7> m_buttons{};  // children, deleted with the window
    const std::vector<QString>* m_pNames = nullptr;
    const CLabelStore* m_pLabels = nullptr;
    const std::vector<CSampleArray>* m_pChannels = nullptr;
    CCurveWnd* m_pCurveWnd = nullptr;  // child, deleted with the window
    RECT m_rcStatus;
    RECT m_rcStatusText;
    std::string m_strFilePath;
    QString m_strTitle;
    RECT m_rcTitle;
    std::unique_ptr<CInitSetting> m_pSetting;
    int m_nTimeOrder = 1;
    int m_nLabelColumn = 1;
    int m_nLabelFormat = 0;
    int m_nRangeMode = 0;
    int m_nRangeMax = 0;
    int m_nRangeMin = 0;
    QString m_strUnit;
    int m_nFirst = 0;
    int m_nTotal = 0;
    int m_nPageCount = 0;
    int m_nZoom = 0;
    int m_nZoomLevel = 1;
    int m_bBusy = 0;
    CSampleArray m_arrValues;
    QString m_strReadout;
    int16_t m_nPaperSize = 9;    // A4
    int16_t m_nOrientation = 2;  // landscape
    int m_bQuery = 0;
    TimeValue m_tQueryStart = 0;
    TimeValue m_tQueryEnd = 0;
    int m_bFitAll = 0;
    // The load asked for last, and the first sample and step of the page asked for last:
    // a page state that moved on while the page was prepared is asked for once it is shown.
    CLoadRequest m_pending;
    int m_nRequestedFirst = 0;
    int m_nRequestedZoom = 0;
    // Set from a load request until its TRANSFER_LOADED: the worker rewrites the data
    // then, so every input that reads or changes data or page is ignored meanwhile.
    bool m_bLoading = false;
    bool m_bBusyPointer = false;  // the busy pointer is shown (ShowBusyPointer)
};
