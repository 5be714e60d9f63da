#include "settings/ini_setting.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

QStringList FolderEntries(const std::string& folder)
{
    QStringList entries =
        QDir(QString::fromStdString(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.sort();
    return entries;
}

std::string Choice(int value)
{
    return value == kAutomaticChoice ? "auto" : std::to_string(value);
}

// The record as "column order format range max min [unit]", "auto" for an automatic choice.
std::string Fields(const CSettingsRecord& r)
{
    return Choice(r.timeColumn) + " " + Choice(r.timeOrder) + " " + std::to_string(r.labelFormat)
           + " " + std::to_string(r.rangeMode) + " " + std::to_string(r.manualMax) + " "
           + std::to_string(r.manualMin) + " [" + r.unit.toStdString() + "]";
}

// Whether this process can create files in a folder without write permission
// (the super-user can), which makes permission failures impossible to provoke.
bool PermissionsIgnored(const std::string& folder)
{
    const std::string probe = folder + "/probe";
    std::ofstream out(probe);
    const bool created = out.good();
    out.close();
    ::unlink(probe.c_str());
    return created;
}

}  // namespace

TEST(LoadSettings, DefaultsOfMissingFileAndMissingKeys)
{
    TempDir dir;
    struct Case {
        const char* name;
        const char* content;  // null: no file
    };
    const Case cases[] = {
        {"no file", nullptr},
        {"other section only", "[OTHER]\r\n7000=5\r\n7006=V\r\n"},
        {"keys before any section", "7000=5\r\n7006=V\r\n[QUICK_SAVE]\r\n11100=9\r\n"},
        {"automatic choices stored", "[QUICK_SAVE]\r\n7000=auto\r\n7001=auto\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.content ? dir.Write("Trandor.INI", c.content) : dir.Path("none.INI");
        EXPECT_EQ(Fields(LoadSettings(CInitSetting(path.c_str()))), "auto auto 0 0 0 0 []");
    }
    const CInitSetting noPath;
    EXPECT_EQ(noPath.GetPath(), nullptr);
    EXPECT_EQ(Fields(LoadSettings(noPath)), "auto auto 0 0 0 0 []");
    EXPECT_FALSE(WriteSetting(noPath, kKeyTimeColumn, "3"));
}

TEST(LoadSettings, RoundTripOfTheRecordAndOutOfRangeValues)
{
    TempDir dir;
    const CInitSetting ini(dir.Path("Trandor.INI").c_str());
    const char* values[] = {"3", "0", "9", "1", "-250", "abc", "mV"};
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(WriteSetting(ini, kKeyTimeColumn + i, values[i])) << 7000 + i;

    // No range test: format 9 stays 9; "abc" reads as 0.
    EXPECT_EQ(Fields(LoadSettings(CInitSetting(dir.Path("Trandor.INI").c_str()))), "3 0 9 1 -250 0 [mV]");
    EXPECT_EQ(ReadFile(dir.Path("Trandor.INI")),
              "[QUICK_SAVE]\r\n7000=3\r\n7001=0\r\n7002=9\r\n7003=1\r\n7004=-250\r\n7005=abc\r\n7006=mV\r\n");

    // Rewriting keys replaces their values in place.
    ASSERT_TRUE(WriteSetting(ini, kKeyTimeColumn, std::string("abc")));
    ASSERT_TRUE(WriteSetting(ini, kKeyUnit, ""));
    EXPECT_EQ(Fields(LoadSettings(ini)), "0 0 9 1 -250 0 []");
}

TEST(ReadIniString, PlatformLookupRules)
{
    TempDir dir;
    struct Case {
        const char* name;
        std::string content;
        const char* section;
        const char* key;
        std::string expected;  // "<default>" when the default must apply
    };
    const Case cases[] = {
        {"CRLF with blanks around names and '='",
         "  [ QUICK_SAVE ]  \r\n\t7000  =  4  \r\n7006 = milli volt \r\n", "QUICK_SAVE", "7006",
         "milli volt"},
        {"section and key case", "[Quick_Save]\r\nUnitKey=x\r\n", "QUICK_SAVE", "unitkey", "x"},
        {"non-ASCII bytes compare exactly", "[\xC4\xE3]\r\nk=1\r\n", "\xE4\xC3", "k", "<default>"},
        {"double quotes removed", "[S]\r\nk=\" a b \"\r\n", "S", "k", " a b "},
        {"single quotes removed", "[S]\r\nk='x'\r\n", "S", "k", "x"},
        {"unbalanced quotes kept", "[S]\r\nk=\"x'\r\n", "S", "k", "\"x'"},
        {"quotes inside kept", "[S]\r\nk=a\"b\"\r\n", "S", "k", "a\"b\""},
        {"empty value is not missing", "[S]\r\nk=\r\n", "S", "k", ""},
        {"comment is no key", "[S]\r\n;k=1\r\n", "S", ";k", "<default>"},
        {"line without '=' is no key", "[S]\r\nk\r\n", "S", "k", "<default>"},
        {"key of another section", "[S]\r\n[T]\r\nk=1\r\n", "S", "k", "<default>"},
        {"only the first section of a name", "[S]\r\na=1\r\n[S]\r\nk=2\r\n", "S", "k", "<default>"},
        {"byte-order mark before the first header", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "1"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("case.INI", c.content);
        const std::string expected = c.expected == "<default>" ? "DEF" : c.expected;
        EXPECT_EQ(ReadIniString(path.c_str(), c.section, c.key, "DEF"), expected) << c.name;
    }
}

TEST(ReadIniString, LongValuesAreCutTo254Bytes)
{
    TempDir dir;
    const std::string path = dir.Path("Trandor.INI");
    const std::string value(300, 'v');
    ASSERT_TRUE(WriteSetting(CInitSetting(path.c_str()), kKeyUnit, value));
    EXPECT_EQ(ReadIniString(path.c_str(), "QUICK_SAVE", "7006", ""), std::string(254, 'v'));
    EXPECT_EQ(ReadIniString(dir.Path("none").c_str(), "S", "k", value.c_str()), std::string(254, 'v'));
    std::string unit;
    ReadSetting(CInitSetting(path.c_str()), kKeyUnit, unit, nullptr);
    EXPECT_EQ(unit.size(), 254u);
}

// Only a regular file of at most 1 MiB is read: a FIFO without a writer does not
// block, a link to an endless device does not fill the memory. Either reads as the
// defaults and is never replaced by a write.
TEST(ReadIniString, OnlyRegularFilesOfAtMostOneMebibyte)
{
    TempDir dir;
    const std::string fifo = dir.Path("fifo.INI");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = dir.Path("zero.INI");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    const std::string big = dir.Write("big.INI", "[QUICK_SAVE]\n7000=5\n");
    ASSERT_EQ(::truncate(big.c_str(), (1 << 20) + 1), 0);
    const std::string limit = dir.Write("limit.INI", "[QUICK_SAVE]\n7000=5\n");
    ASSERT_EQ(::truncate(limit.c_str(), 1 << 20), 0);
    for (const std::string& path : {fifo, zero, big}) {
        EXPECT_EQ(ReadIniString(path.c_str(), "QUICK_SAVE", "7000", "1"), "1") << path;
        EXPECT_FALSE(WriteSetting(CInitSetting(path.c_str()), kKeyTimeColumn, "2")) << path;
    }
    EXPECT_EQ(ReadIniString(limit.c_str(), "QUICK_SAVE", "7000", "1"), "5");
    struct stat st;
    ASSERT_EQ(::lstat(zero.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(CInitSetting, ReadStringAddsPrefixAndSuffixAndCutsToTheBuffer)
{
    TempDir dir;
    const std::string path = dir.Write("a.INI", "[S]\r\nk=value\r\nempty=\r\n");
    const CInitSetting ini(path.c_str());
    struct Case {
        const char* key;
        int length;
        const char* def;
        const char* prefix;
        const char* suffix;
        int result;
        std::string out;
    };
    const Case cases[] = {
        {"k", 64, nullptr, "<", ">", 5, "<value>"},
        {"k", 5, nullptr, "<", ">", 5, "<val"},  // cut to length - 1
        {"empty", 64, "d", "<", ">", 0, ""},       // an empty value gets no prefix
        {"missing", 64, "d", "<", ">", 1, "<d>"},  // the default is a value
    };
    for (const Case& c : cases) {
        char out[64];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(ini.ReadString("S", c.key, out, c.length, c.def, c.prefix, c.suffix), c.result)
            << c.key << " in " << c.length;
        EXPECT_EQ(std::string(out), c.out) << c.key << " in " << c.length;
    }
}

TEST(WriteIniString, KeepsEveryOtherLineOfTheFile)
{
    TempDir dir;
    const std::string crlf =
        "; settings\r\n[OTHER]\r\nA = 1\r\n\r\n[quick_save]\r\n7000 = 1\r\n; the unit\r\n7006=V\r\n\r\n"
        "; print\r\n[PRINT]\r\nB=2\r\n";
    struct Case {
        const char* name;
        std::string before;
        const char* key;
        const char* value;
        std::string after;
    };
    const Case cases[] = {
        {"existing key keeps its spelling and position", crlf, "7000", "5",
         "; settings\r\n[OTHER]\r\nA = 1\r\n\r\n[quick_save]\r\n7000=5\r\n; the unit\r\n7006=V\r\n\r\n"
         "; print\r\n[PRINT]\r\nB=2\r\n"},
        {"missing key goes after the section's last key", crlf, "7001", "0",
         "; settings\r\n[OTHER]\r\nA = 1\r\n\r\n[quick_save]\r\n7000 = 1\r\n; the unit\r\n7006=V\r\n7001=0\r\n"
         "\r\n; print\r\n[PRINT]\r\nB=2\r\n"},
        {"null value removes the key", crlf, "7000", nullptr,
         "; settings\r\n[OTHER]\r\nA = 1\r\n\r\n[quick_save]\r\n; the unit\r\n7006=V\r\n\r\n"
         "; print\r\n[PRINT]\r\nB=2\r\n"},
        {"LF file stays LF", "[X]\nA=1\n", "7000", "2", "[X]\nA=1\n[QUICK_SAVE]\n7000=2\n"},
        {"missing section without final line end", "[X]\r\nA=1", "7000", "2",
         "[X]\r\nA=1\r\n[QUICK_SAVE]\r\n7000=2\r\n"},
        {"missing key, section at the end without final line end", "[QUICK_SAVE]\n7000=1", "7001", "2",
         "[QUICK_SAVE]\n7000=1\n7001=2"},
        {"line break in the value is cut", "", "7006", "a\r\n[EVIL]", "[QUICK_SAVE]\r\n7006=a\r\n"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("Trandor.INI", c.before);
        EXPECT_TRUE(WriteIniString(path.c_str(), "QUICK_SAVE", c.key, c.value)) << c.name;
        EXPECT_EQ(ReadFile(path), c.after) << c.name;
    }

    // Removing a missing key leaves no file behind.
    EXPECT_TRUE(WriteIniString(dir.Path("none.INI").c_str(), "QUICK_SAVE", "7000", nullptr));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.Path("none.INI"))));
}

TEST(WriteIniString, FileOfAnotherProgramReadsTheSame)
{
    // Written by the old program on its own system: CRLF, blanks around '=', GB18030 unit.
    const std::string unit = "\xCE\xC2\xB6\xC8\xA1\xE6";  // 温度℃ in GB18030
    TempDir dir;
    const std::string path = dir.Write(
        "Trandor.INI", "[QUICK_SAVE]\r\n7000 = 2\r\n7001 =0\r\n7002= 3\r\n7006 = " + unit + "\r\n");
    const CInitSetting ini(path.c_str());
    CSettingsRecord r = LoadSettings(ini);
    EXPECT_EQ(Fields(r), "2 0 3 0 0 0 [温度℃]");

    // Written back by this program, as UTF-8, it reads the same.
    ASSERT_TRUE(WriteSetting(ini, kKeyUnit, r.unit.toStdString() + "/s"));
    r = LoadSettings(ini);
    EXPECT_EQ(Fields(r), "2 0 3 0 0 0 [温度℃/s]");
}

TEST(WriteIniString, FailedWriteLeavesTheOldFile)
{
    TempDir dir;
    const std::string notAFolder = dir.Write("plain", "x");
    struct Case {
        const char* name;
        std::string path;
    };
    const Case cases[] = {
        {"missing folder", dir.Path("missing/Trandor.INI")},
        {"folder is a file", notAFolder + "/Trandor.INI"},
        {"path is a folder", dir.Path("")},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(WriteSetting(CInitSetting(c.path.c_str()), kKeyTimeColumn, "2")) << c.name;
    EXPECT_EQ(FolderEntries(dir.Path("")), QStringList{"plain"});

    // A successful write leaves only the settings file.
    const std::string old = "[QUICK_SAVE]\r\n7000=1\r\n";
    const std::string path = dir.Write("Trandor.INI", old);
    ASSERT_TRUE(WriteSetting(CInitSetting(path.c_str()), kKeyTimeColumn, "3"));
    EXPECT_EQ(FolderEntries(dir.Path("")), (QStringList{"Trandor.INI", "plain"}));

    // The temporary file has one name beside the settings file: what a write killed
    // half-way left there is replaced by the next write, a link there is not followed.
    dir.Write("Trandor.INI.tmp", "[QUICK_SAVE]\r\n70");
    ASSERT_TRUE(WriteSetting(CInitSetting(path.c_str()), kKeyTimeColumn, "4"));
    EXPECT_EQ(FolderEntries(dir.Path("")), (QStringList{"Trandor.INI", "plain"}));
    ASSERT_EQ(::symlink(notAFolder.c_str(), dir.Path("Trandor.INI.tmp").c_str()), 0);
    ASSERT_TRUE(WriteSetting(CInitSetting(path.c_str()), kKeyTimeColumn, "5"));
    EXPECT_EQ(FolderEntries(dir.Path("")), (QStringList{"Trandor.INI", "plain"}));
    EXPECT_EQ(ReadFile(notAFolder), "x");
    EXPECT_EQ(ReadIniString(path.c_str(), "QUICK_SAVE", "7000", nullptr), "5");

    // A write that fails half-way (the file size limit stops the temporary file at
    // 64 bytes) keeps the old file and removes the temporary one. Nothing is
    // printed while the limit holds.
    dir.Write("Trandor.INI", old);
    struct rlimit limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    struct rlimit small = limit;
    small.rlim_cur = 64;
    const sighandler_t previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteSetting(CInitSetting(path.c_str()), kKeyUnit, std::string(200, 'u'));
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(FolderEntries(dir.Path("")), (QStringList{"Trandor.INI", "plain"}));
}

TEST(WriteIniString, ReadOnlyFolderOrFileKeepsTheOldFile)
{
    TempDir dir;
    const std::string old = "[QUICK_SAVE]\r\n7000=1\r\n";
    const std::string folder = dir.Path("app");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string path = dir.Write("app/Trandor.INI", old);

    ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
    const bool ignored = PermissionsIgnored(folder);
    const bool folderRefused = !WriteSetting(CInitSetting(path.c_str()), kKeyTimeColumn, "2");
    const std::string afterFolder = ReadFile(path);
    const QStringList entries = FolderEntries(folder);
    ::chmod(folder.c_str(), 0700);
    ASSERT_EQ(::chmod(path.c_str(), 0400), 0);
    const bool fileRefused = !WriteSetting(CInitSetting(path.c_str()), kKeyTimeColumn, "2");
    const std::string afterFile = ReadFile(path);
    ::chmod(path.c_str(), 0600);
    if (ignored)
        GTEST_SKIP() << "permissions are not enforced for this user";
    EXPECT_TRUE(folderRefused);
    EXPECT_EQ(afterFolder, old);
    EXPECT_EQ(entries, QStringList{"Trandor.INI"});
    EXPECT_TRUE(fileRefused);
    EXPECT_EQ(afterFile, old);
}

// Sets an environment variable for the life of the object (unset when value is null).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        m_had = std::getenv(name) != nullptr;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { m_had ? ::setenv(m_name, m_old.c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

TEST(SettingsFilePath, BesideTheProgramWhenWritableElseInTheConfigFolder)
{
    TempDir dir;
    const ScopedEnv home("HOME", dir.Path("home").c_str());
    const std::string program = dir.Path("program/");
    ASSERT_EQ(::mkdir(program.c_str(), 0700), 0);
    const std::string locked = dir.Path("locked/");
    ASSERT_EQ(::mkdir(locked.c_str(), 0700), 0);
    const std::string lockedWithFile = dir.Path("lockedWithFile/");
    ASSERT_EQ(::mkdir(lockedWithFile.c_str(), 0700), 0);
    dir.Write("lockedWithFile/Trandor.INI", "[QUICK_SAVE]\n");
    ::chmod(locked.c_str(), 0500);
    ::chmod(lockedWithFile.c_str(), 0500);
    const bool ignored = PermissionsIgnored(locked);

    struct Case {
        const char* name;
        std::string programDir;
        const char* xdg;  // null: unset
        std::string expected;
    };
    const std::string config = dir.Path("config");
    const std::string homeConfig = dir.Path("home/.config/trandor/Trandor.INI");
    const Case cases[] = {
        {"writable folder", program, config.c_str(), program + "Trandor.INI"},
        {"read-only folder holding the file", lockedWithFile, config.c_str(), lockedWithFile + "Trandor.INI"},
        {"missing folder", dir.Path("missing/"), config.c_str(), config + "/trandor/Trandor.INI"},
        {"no XDG_CONFIG_HOME", dir.Path("missing/"), nullptr, homeConfig},
        {"relative XDG_CONFIG_HOME", dir.Path("missing/"), "relative", homeConfig},
        {"read-only folder", locked, config.c_str(), ignored ? locked + "Trandor.INI" : config + "/trandor/Trandor.INI"},
    };
    for (const Case& c : cases) {
        const ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        const std::string path = SettingsFilePathFor(c.programDir);
        EXPECT_EQ(path, c.expected) << c.name;
        // The configuration folder is there to take the first write.
        if (path.rfind(c.programDir, 0) != 0) {
            EXPECT_TRUE(WriteSetting(CInitSetting(path.c_str()), kKeyTimeColumn, "2")) << c.name;
        }
    }
    ::chmod(locked.c_str(), 0700);
    ::chmod(lockedWithFile.c_str(), 0700);
}

// An installed program keeps its settings in the user's configuration folder even
// where it could write beside itself, and a file left there by an earlier run (as
// root) is not used; a "bin" folder that is no install prefix keeps them beside it.
TEST(SettingsFilePath, AnInstalledProgramKeepsThemInTheConfigFolder)
{
    TempDir dir;
    const ScopedEnv xdg("XDG_CONFIG_HOME", dir.Path("config").c_str());
    const std::string config = dir.Path("config/trandor/Trandor.INI");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path("prefix/share/applications"))));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path("prefix/bin"))));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path("copy/bin"))));
    dir.Write("prefix/share/applications/trandor.desktop", "[Desktop Entry]\n");
    dir.Write("prefix/bin/Trandor.INI", "[QUICK_SAVE]\n");
    const struct {
        std::string programDir;
        std::string expected;
    } cases[] = {
        {dir.Path("prefix/bin/"), config},
        {"/usr/bin/", config},
        {"/usr/local/bin/", config},
        {dir.Path("copy/bin/"), dir.Path("copy/bin/Trandor.INI")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsFilePathFor(c.programDir), c.expected) << c.programDir;
}

TEST(LastFolder, KeptWholeInASectionOfItsOwn)
{
    TempDir dir;
    const std::string path = dir.Write("Trandor.INI", "[QUICK_SAVE]\r\n7000=3\r\n");
    const CInitSetting ini(path.c_str());
    EXPECT_EQ(ReadLastFolder(ini), "");

    // Blanks at the ends, quotes and non-ASCII names come back as they went in.
    for (const std::string& folder : {std::string("/data/runs "), std::string(" /data/\"q\""), std::string("/数据/记录"),
                                      std::string(254, 'f')}) {
        ASSERT_TRUE(WriteLastFolder(ini, QString::fromStdString(folder))) << folder;
        EXPECT_EQ(ReadLastFolder(ini).toStdString(), folder);
    }
    ASSERT_TRUE(WriteLastFolder(ini, "/data/runs"));
    EXPECT_EQ(ReadFile(path), "[QUICK_SAVE]\r\n7000=3\r\n[OPEN_DIALOG]\r\nLastFolder=\"/data/runs\"\r\n");

    // A folder the file cannot hold whole is not kept, and neither is the one before.
    for (const std::string& folder : {std::string(255, 'f'), std::string("/data/two\nlines")}) {
        ASSERT_TRUE(WriteLastFolder(ini, "/data/runs"));
        EXPECT_FALSE(WriteLastFolder(ini, QString::fromStdString(folder)));
        EXPECT_EQ(ReadLastFolder(ini), "") << folder;
    }
    EXPECT_EQ(Fields(LoadSettings(ini)), "3 auto 0 0 0 0 []");
}
