#include "settings/ini_setting.h"

#include "common/decimal.h"

#include "common/file_helpers.h"
#include "common/text_convert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A settings value is UTF-8 when it is valid UTF-8, otherwise GB18030 (files the
// Windows program wrote are GBK).
QString DecodeValue(const std::string& text)
{
    return DecodeText(text.data(), text.size(), EncodingOfValue(text.data(), text.size()));
}

constexpr const char* kIniFileName = "Trandor.INI";
constexpr const char* kTemporarySuffix = ".tmp";
// Far beyond any settings file this program writes.
constexpr size_t kLargestIni = 1u << 20;

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Byte range [begin, end) of the file text.
struct Span {
    size_t begin = 0;
    size_t end = 0;
    size_t size() const { return end - begin; }
};

bool SameName(const std::string& text, Span span, const char* name)
{
    const size_t length = std::strlen(name);
    if (span.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (LowerAscii(text[span.begin + i]) != LowerAscii(name[i]))
            return false;
    }
    return true;
}

Span Trimmed(const std::string& text, Span span)
{
    while (span.begin < span.end && IsBlank(text[span.begin]))
        ++span.begin;
    while (span.end > span.begin && IsBlank(text[span.end - 1]))
        --span.end;
    return span;
}

enum class LineKind { Other, Section, Key };

// One line of the file: its content and, for a section header or a key line, the
// trimmed name and value.
struct Line {
    Span content;     // without the line end (LF or CR LF)
    size_t next = 0;  // first byte of the following line
    LineKind kind = LineKind::Other;
    Span name;
    Span value;
};

std::vector<Line> SplitLines(const std::string& text)
{
    std::vector<Line> lines;
    size_t pos = 0;
    // A UTF-8 byte-order mark written by an editor is not part of the first line.
    if (StartsWithUtf8Mark(text.data(), text.size()))
        pos = kUtf8MarkBytes;
    while (pos < text.size()) {
        Line line;
        const size_t newline = text.find('\n', pos);
        line.content.begin = pos;
        line.content.end = newline == std::string::npos ? text.size() : newline;
        line.next = newline == std::string::npos ? text.size() : newline + 1;
        if (newline != std::string::npos && line.content.end > pos && text[line.content.end - 1] == '\r')
            --line.content.end;  // CRLF
        const Span body = Trimmed(text, line.content);
        if (body.size() > 0 && text[body.begin] == '[') {
            // "[name]": the name between the bracket and the last ']', trimmed. A
            // header without ']' is not a header.
            const size_t close = text.rfind(']', body.end - 1);
            if (close != std::string::npos && close > body.begin) {
                line.kind = LineKind::Section;
                line.name = Trimmed(text, Span{body.begin + 1, close});
            }
        } else if (body.size() > 0 && text[body.begin] != ';') {
            const size_t equals = text.find('=', body.begin);
            if (equals != std::string::npos && equals < body.end) {
                line.kind = LineKind::Key;
                line.name = Trimmed(text, Span{body.begin, equals});
                line.value = Trimmed(text, Span{equals + 1, body.end});
            }
        }
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

constexpr size_t kNone = static_cast<size_t>(-1);

// Where a key sits: the first section of that name and the first key of that name
// in it, as the private-profile functions look them up (a later section of the
// same name is not searched).
struct Location {
    size_t section = kNone;  // index of the header line
    size_t key = kNone;      // index of the key line
    size_t lastKey = kNone;  // last key line of the section, or its header
};

Location Find(const std::string& text, const std::vector<Line>& lines, const char* section,
              const char* key)
{
    Location at;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::Section) {
            if (at.section != kNone)
                break;
            if (SameName(text, line.name, section))
                at.section = at.lastKey = i;
        } else if (line.kind == LineKind::Key && at.section != kNone) {
            at.lastKey = i;
            if (SameName(text, line.name, key)) {
                at.key = i;
                break;
            }
        }
    }
    return at;
}

enum class ReadResult { Missing, Read, Failed };

// Reads the whole settings file. Only a regular file of at most kLargestIni bytes
// is read: a FIFO, a device or a link to one (or a file far larger than any
// settings file) fails at once instead of blocking or filling the memory.
ReadResult ReadWholeFile(const char* path, std::string& text)
{
    struct stat st;
    if (::lstat(path, &st) != 0 && errno == ENOENT)
        return ReadResult::Missing;
    uint64_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0)
        return ReadResult::Failed;
    // Read until the end, or until the file is (or has grown) larger than allowed.
    text.clear();
    char chunk[16384];
    ssize_t n = 1;
    while (n != 0 && text.size() <= kLargestIni) {
        n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0)
            text.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return n < 0 || text.size() > kLargestIni ? ReadResult::Failed : ReadResult::Read;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the text to the temporary file beside the settings file (its name and
// ".tmp"), flushes it to the disk and renames it over the old file, so a reader sees
// either the old or the new file. The temporary name is always the same, so a write
// killed half-way leaves at most that one file, which the next write replaces. On any
// failure the temporary file is removed and the old file stays.
bool ReplaceFile(const char* path, const std::string& text)
{
    struct stat existing;
    const bool exists = ::stat(path, &existing) == 0;
    // A read-only file keeps its content, as the platform's writer refuses it.
    if (exists && ::access(path, W_OK) != 0)
        return false;
    const std::string temporary = std::string(path) + kTemporarySuffix;
    // Whatever a killed write left under the name goes first; a new file is made, never
    // one a link leads to.
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    // The new file keeps the old one's permissions. It reaches the disk before the
    // rename makes it the file, so a crash right after leaves the old file or the
    // whole new one.
    bool written = (!exists || ::fchmod(fd, existing.st_mode & 07777) == 0) && WriteAll(fd, text) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (written && ::rename(temporary.c_str(), path) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

// The line end of new lines: that of the file's first line, CRLF for a new file
// (the form the settings file has always had).
std::string LineEnd(const std::string& text)
{
    const size_t newline = text.find('\n');
    if (newline == std::string::npos)
        return "\r\n";
    return newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace

std::string ReadIniString(const char* path, const char* section, const char* key,
                          const char* defaultText)
{
    std::string value = defaultText != nullptr ? defaultText : "";
    std::string text;
    if (path != nullptr && section != nullptr && key != nullptr
        && ReadWholeFile(path, text) == ReadResult::Read) {
        const std::vector<Line> lines = SplitLines(text);
        const Location at = Find(text, lines, section, key);
        if (at.key != kNone) {
            Span span = lines[at.key].value;
            // Quotes around the whole value are removed, single or double alike, as
            // the private-profile reader does: the first character is a quote and
            // the last is the same quote. A lone quote or unbalanced quotes stay.
            if (span.size() >= 2 && (text[span.begin] == '"' || text[span.begin] == '\'')
                && text[span.end - 1] == text[span.begin]) {
                ++span.begin;
                --span.end;
            }
            value.assign(text, span.begin, span.size());
        }
    }
    if (value.size() > static_cast<size_t>(kIniValueMax))
        value.resize(kIniValueMax);
    return value;
}

namespace {

// Sets the key of the section in the file's text to the value as WriteIniString
// describes; a null value removes the key. Returns false when nothing changed (a
// missing key removed).
bool SetIniValue(std::string& text, const char* section, const char* key, const char* value)
{
    // A value is one line: anything from a line break on would become lines of its own.
    std::string entryValue;
    if (value != nullptr) {
        entryValue = value;
        const size_t cut = entryValue.find_first_of("\r\n");
        if (cut != std::string::npos)
            entryValue.resize(cut);
    }

    const std::vector<Line> lines = SplitLines(text);
    const Location at = Find(text, lines, section, key);
    const std::string eol = LineEnd(text);
    if (at.key != kNone) {
        const Line& line = lines[at.key];
        if (value == nullptr) {
            text.erase(line.content.begin, line.next - line.content.begin);
        } else {
            // The key keeps its spelling in the file; the line becomes "key=value".
            const std::string entry = text.substr(line.name.begin, line.name.size()) + "=" + entryValue;
            text.replace(line.content.begin, line.content.size(), entry);
        }
    } else if (value == nullptr) {
        return false;  // nothing to remove
    } else if (at.section != kNone) {
        // After the section's last key, before the blank lines and comments that
        // lead to the next section.
        const Line& last = lines[at.lastKey];
        const std::string entry = std::string(key) + "=" + entryValue;
        if (last.next == last.content.end)  // the last line of a file without a final line end
            text.insert(last.next, eol + entry);
        else
            text.insert(last.next, entry + eol);
    } else {
        if (!text.empty() && text.back() != '\n')
            text += eol;
        text += "[" + std::string(section) + "]" + eol + key + "=" + entryValue + eol;
    }
    return true;
}

}  // namespace

bool WriteIniString(const char* path, const char* section, const char* key, const char* value)
{
    if (key == nullptr)
        return false;
    return WriteIniStrings(path, section, {{key, value}});
}

bool WriteIniStrings(const char* path, const char* section, const std::vector<CIniEntry>& entries)
{
    if (path == nullptr || section == nullptr)
        return false;
    std::string text;
    if (ReadWholeFile(path, text) == ReadResult::Failed)
        return false;  // never replace a file whose content we cannot keep
    bool changed = false;
    for (const CIniEntry& entry : entries) {
        if (entry.key == nullptr)
            return false;
        changed = SetIniValue(text, section, entry.key, entry.value) || changed;
    }
    return !changed || ReplaceFile(path, text);
}

std::string SettingsFilePath()
{
    char directory[4096];
    if (ModuleDirectory(directory, sizeof directory) == 0)
        return SettingsFilePathFor(std::string());
    return SettingsFilePathFor(directory);
}

namespace {

// The folder of an installed program: a system program folder, or a "bin" folder
// whose prefix holds the desktop entry an install puts there.
bool IsInstalledProgramDirectory(const std::string& programDirectory)
{
    for (const char* system : {"/bin/", "/usr/bin/", "/usr/local/bin/"}) {
        if (programDirectory == system)
            return true;
    }
    const QDir folder(QFile::decodeName(programDirectory.c_str()));
    return !programDirectory.empty() && folder.dirName() == QLatin1String("bin")
           && QFileInfo::exists(folder.absoluteFilePath(QStringLiteral("../share/applications/trandor.desktop")));
}

}  // namespace

std::string SettingsFilePathFor(const std::string& programDirectory)
{
    const std::string beside = programDirectory + kIniFileName;
    const QString folder = programDirectory.empty() ? QStringLiteral(".") : QFile::decodeName(programDirectory.c_str());
    if (!IsInstalledProgramDirectory(programDirectory)
        && (QFileInfo(folder).isWritable() || QFileInfo::exists(QFile::decodeName(beside.c_str()))))
        return beside;
    // A relative $XDG_CONFIG_HOME is to be ignored, as the base-directory rules say.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString own = config + QStringLiteral("/trandor");
    QDir().mkpath(own);
    return QFile::encodeName(own + QLatin1Char('/') + QLatin1String(kIniFileName)).toStdString();
}

CInitSetting::CInitSetting(const char* path)
    : m_path(path != nullptr ? path : ""), m_hasPath(path != nullptr)
{
}

CInitSetting::~CInitSetting() = default;

int CInitSetting::ReadString(const char* section, const char* key, char* out, int outLength,
                             const char* defaultText, const char* prefix, const char* suffix) const
{
    const std::string value = ReadIniString(GetPath(), section, key, defaultText);
    if (out != nullptr && outLength > 0) {
        std::string result;
        if (!value.empty()) {
            result = prefix != nullptr ? prefix : "";
            result += value;
            result += suffix != nullptr ? suffix : "";
        }
        const size_t length = std::min(result.size(), static_cast<size_t>(outLength - 1));
        std::memcpy(out, result.data(), length);
        out[length] = '\0';
    }
    return static_cast<int>(value.size());
}

bool CInitSetting::WriteString(const char* section, const char* key, const char* value) const
{
    return WriteIniString(GetPath(), section, key, value);
}

void ReadSetting(const CInitSetting& setting, int key, std::string& out, const char* defaultText)
{
    char buffer[260];
    setting.ReadString(kQuickSaveSection, std::to_string(key).c_str(), buffer, sizeof buffer,
                       defaultText);
    out = buffer;
}

bool WriteSetting(const CInitSetting& setting, int key, const char* value)
{
    return setting.WriteString(kQuickSaveSection, std::to_string(key).c_str(), value);
}

bool WriteSetting(const CInitSetting& setting, int key, const std::string& value)
{
    return WriteSetting(setting, key, value.c_str());
}

bool WriteSettings(const CInitSetting& setting, const std::vector<std::pair<int, std::string>>& values)
{
    std::vector<std::string> keys;
    keys.reserve(values.size());
    for (const auto& value : values)
        keys.push_back(std::to_string(value.first));
    std::vector<CIniEntry> entries;
    for (size_t i = 0; i < values.size(); ++i)
        entries.push_back(CIniEntry{keys[i].c_str(), values[i].second.c_str()});
    return WriteIniStrings(setting.GetPath(), kQuickSaveSection, entries);
}

QString ReadLastFolder(const CInitSetting& setting)
{
    char buffer[kIniValueMax + 1];
    setting.ReadString(kOpenDialogSection, kKeyLastFolder, buffer, sizeof buffer);
    return DecodeValue(buffer);
}

bool WriteLastFolder(const CInitSetting& setting, const QString& text)
{
    const std::string folder = text.toStdString();
    const bool fits = folder.size() <= static_cast<size_t>(kIniValueMax)
                      && folder.find_first_of("\r\n") == std::string::npos;
    if (!fits) {
        setting.WriteString(kOpenDialogSection, kKeyLastFolder, nullptr);
        return false;
    }
    return setting.WriteString(kOpenDialogSection, kKeyLastFolder, ("\"" + folder + "\"").c_str());
}

CSettingsRecord LoadSettings(const CInitSetting& setting)
{
    CSettingsRecord record;
    std::string text;
    ReadSetting(setting, kKeyTimeColumn, text, kAutomaticValue);
    record.timeColumn = text == kAutomaticValue ? kAutomaticChoice : DecimalToInt(text.c_str());
    ReadSetting(setting, kKeyTimeOrder, text, kAutomaticValue);
    record.timeOrder = text == kAutomaticValue ? kAutomaticChoice : DecimalToInt(text.c_str());
    ReadSetting(setting, kKeyLabelFormat, text, "0");
    record.labelFormat = DecimalToInt(text.c_str());
    ReadSetting(setting, kKeyRangeMode, text, "0");
    record.rangeMode = DecimalToInt(text.c_str());
    ReadSetting(setting, kKeyManualMax, text, "0");
    record.manualMax = DecimalToInt(text.c_str());
    ReadSetting(setting, kKeyManualMin, text, "0");
    record.manualMin = DecimalToInt(text.c_str());
    ReadSetting(setting, kKeyUnit, text, nullptr);
    // A longer UTF-8 unit cut by the read loses the character the cut went through,
    // rather than reading as GB18030.
    const std::string whole = CutUtf8(text, kIniValueMax);
    record.unit = DecodeValue(text.size() == kIniValueMax && IsValidUtf8(whole.data(), whole.size()) ? whole : text);
    return record;
}
