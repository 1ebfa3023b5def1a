// The factory EEPROM images and image files.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>

#include "link/Clock.h"
#include "sim/EepromImage.h"
#include "sim/VirtualPrinter.h"
#include "tests/support/TempDir.h"

namespace veltra::sim {
namespace {

TEST(HeadIdCheck, KnownCodes) {
    struct Case {
        std::array<std::uint8_t, 7> v;
        char check;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0}, '+'},                 // sum 0 -> 37
        {{1, 1, 1, 1, 1, 1, 1}, 'J'},                 // sum 28 -> 9
        {{3, 0x65, 0x65, 0x65, 0x65, 0x65, 2}, '%'},  // -> 35
    };
    for (const Case& c : cases) {
        EXPECT_EQ(headIdCheckChar(headIdCheckValue(c.v)), c.check);
    }
    EXPECT_EQ(headIdCheckChar(0), 0);
    EXPECT_EQ(headIdCheckChar(38), 0);
    // The alphabet skips I and O.
    EXPECT_EQ(headIdCheckChar(8), 'H');
    EXPECT_EQ(headIdCheckChar(9), 'J');
    EXPECT_EQ(headIdCheckChar(13), 'N');
    EXPECT_EQ(headIdCheckChar(14), 'P');
    EXPECT_EQ(headIdCheckChar(25), '0');
}

TEST(DefaultImage, EachModelCarriesAValidIdentityAndItsSettings) {
    for (int model : {0, 1}) {
        const Eeprom e = defaultEepromImage(model);
        SCOPED_TRACE(model);
        // Head ID: digits in range, pairs within what the program accepts, and the check
        // character of the rebuilt code worked out here by hand from the formula.
        ASSERT_LE(e[0xAF], 3);
        ASSERT_LE(e[0xAE], 2);
        int sum = e[0xAF];
        for (int i = 0; i < 5; ++i) {
            EXPECT_LE(e[0xA0 + i], 0x65);
            sum += (i + 2) * e[0xA0 + i];
        }
        sum += 7 * e[0xAE];
        const auto code = headIdText(e);
        ASSERT_TRUE(code.has_value());
        ASSERT_EQ(code->size(), 13u);
        EXPECT_EQ(code->back(), headIdCheckChar(37 - sum % 37));
        // USB ID: 18 upper-case letters and digits.
        const std::string usb = usbIdText(e);
        ASSERT_EQ(usb.size(), 18u);
        for (char ch : usb) {
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(ch)) || (ch >= 'A' && ch <= 'Z'))
                << usb;
        }
        EXPECT_EQ(e[0xB0], model == 0 ? 0x94 : 0x95);
        EXPECT_EQ(e[0x5D], 0x2A);
        EXPECT_EQ(e[0x7D], 0x00);
        for (int a = 0x70; a <= 0x77; ++a) {
            EXPECT_LE(e[a], 3) << a;
        }
    }
    EXPECT_NE(usbIdText(defaultEepromImage(0)), usbIdText(defaultEepromImage(1)));
}

TEST(DefaultImage, HeadIdTextIsRefusedForDigitsOutOfRange) {
    Eeprom e = defaultEepromImage(0);
    e[0xAF] = 4;
    EXPECT_FALSE(headIdText(e).has_value());
    e = defaultEepromImage(0);
    e[0xAE] = 3;
    EXPECT_FALSE(headIdText(e).has_value());
}

class ImageFileTest : public ::testing::Test {
protected:
    veltra::test::TempDir dir{"veltra-sim-image"};
    std::string path = dir.file("eeprom.bin");
};

TEST_F(ImageFileTest, SaveAndLoadRoundTrip) {
    ManualClock clock;
    VirtualPrinter a(clock, 0);
    for (int i = 0; i < 256; ++i) {
        a.eeprom()[std::size_t(i)] = std::uint8_t(255 - i);
    }
    a.eeprom()[0xC2] = 'Q';  // a readable character of the USB ID, then one that is not
    a.eeprom()[0xC3] = 0x01;
    ASSERT_TRUE(a.saveEeprom(path));
    VirtualPrinter b(clock, 1);
    ASSERT_TRUE(b.loadEeprom(path));
    EXPECT_EQ(b.eeprom(), a.eeprom());
    // The header names the printer the image came from.
    const EepromImageRead read = parseEepromImageFile(readTextFile(path).value_or(""));
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.image->header.model, "Veltra K55");
    EXPECT_EQ(read.image->header.deviceId, a.deviceId());
    EXPECT_EQ(read.image->header.usbId.substr(0, 2), "Q?");
    EXPECT_EQ(read.image->header.saved, "2026-01-01 00:00:00");
}

TEST_F(ImageFileTest, FilesOfAnotherSizeAreRefusedAndChangeNothing) {
    ManualClock clock;
    VirtualPrinter p(clock, 0);
    const auto before = p.eeprom();
    for (std::size_t size : {0u, 255u, 257u}) {
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << std::string(size, '\x11');
        }
        std::string why;
        EXPECT_FALSE(p.loadEeprom(path, &why)) << size;
        EXPECT_FALSE(why.empty()) << size;
    }
    EXPECT_FALSE(p.loadEeprom(path + ".missing"));
    EXPECT_EQ(p.eeprom(), before);
    EXPECT_FALSE(p.saveEeprom(dir.file("no-such-dir/x.bin")));
}

}  // namespace
}  // namespace veltra::sim
