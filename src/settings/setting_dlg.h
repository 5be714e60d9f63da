#pragma once

// The settings dialog: edits the settings record of the INI file (keys 7000 to
// 7006). It reads the record when it opens and writes it back on an OK; each
// control's id is the key it edits.
//
// Rows, top to bottom: time-label column (edit 7000; the text 自动 leaves it to the
// file), time order (list 7001: ascending, descending, automatic), time-label format
// (list 7002: none and formats 1 to 3), value range (list 7003: automatic, manual),
// manual maximum and minimum (edits 7004, 7005, usable only for the manual range) and
// the unit (edit 7006). A list's index is the stored value, but for the automatic
// time order, stored as kAutomaticValue.
#include "settings/popup_dlg.h"

#include <string>

class CInitSetting;

class CSettingDlg : public CPopupFormDlg {
    Q_OBJECT

public:
    explicit CSettingDlg(QWidget* parent);
    ~CSettingDlg() override;

    // The settings file (not owned). Without one the dialog opens on the defaults
    // and an OK fails to write.
    void SetSettingsStore(const CInitSetting* setting) { m_pSetting = setting; }

    // The text of the message that asks for the time-label column, and of the one
    // that says the settings could not be saved.
    static QString ColumnMissingText();
    static QString WriteFailedText();

public slots:
    // OK: refuses a time-label column that is not a whole number of 0 or more (empty
    // and blank included) and, for a manual range, limits that are not whole numbers
    // or a maximum not above the minimum: a message names the field, the focus goes
    // to it, the dialog stays open and nothing is written. Otherwise writes keys 7000
    // to 7006 in this order and closes with Accepted; a key that cannot be written
    // stops there with a message and the dialog stays open. Escape goes to reject,
    // which writes nothing.
    void accept() override;

protected:
    void OnInitDialog() override;

private:
    // Limit edits usable only while the range list is at manual; emptied otherwise.
    void ApplyRangeRule();
    // The first field an OK refuses, with the message that says why; null when every
    // field is accepted.
    QWidget* RefusedField(QString* message) const;
    // False after telling the user the settings could not be saved.
    bool WriteKeys();

    const CInitSetting* m_pSetting = nullptr;
};
