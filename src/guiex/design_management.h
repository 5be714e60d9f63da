#pragma once

// The program's one look for its controls: image buttons get a borderless face over
// their parent's background and the hand cursor, standard controls of the dialogs
// get the same font, and text that dialogs draw into surfaces uses the same face and
// size. The face is string 1000 of the string table ("黑体"), at 10 points.
//
// Used on the user-interface thread only.
#include <Qt>

#include <QString>

class QFont;
class QWidget;

namespace COM_GUI_EX {

class CGUIEXDC;
class CGUIEXSmoothBtn;

class CDesignManagement {
public:
    // The process-wide instance.
    static CDesignManagement* GetInstance();

    static constexpr int kFontSize = 10;  // points

    // Empty until EnsureCreated; GetInstance gives the one the program uses.
    CDesignManagement();
    virtual ~CDesignManagement();

    CDesignManagement(const CDesignManagement&) = delete;
    CDesignManagement& operator=(const CDesignManagement&) = delete;

    // Once: reads the face from the string table (empty when the string is
    // missing, which gives the generic sans-serif family), picks the hand cursor
    // and makes the control font. Later calls do nothing.
    void EnsureCreated();
    // Every state style of the button: no border, the parent's background under the
    // image; and the hand cursor over the button.
    void ApplyButtonLook(CGUIEXSmoothBtn* button);
    // Gives a standard control the control font; it repaints with it.
    void ApplyControlFont(QWidget* control);
    // Sets the surface's font to the face at 10 points. Meant to run after the
    // first ApplyButtonLook or ApplyControlFont (the main window's buttons come
    // first); before that the face is empty and the surface gets the generic family.
    void ApplySurfaceFont(CGUIEXDC* dc) const;

    bool IsCreated() const { return m_bCreated != 0; }
    const QString& GetFace() const { return m_strFace; }
    int GetFontSize() const { return m_nFontSize; }
    Qt::CursorShape GetHandCursor() const { return m_hCursor; }
    // Null until EnsureCreated; made once, owned.
    const QFont* GetControlFont() const { return m_pFont; }

private:
    int m_bCreated = 0;
    Qt::CursorShape m_hCursor = Qt::ArrowCursor;
    int m_nFontSize = 0;
    QString m_strFace;
    QFont* m_pFont = nullptr;
};

}  // namespace COM_GUI_EX
