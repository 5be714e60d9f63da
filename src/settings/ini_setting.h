#pragma once

// The program's settings live in "Trandor.INI" beside the executable (in the user's
// configuration folder for an installed program; see SettingsFilePathFor), section
// "QUICK_SAVE", under numeric keys whose values are decimal text (the unit is free
// text). Nothing is cached: every read goes to the file, every write rewrites it.
//
// The INI rules are those of the private-profile functions the file format comes
// from: section and key names compare case-insensitively (ASCII), blanks around
// names and around '=' are ignored, CRLF and LF line ends both read, lines starting
// with ';' are comments, a missing file, section or key gives the default, and a
// value is read cut to 254 bytes. Only a regular file of at most 1 MiB is read;
// anything else (a FIFO, a device, a link to one) reads as missing keys and is never
// replaced by a write. Values are narrow text kept byte for byte; the settings record
// decodes its unit as UTF-8 when valid, else as GB18030 (files the Windows program
// wrote), and every value is written as UTF-8.
#include "data/import/import_limits.h"

#include <QString>
#include <string>
#include <utility>
#include <vector>

// Section and keys of the settings file.
constexpr const char* kQuickSaveSection = "QUICK_SAVE";
constexpr int kKeyTimeColumn = 7000;   // time-label column, 1-based, or automatic
constexpr int kKeyTimeOrder = 7001;    // 0 ascending, 1 descending, or automatic
constexpr int kKeyLabelFormat = 7002;  // 0 none, 1, 2, 3
constexpr int kKeyRangeMode = 7003;    // 0 automatic, 1 manual
constexpr int kKeyManualMax = 7004;
constexpr int kKeyManualMin = 7005;
constexpr int kKeyUnit = 7006;         // text appended to read-out values
constexpr int kKeyPaperSize = 11100;   // paper-size code of the print setup
constexpr int kKeyOrientation = 11101; // orientation code of the print setup

// The stored value of a choice left to each file (keys 7000 and 7001), which a missing
// key means too. The Windows program wrote these keys as "%d" only, so its files keep
// their meaning.
constexpr const char* kAutomaticValue = "auto";

// Longest value a read returns, in bytes.
constexpr int kIniValueMax = 254;

// The value of the key in the section of the INI file, or the default (empty text
// when null) when the file, the section or the key is missing. A value wrapped
// whole in matching quotes loses them; the result is cut to kIniValueMax bytes.
std::string ReadIniString(const char* path, const char* section, const char* key,
                          const char* defaultText);

// Sets the key of the section to the value, adding the key or the section when
// missing and keeping every other line of the file as it was. A null value removes
// the key. The file is replaced atomically, through "<file>.tmp" beside it; returns
// false, leaving the old file as it was, when the file cannot be read or written
// (missing or read-only folder, read-only file) or a name is null.
bool WriteIniString(const char* path, const char* section, const char* key, const char* value);

// A key and its value (null: remove the key) of a write of several keys.
struct CIniEntry {
    const char* key;
    const char* value;
};

// Sets the keys of the section in order as WriteIniString does, in one replacement
// of the file: a reader, or a crash, sees all of them old or all of them new.
bool WriteIniStrings(const char* path, const char* section, const std::vector<CIniEntry>& entries);

// Full path of the settings file for the program in the executable's directory,
// as SettingsFilePathFor chooses it.
std::string SettingsFilePath();

// Full path of the settings file for a program in that directory (ending in '/', or
// empty for the working directory). A program in a folder of its own, the build
// folder for one, keeps "Trandor.INI" beside it when the folder is writable or the
// file is there already. An installed program (its folder is /bin, /usr/bin or
// /usr/local/bin, or a "bin" folder of a prefix that holds the program's desktop
// entry, share/applications/trandor.desktop), and one whose folder allows neither,
// keeps "trandor/Trandor.INI" in the user's configuration folder ($XDG_CONFIG_HOME
// when it is an absolute path, else ~/.config), whose "trandor" folder is created so
// that the first write can succeed: every user has settings of their own, and
// nothing is written under an install prefix.
std::string SettingsFilePathFor(const std::string& programDirectory);

// Reader and writer of one INI file.
class CInitSetting {
public:
    // No file: every read gives its default, every write fails.
    CInitSetting() = default;
    // Keeps a copy of the path; a null path is the same as no file.
    explicit CInitSetting(const char* path);
    virtual ~CInitSetting();

    // Null when constructed without a path.
    const char* GetPath() const { return m_hasPath ? m_path.c_str() : nullptr; }

    // Reads the key's value (or the default) and, when that text is not empty,
    // stores prefix + text + suffix into out, cut to outLength - 1 bytes and
    // terminated; an empty text stores empty text. Null default, prefix and suffix
    // count as empty. Returns the length of the value found (before the prefix and
    // suffix are added). Nothing is stored when out is null or outLength < 1.
    int ReadString(const char* section, const char* key, char* out, int outLength,
                   const char* defaultText = nullptr, const char* prefix = nullptr,
                   const char* suffix = nullptr) const;

    // Writes the value as WriteIniString does; false when there is no file.
    bool WriteString(const char* section, const char* key, const char* value) const;

private:
    std::string m_path;
    bool m_hasPath = false;
};

// The settings record, keys 7000 to 7006.
struct CSettingsRecord {
    int timeColumn = kAutomaticChoice;  // time-label column, 1-based as the user enters it
    int timeOrder = kAutomaticChoice;   // 0 ascending, 1 descending
    int labelFormat = 0;  // 0 none, 1, 2, 3; other values behave as 0
    int rangeMode = 0;    // 0 automatic, 1 manual
    int manualMax = 0;    // manual maximum of the value axis
    int manualMin = 0;    // manual minimum of the value axis
    QString unit;         // decoded
};

// Reads one key of section "QUICK_SAVE" (key text "%d") into out, the default
// applying when it is missing.
void ReadSetting(const CInitSetting& setting, int key, std::string& out, const char* defaultText);

// Writes one key of section "QUICK_SAVE"; the file and the section are created
// when missing. Returns false when the write failed (callers may ignore it).
bool WriteSetting(const CInitSetting& setting, int key, const char* value);
bool WriteSetting(const CInitSetting& setting, int key, const std::string& value);
// Writes the keys of section "QUICK_SAVE" with their values in one replacement of the
// file. Returns false when the write failed; then no key changed.
bool WriteSettings(const CInitSetting& setting, const std::vector<std::pair<int, std::string>>& values);

// The open dialog's start folder, in a section of its own so that "QUICK_SAVE"
// keeps exactly its keys. The value is the folder as UTF-8 text, in quotes so
// that blanks at its ends survive the reading.
constexpr const char* kOpenDialogSection = "OPEN_DIALOG";
constexpr const char* kKeyLastFolder = "LastFolder";

// The folder of the last file opened, decoded as every settings value is; empty
// when none is stored.
QString ReadLastFolder(const CInitSetting& setting);

// Stores the folder. A folder the file cannot hold whole (a line break in its name,
// or longer than a read returns) is not stored, and the one stored before is
// removed, so that the dialog never starts in a cut, wrong folder. Returns false
// when the write failed or the folder was not stored.
bool WriteLastFolder(const CInitSetting& setting, const QString& folder);

// Reads keys 7000 to 7006 in order with their defaults kAutomaticValue,
// kAutomaticValue, "0", "0", "0", "0" and "" (no range test on the integers); the
// time column and order read kAutomaticValue as kAutomaticChoice.
CSettingsRecord LoadSettings(const CInitSetting& setting);
