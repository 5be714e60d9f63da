#include "common/file_helpers.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The size OpenRegularFile reports, or 0 when it refuses the path.
uint64_t QueryFileSize(const char* path)
{
    uint64_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0)
        return 0;
    ::close(fd);
    return size;
}

}  // namespace

TEST(OpenRegularFile, SizeOfRegularFilesOnly)
{
    TempDir dir;
    struct Case {
        std::string name;
        size_t bytes;
    };
    for (const Case& c : {Case{"empty.csv", 0}, Case{"one.csv", 1}, Case{"data.csv", 70000}}) {
        const std::string path = dir.Write(c.name, std::string(c.bytes, 'x'));
        EXPECT_EQ(QueryFileSize(path.c_str()), c.bytes) << c.name;
    }
    EXPECT_EQ(QueryFileSize(dir.Path("missing.csv").c_str()), 0u);
    EXPECT_EQ(QueryFileSize(nullptr), 0u);
    EXPECT_EQ(QueryFileSize(""), 0u);
    const std::string folder = dir.Path("folder");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_EQ(QueryFileSize(folder.c_str()), 0u);
}

TEST(OpenRegularFile, FifoIsRefusedWithoutWaiting)
{
    TempDir dir;
    const std::string path = dir.Path("pipe");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(QueryFileSize(path.c_str()), 0u);  // would hang if open blocked
}

TEST(OpenRegularFile, SizeAboveFourGigabytes)
{
    TempDir dir;
    const std::string path = dir.Write("big.csv", "");
    const uint64_t size = (uint64_t(5) << 30) + 123;
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const bool grown = ::ftruncate(fd, static_cast<off_t>(size)) == 0;  // sparse
    ::close(fd);
    if (!grown)
        GTEST_SKIP() << "file system refuses a 5 GiB sparse file";
    EXPECT_EQ(QueryFileSize(path.c_str()), size);
}

TEST(ModuleDirectoryFromPath, CutsAfterTheLastSeparator)
{
    struct Case {
        std::string path;
        unsigned size;
        unsigned result;
        std::string buffer;  // the text left in the buffer; "~" = untouched
    };
    const Case cases[] = {
        {"/opt/trand", 64, 5, "/opt/"},  // 10 characters, last '/' at 4
        {"/opt/trandor/bin/trandor", 64, 17, "/opt/trandor/bin/"},
        {"/trandor", 64, 1, "/"},
        {"/", 64, 1, "/"},
        {"x", 64, 1, "x"},
        {"trandor", 64, 1, "trandor"},  // no separator: kept whole, result 1
        {"/opt/trand", 11, 5, "/opt/"},  // exactly fits with its terminator
        {"/opt/trand", 10, 0, "~"},      // no room for the terminator
        {"/opt/trand", 0, 0, "~"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " in " + std::to_string(c.size) + " bytes");
        char buffer[64];
        std::memset(buffer, '~', sizeof buffer);
        buffer[63] = '\0';
        const std::string untouched(buffer);
        EXPECT_EQ(ModuleDirectoryFromPath(c.path.data(), static_cast<unsigned>(c.path.size()),
                                          buffer, c.size),
                  c.result);
        if (c.buffer == "~")
            EXPECT_EQ(std::string(buffer), untouched);
        else
            EXPECT_EQ(std::string(buffer), c.buffer);
    }
}

TEST(ModuleDirectory, IsTheExecutablesFolder)
{
    char exe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);

    char buffer[4096] = {};
    const unsigned n = ModuleDirectory(buffer, sizeof buffer);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, std::strlen(buffer));
    EXPECT_EQ(buffer[n - 1], '/');
    EXPECT_EQ(std::string(exe).rfind('/'), n - 1);
    EXPECT_EQ(std::string(exe).compare(0, n, buffer), 0) << buffer << " vs " << exe;
}

TEST(ModuleDirectory, TooSmallBufferIsLeftUntouched)
{
    char buffer[4] = {'a', 'b', 'c', '\0'};
    EXPECT_EQ(ModuleDirectory(buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(ModuleDirectory(nullptr, 0), 0u);
}
