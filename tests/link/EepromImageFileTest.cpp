// The EEPROM image file: what it writes, what it refuses, and the raw form the virtual printer
// still reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "link/EepromImageFile.h"
#include "tests/support/TempDir.h"

namespace veltra {
namespace {

EepromImage sample() {
    EepromImage image;
    for (std::size_t i = 0; i < image.bytes.size(); ++i) {
        image.bytes[i] = std::uint8_t(i * 7 + 3);
    }
    image.header = {"Veltra K55",    "MFG:ZOLTA;MDL:Veltra K55;", "K55S01234527F95700",
                    "1234512345611", "2026-12-08 06:40:12",       "veltra-adjust 1.8"};
    return image;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(EepromImageFile, RoundTripKeepsBytesAndHeader) {
    const EepromImage image = sample();
    const std::string text = formatEepromImageFile(image);
    // A fixed sample line, so that the layout itself cannot drift.
    EXPECT_NE(text.find("\nmodel: Veltra K55\n"), std::string::npos);
    EXPECT_NE(text.find("\n50: 33 3A 41 48 4F 56 5D 64 6B 72 79 80 87 8E 95 9C\n"),
              std::string::npos);
    EXPECT_EQ(text.rfind(std::string(kEepromImageFirstLine) + "\n", 0), 0u);
    const EepromImageRead read = parseEepromImageFile(text);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.image->bytes, image.bytes);
    EXPECT_EQ(read.image->header.model, image.header.model);
    EXPECT_EQ(read.image->header.deviceId, image.header.deviceId);
    EXPECT_EQ(read.image->header.usbId, image.header.usbId);
    EXPECT_EQ(read.image->header.headId, image.header.headId);
    EXPECT_EQ(read.image->header.saved, image.header.saved);
    // Line ends turned to "\r\n" by a copy still check; lower-case digits are read too.
    std::string crlf;
    for (char ch : text) {
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    }
    EXPECT_TRUE(parseEepromImageFile(crlf).ok());
}

TEST(EepromImageFile, DamagedFilesAreRefusedWithTheirReason) {
    const std::string good = formatEepromImageFile(sample());
    const std::size_t line50 = good.find("\n50: ") + 1;
    struct Case {
        const char* name;
        std::string text;
        const char* reason;  // part of the error line
    };
    const Case cases[] = {
        {"one hex digit changed", replaced(good, "50: 33 3A", "50: 33 3B"), "checksum"},
        {"a header value changed", replaced(good, "Veltra K55\n", "Veltra K45\n"), "checksum"},
        {"a byte line missing", good.substr(0, line50) + good.substr(good.find('\n', line50) + 1),
         "expected \"50:\""},
        {"a header line missing", replaced(good, "head-id: 1234512345611\n", ""), "\"head-id\""},
        {"cut short in the bytes", good.substr(0, line50 + 20), "expected \"50:\""},
        {"cut short before the checksum", good.substr(0, good.find("crc32")),
         "before its checksum"},
        {"a byte that is no hex pair", replaced(good, "50: 33", "50: 3G"), "expected \"50:\""},
        {"a short checksum", replaced(good, "crc32: ", "crc32: 0"), "crc32"},
        {"text after the checksum", good + "extra\n", "after the checksum"},
        {"another version", replaced(good, "image 1\n", "image 2\n"), "version"},
        {"no image at all", "hello\n", "not an EEPROM image"},
        {"empty", "", "not an EEPROM image"},
    };
    for (const Case& c : cases) {
        const EepromImageRead read = parseEepromImageFile(c.text);
        EXPECT_FALSE(read.ok()) << c.name;
        EXPECT_NE(read.error.find(c.reason), std::string::npos) << c.name << ": " << read.error;
        EXPECT_EQ(read.error.find('\n'), std::string::npos) << c.name;
    }
}

TEST(EepromImageFile, RawBytesAreReadOnlyAtExactly256) {
    std::string raw(256, '\0');
    raw[0x5D] = '\x2A';
    const EepromImageRead read = parseEepromImageOrRaw(raw);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.image->bytes[0x5D], 0x2A);
    EXPECT_FALSE(parseEepromImageOrRaw(std::string(255, '\0')).ok());
    EXPECT_FALSE(parseEepromImageOrRaw(std::string(257, '\0')).ok());
    EXPECT_TRUE(parseEepromImageOrRaw(formatEepromImageFile(sample())).ok());
}

TEST(EepromImageFile, HeaderTextStaysOnOneLine) {
    EepromImage image = sample();
    image.header.deviceId = "MDL:K55;\nmodel: Veltra K45";
    image.header.usbId = std::string("AB\x01\xC3", 4);
    const EepromImageRead read = parseEepromImageFile(formatEepromImageFile(image));
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.image->header.model, "Veltra K55");
    EXPECT_EQ(read.image->header.deviceId, "MDL:K55;?model: Veltra K45");
    EXPECT_EQ(read.image->header.usbId, "AB??");
}

// Whatever is named as an image, the one reader answers at once: a folder, a FIFO without a
// writer (opening it would wait forever), a device without end, a file larger than any image.
TEST(TextFile, OnlyRegularFilesOfImageSizeAreRead) {
    const test::TempDir dir;
    const std::string big = dir.file("big.img");
    std::ofstream(big) << std::string(std::size_t(kMaxTextFileSize) + 1, 'x');
    const std::string fits = dir.file("fits.img");
    std::ofstream(fits) << std::string(std::size_t(kMaxTextFileSize), 'x');
    struct Case {
        std::string path;
        const char* reason;  // "" when the file is read
    };
    std::vector<Case> cases{
        {dir.path().string(), "folder"},
        {big, "larger than an image"},
        {dir.file("missing.img"), "does not exist"},
        {fits, ""},
    };
#ifndef _WIN32
    const std::string fifo = dir.file("fifo.img");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.push_back({fifo, "not a regular file"});
    cases.push_back({"/dev/zero", "not a regular file"});
#endif
    for (const Case& c : cases) {
        std::string why;
        const std::optional<std::string> text = readTextFile(c.path, &why);
        EXPECT_EQ(text.has_value(), *c.reason == '\0') << c.path << ": " << why;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.path << ": " << why;
    }
}

// A save replaces the file whole: a reader of the old file still reads it all, and nothing is
// left beside it.
TEST(TextFile, SavingReplacesTheFileInsteadOfRewritingIt) {
    const test::TempDir dir;
    const std::string path = dir.file("printer.eeprom");
    ASSERT_TRUE(writeTextFile(path, "old content\n"));
#ifndef _WIN32  // an open file cannot be replaced there
    std::ifstream reader(path, std::ios::binary);
    ASSERT_TRUE(writeTextFile(path, "new\n"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), "old content\n");
#else
    ASSERT_TRUE(writeTextFile(path, "new\n"));
#endif
    EXPECT_EQ(readTextFile(path).value_or(""), "new\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    std::string why;
    EXPECT_FALSE(writeTextFile(dir.file("no-folder/x.img"), "x", &why));
    EXPECT_NE(why.find("no-folder"), std::string::npos) << why;
}

TEST(Crc32, KnownCheckValue) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);  // the standard check value of this CRC
    EXPECT_EQ(crc32(""), 0u);
}

}  // namespace
}  // namespace veltra
