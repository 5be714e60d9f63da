#pragma once

// The chart window: legend, plot area with its 35 x 15 grid, value-axis band to the
// right, time-axis band underneath, a scroll track with its thumb and a cursor line.
//
// The chart draws only what does not depend on the data (background, legend, frame,
// grid) and the overlays (cursor line, track, thumb, legend dots). Curves, value
// labels and time labels are drawn by the data manager's worker into surfaces of its
// own and copied into the chart's display layers when a page has been prepared
// (RefreshLayers). Every paint composes the back buffer, the three display layers
// and the overlays.
//
// The chart lends the data manager its two background layers, its time-axis layer and
// its visibility flags for its whole life; the page state (time order, first sample,
// sample count, page count) belongs to the main window and is shared by address.
// The chart tells its parent about page and cursor changes with posted messages
// (chart_messages.h).
#include "chart/chart_layout.h"
#include "data/data_manager.h"
#include "data/visibility_flags.h"
#include "guiex/guiex_wnd.h"

#include <memory>
#include <string>
#include <vector>

class QContextMenuEvent;
class QMouseEvent;
class QObject;

class CCurveWnd : public COM_GUI_EX::CGUIEXWnd {
    Q_OBJECT

public:
    // Colours of the chart (0x00BBGGRR).
    static constexpr COLORREF kGridColor = 0xAAAAAA;
    static constexpr COLORREF kHiddenDotColor = 0xECC3A1;

    // Creates the chart as a child of parent at rect (parent client coordinates) with
    // the control id, with the default names 通道01 to 通道16 and its layers, which
    // it lends to the data manager. parentBackground is the parent's background
    // surface (not owned; may be null, then the chart's background is white); the
    // part under the chart is copied from (rect.left, rect.top) of it. Without a
    // parent no window is made: the object has no names and no layers and never paints.
    CCurveWnd(int labelFormat, const RECT* rect, unsigned id, COM_GUI_EX::CGUIEXDC* parentBackground,
              QWidget* parent);
    // Takes the lent layers and flags back from the data manager.
    ~CCurveWnd() override;

    // The main window's page state, read (and first written) through these pointers.
    // zoom is accepted with the others but not used by the chart.
    void BindPageState(int* timeOrder, int* first, int* total, int* pageCount, int* zoom);
    // Takes the loaded file's channel names (the label and sample views are accepted
    // with them but not used), rebuilds the legend and shows every channel again.
    // Without names the display layers become those of a new chart (ClearLayers).
    void SetChannelNames(const std::vector<QString>* names, const CLabelStore* labels = nullptr,
                         const std::vector<CSampleArray>* samples = nullptr);
    // 1 "yy/mm/dd HH:MM", 2 "mm/dd HH:MM", 3 "HH:MM:SS", else date and time with
    // seconds: the format of the placeholder time labels. Redraws the background.
    void SetTimeLabelFormat(int format);
    // Copies the data manager's prepared page into the display layers.
    void RefreshLayers();

    // Places the thumb from the page state.
    void UpdateThumb();
    // Moves the thumb by x minus the last drag position; with commit, writes the first
    // sample index the thumb stands for into the page state and posts WM_CURVE_PAGE.
    void MoveThumb(int x, bool commit);
    // A click at (x, y) in the track beside the thumb: the thumb's near edge moves
    // there and the page is committed.
    void JumpThumb(int x, int y);

    // Paint: DrawContent, then DrawLegendDots.
    void DrawClient(COM_GUI_EX::CGUIEXDC* dc, const RECT* client) override;
    // Back buffer, display layers, cursor line, scroll track and thumb.
    virtual void DrawContent(COM_GUI_EX::CGUIEXDC* dc);
    // One dot per legend item: palette colour when shown, pale with a coloured ring when hidden.
    void DrawLegendDots(COM_GUI_EX::CGUIEXDC* dc);

    // State, for the main window's printing and for tests.
    const std::vector<QString>& GetChannelNames() const { return m_strNames; }
    const std::vector<RECT>& GetLegendHitRects() const { return m_legendHits; }
    const std::vector<RECT>& GetLegendDotRects() const { return m_legendDots; }
    const CVisibilityFlags& GetVisibilityFlags() const { return m_visibility; }
    const RECT& GetPlotArea() const { return m_rcPlot; }
    const RECT& GetLegendArea() const { return m_rcLegend; }
    const RECT& GetValueBand() const { return m_rcValueBand; }
    const RECT& GetTimeBand() const { return m_rcTimeBand; }
    const RECT& GetScrollTrack() const { return m_rcTrack; }
    const RECT& GetScrollThumb() const { return m_rcThumb; }
    int IsThumbAtMinimum() const { return m_bThumbAtMin; }
    const RECT& GetCursorLine() const { return m_rcCursor; }
    int IsCursorVisible() const { return m_bCursorVisible; }
    int GetTimeLabelFormat() const { return m_nTimeLabelFormat; }

signals:
    // The context menu's 保存图片… (the window as a picture) and 导出PDF… (the printed
    // sheet as a PDF file); the parent asks for the file and writes it.
    void SavePictureRequested();
    void SaveSheetRequested();

protected:
    // The right button opens the context menu with the two save commands.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The platform delivers the second press of a double click as a double-click
    // event; it is a press like any other, so every click toggles a legend entry.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    // Mouse handlers, client coordinates.
    void OnMouseMove(int x, int y);
    void OnLButtonDown(int x, int y);
    void OnLButtonUp(int x, int y);
    // Moves or hides the cursor line and reports its column to the parent.
    void UpdateCursorLine(int visible, const RECT& line);
    // Index of the legend item whose hit rectangle holds the point, -1 for none.
    int HitLegend(int x, int y) const;

    void LoadDefaultChannelNames();
    // The plot and value-axis layers become their backgrounds again, the time-axis
    // layer shows the placeholder labels, as when the chart was made.
    void ClearLayers();
    // Redraws the static background; the first pass also makes the layers.
    void RenderBackground();
    void DrawLegend(const RECT& area);
    void CreateLayers(const CChartLayout& layout);

    // A page-state value, 0 while the state is not bound.
    static int PageValue(const int* value) { return value ? *value : 0; }

    RECT m_rcChart;                                    // in the parent's client coordinates
    COM_GUI_EX::CGUIEXDC* m_pParentBackground = nullptr;  // not owned
    QObject* m_pNotify = nullptr;                      // receiver of the posted messages

    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pBackBuffer;      // client size, static background
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pValueBackground;  // lent to the data manager
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pValueLayer;
    RECT m_rcValueBand;
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pPlotBackground;  // lent to the data manager
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pPlotLayer;
    RECT m_rcPlot;
    RECT m_rcLegend;
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pTimeLayer;  // lent to the data manager
    RECT m_rcTimeBand;

    std::vector<QString> m_strNames;
    std::vector<RECT> m_legendHits;
    std::vector<RECT> m_legendDots;
    // Read by the worker during a preparation: a fixed block, only ever stored into.
    CVisibilityFlags m_visibility;
    int m_nHoverLegend = -1;

    int* m_pTimeOrder = nullptr;
    int* m_pFirst = nullptr;
    int* m_pTotal = nullptr;
    int* m_pPageCount = nullptr;

    RECT m_rcTrack;
    RECT m_rcThumb;
    int m_bThumbAtMin = 0;
    int m_bOverThumb = 0;
    int m_bDragging = 0;
    int m_nLastDragX = 0;
    int m_bCursorVisible = 0;
    RECT m_rcCursor;
    RECT m_rcCursorPrev;
    int m_nTimeLabelFormat = 0;
};
