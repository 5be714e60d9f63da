#pragma once

// The frame the query and settings dialogs share: a window without title bar, of
// fixed size, at a requested screen position (centred on the screen when none was
// given); a background surface with picture 200 stretched over it and the row
// captions drawn on it; an image OK button at the bottom right and no cancel button.
// The controls of a dialog are children whose object name is their id, so they can
// be found by id (GetDlgItem).
//
// Keys: Escape cancels (QDialog's rule, through reject). Enter confirms nothing:
// there is no default push button for QDialog to press.
#include "guiex/win_types.h"

#include <QDialog>

#include <memory>

class QPaintEvent;

namespace COM_GUI_EX {
class CGUIEXDC;
class CGUIEXSmoothBtn;
}  // namespace COM_GUI_EX

class CPopupFormDlg : public QDialog {
    Q_OBJECT

public:
    // Command id of the OK button.
    static constexpr unsigned kOkId = 1;

    ~CPopupFormDlg() override;

    // The screen position of the top-left corner; used only when both are above 0.
    void SetPosition(int x, int y);

    // The control with the id, null when there is none.
    QWidget* GetDlgItem(unsigned id) const;
    // Null until the dialog has been initialised (at its first show).
    COM_GUI_EX::CGUIEXSmoothBtn* GetOkButton() const { return m_pOkButton; }
    const COM_GUI_EX::CGUIEXDC* GetBackground() const { return m_pBackground.get(); }

    // The first show runs OnInitDialog before the window appears.
    void setVisible(bool visible) override;

protected:
    explicit CPopupFormDlg(QWidget* parent);

    // The dialog's own initialisation: size, controls, background, values.
    virtual void OnInitDialog() = 0;

    // Fixed client size, at the requested position or centred on the primary screen.
    void PlaceWindow(int width, int height);
    // Makes the control a child with the id as its object name at the rectangle
    // (client coordinates, right and bottom exclusive) and gives it the control font.
    void AddControl(QWidget* control, unsigned id, const RECT& rect);
    // The image OK button (normal picture 242, hover 241) at the bottom right; a click
    // runs accept().
    void CreateOkButton();
    // The client-sized background: picture 200 stretched over it, then each caption
    // (string ids) drawn left-aligned and vertically centred in its row box: left
    // 2 × s8, right captionRight, row i from 2 × s8 + i × pitch, s30 high.
    void BuildBackground(const unsigned* captions, int count, int captionRight, int pitch);

    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pBackground;
    COM_GUI_EX::CGUIEXSmoothBtn* m_pOkButton = nullptr;  // child, deleted with the window
    int m_nPosX = 0;
    int m_nPosY = 0;
    bool m_bInitialised = false;
};
