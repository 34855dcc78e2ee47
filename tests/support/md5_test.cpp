#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "harness/test_support.h"
#include "support/file_md5.h"
#include "support/log.h"
#include "support/md5.h"
#include "support/text_convert.h"

using namespace zeltest;

namespace {

const struct {
    const char* text;
    const char* digest;
} kRfcVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

// Feeds `data` in pieces of `piece` bytes.
std::string PiecewiseMd5(const std::string& data, size_t piece) {
    Md5 md5;
    for (size_t at = 0; at < data.size(); at += piece) md5.Update(data.data() + at, std::min(piece, data.size() - at));
    return md5.FinalHex();
}

}  // namespace

TEST(Md5Test, RfcVectors) {
    for (const auto& v : kRfcVectors) {
        std::string text = v.text;
        EXPECT_EQ(GetBufferHexMd5A(text.data(), text.size()), v.digest) << '"' << text << '"';
        EXPECT_EQ(GetBufferHexMd5(text.data(), text.size()), Utf8ToWide(v.digest)) << '"' << text << '"';
        for (size_t piece : {1, 3, 63, 64, 65})
            EXPECT_EQ(PiecewiseMd5(text, piece), v.digest) << '"' << text << "\" in pieces of " << piece;
    }
}

TEST(Md5Test, FinalStartsAFreshDigest) {
    Md5 md5;
    md5.Update("abc", 3);
    EXPECT_EQ(md5.FinalHex(), "900150983cd24fb0d6963f7d28e17f72");
    md5.Update("a", 1);
    EXPECT_EQ(md5.FinalHex(), "0cc175b9c0f1b6a831c399e269772661");
}

// Files of sizes around the 64 KiB read size, digested by the host's md5sum
// before the program started (make_md5_files.sh).
TEST(Md5Test, FilesMatchTheHostsMd5sum) {
    const std::wstring dir = EnvVar(L"ZEL_MD5_DATA");
    ASSERT_FALSE(dir.empty()) << "ZEL_MD5_DATA not set";
    std::istringstream sums(ReadFileBytes(dir + L"\\md5sums.txt"));
    std::string digest, name;
    int files = 0;
    while (sums >> digest >> name) {
        ++files;
        const std::wstring path = dir + L"\\" + Utf8ToWide(name);
        EXPECT_EQ(GetFileHexMd5(path), Utf8ToWide(digest)) << name;
        const std::string bytes = ReadFileBytes(path);
        EXPECT_EQ(GetBufferHexMd5A(bytes.data(), bytes.size()), digest) << name;
        for (size_t piece : {1000, 4097, 65536})
            EXPECT_EQ(PiecewiseMd5(bytes, piece), digest) << name << " in pieces of " << piece;
    }
    EXPECT_EQ(files, 14);
}

TEST(Md5Test, UnreadableFileGivesEmptyTextAndOneErrorLine) {
    TempDir temp;
    const std::wstring missing = temp / L"missing.bin";
    EXPECT_EQ(GetFileHexMd5(missing), L"");

    // A file held open without read sharing cannot be opened either.
    const std::wstring locked = temp / L"locked.bin";
    ASSERT_TRUE(WriteFileBytes(locked, "x"));
    HANDLE h = ::CreateFileW(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileHexMd5(locked), L"");
    ::CloseHandle(h);

    // The writer thread appends lines shortly after the statement.
    const std::regex missingLine("\\[Error\\]\\[utils\\]\\[utils\\]\\[GetFileHexMd5@\\d+\\] open " +
                                 std::regex_replace(WideToUtf8(missing), std::regex(R"([\\.])"), R"(\$&)") +
                                 " failed\\. error code: 2\r?$");
    const std::regex lockedLine("\\[GetFileHexMd5@\\d+\\] open .*locked\\.bin failed\\. error code: 32\r?$");
    int missingLines = 0, lockedLines = 0;
    for (int i = 0; i < 100 && (missingLines == 0 || lockedLines == 0); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::istringstream log(ReadFileBytes(zel_log::LogFilePath()));
        std::string line;
        missingLines = lockedLines = 0;
        while (std::getline(log, line)) {
            missingLines += std::regex_search(line, missingLine);
            lockedLines += std::regex_search(line, lockedLine);
        }
    }
    EXPECT_EQ(missingLines, 1);
    EXPECT_EQ(lockedLines, 1);
}
