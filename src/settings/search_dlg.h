#pragma once

// The query dialog: the user restricts the loaded file to a time range and chooses
// whether the result is drawn at normal scale or squeezed into one page. The main
// window fills it before it runs and reads it back after an OK.
//
// Rows, top to bottom: start time (picker 5003), end time (picker 5004), initial
// zoom (list 5010: standard scale, all data in one page) and whether the query is
// on (list 5100: off, on). Times are local TimeValues of whole seconds.
#include "data/time_label.h"
#include "settings/popup_dlg.h"

class CSearchDlg : public CPopupFormDlg {
    Q_OBJECT

public:
    static constexpr unsigned IDC_START = 5003;
    static constexpr unsigned IDC_END = 5004;
    static constexpr unsigned IDC_ZOOM = 5010;
    static constexpr unsigned IDC_ENABLE = 5100;

    explicit CSearchDlg(QWidget* parent);
    ~CSearchDlg() override;

    // The values the dialog opens with: enabled and fitAll are list indices.
    void SetQueryValues(int enabled, TimeValue start, TimeValue end, int fitAll);
    // The values as the last OK read them (the ones set before, when there was none).
    void GetQueryValues(int* enabled, TimeValue* start, TimeValue* end, int* fitAll) const;

public slots:
    // OK: reads the four controls, then closes with Accepted. A query switched on
    // with its end before its start is refused: a message names the end, the focus
    // goes to it and the dialog stays open with its values unchanged. Escape goes to
    // reject, which reads nothing.
    void accept() override;

protected:
    void OnInitDialog() override;

private:
    int m_bEnabled = 0;
    TimeValue m_tStart = 0;
    TimeValue m_tEnd = 0;
    int m_bFitAll = 0;
};
