// The head ID and USB ID operations against the virtual printer: the bytes and order that reach
// the EEPROM, the read-back, and what a link failure in the middle of a write leaves behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "codes/Malheadid.h"
#include "codes/Malusbid.h"
#include "tests/support/SimLink.h"

namespace veltra {
namespace {

using Writes = std::vector<std::pair<std::uint8_t, std::uint8_t>>;

constexpr std::uint8_t kSentinel = 0xEE;  // no code writes this value
const LocalTime kSerialTime{2002, 7, 15, 9, 5, 7};

struct WriteCase {
    const char* name;
    std::function<CodeResult(test::SimLink&)> write;
    Writes expected;  // every (address, value), in order
};

Writes CharacterWrites(std::uint8_t first, std::string_view chars) {
    Writes out;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        out.emplace_back(std::uint8_t(first + i), std::uint8_t(chars[i]));
    }
    return out;
}

std::vector<WriteCase> WriteCases() {
    Writes serial = CharacterWrites(0xC2, "SN12345678");
    const Writes code = CharacterWrites(0xCC, "27F95700");
    serial.insert(serial.end(), code.begin(), code.end());
    return {
        {"head ID",
         [](test::SimLink& s) { return HeadIdWrite(s.link, "365656565652%"); },
         {{0xAF, 3},
          {0xA0, 0x65},
          {0xA1, 0x65},
          {0xA2, 0x65},
          {0xA3, 0x65},
          {0xA4, 0x65},
          {0xAE, 2}}},
        {"USB ID", [](test::SimLink& s) { return UsbIdWrite(s.link, "ABCDEFGHIJ0123456Z"); },
         CharacterWrites(0xC2, "ABCDEFGHIJ0123456Z")},
        {"serial number",
         [](test::SimLink& s) {
             std::array<char, 9> c{};
             s.clock.setLocalTime(kSerialTime);
             return SerialNumberWrite(s.link, s.clock, "SN12345678", c);
         },
         serial},
    };
}

// Fills every address the case writes with the sentinel.
void FillSentinel(test::SimLink& s, const Writes& writes) {
    for (const auto& w : writes) {
        s.printer.eeprom()[w.first] = kSentinel;
    }
}

// The first `done` writes are in the EEPROM, the others still hold the sentinel.
void ExpectPrefixWritten(const test::SimLink& s, const Writes& expected, std::size_t done) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto [address, value] = expected[i];
        EXPECT_EQ(s.printer.eeprom()[address], i < done ? value : kSentinel)
            << "address " << int(address) << " after " << done << " writes";
    }
}

TEST(CodesOnPrinter, WritesEveryByteInOrder) {
    for (const WriteCase& c : WriteCases()) {
        SCOPED_TRACE(c.name);
        test::SimLink s;
        ASSERT_EQ(s.start(), kOk);
        FillSentinel(s, c.expected);
        EXPECT_EQ(c.write(s), CodeResult{});
        EXPECT_EQ(s.eepromWritesSince(), c.expected);
        ExpectPrefixWritten(s, c.expected, c.expected.size());
    }
}

TEST(CodesOnPrinter, RefusedWriteStopsAtOnceAndKeepsEarlierBytes) {
    for (const WriteCase& c : WriteCases()) {
        for (std::size_t accepted = 0; accepted < c.expected.size(); ++accepted) {
            SCOPED_TRACE(std::string(c.name) + ", refused after " + std::to_string(accepted));
            test::SimLink s;
            ASSERT_EQ(s.start(), kOk);
            FillSentinel(s, c.expected);
            // The link sleeps before reading each reply; by then the printer has taken the
            // request, so from the chosen count on every further write is refused.
            s.clock.onAdvance([&s, accepted](std::int64_t) {
                if (s.eepromWritesSince().size() >= accepted) {
                    s.printer.faults().eepromWriteLetter = 'N';
                }
            });
            if (accepted == 0) {
                s.printer.faults().eepromWriteLetter = 'N';
            }
            const CodeResult r = c.write(s);
            EXPECT_EQ(r, (CodeResult{kTransportFailure, kNoError}));
            EXPECT_EQ(s.link.LastError(), link_error::kRefused);
            const Writes expectedSent(c.expected.begin(),
                                      c.expected.begin() + std::ptrdiff_t(accepted + 1));
            EXPECT_EQ(s.eepromWritesSince(), expectedSent);
            ExpectPrefixWritten(s, c.expected, accepted);
        }
    }
}

TEST(CodesOnPrinter, DroppedConnectionLeavesThePrefixWritten) {
    for (const WriteCase& c : WriteCases()) {
        SCOPED_TRACE(c.name);
        bool sawPartial = false;
        bool succeeded = false;
        for (int packets = 0; packets < 400 && !succeeded; ++packets) {
            SCOPED_TRACE("drop after " + std::to_string(packets) + " packets");
            test::SimLink s;
            ASSERT_EQ(s.start(), kOk);
            FillSentinel(s, c.expected);
            s.dropAfterMorePackets(packets);
            const CodeResult r = c.write(s);
            if (r.ok()) {
                succeeded = true;
                ExpectPrefixWritten(s, c.expected, c.expected.size());
                continue;
            }
            EXPECT_TRUE(r.status == kPortFailure || r.status == kTransportFailure) << r.status;
            EXPECT_EQ(r.detail, kNoError);
            const Writes sent = s.eepromWritesSince();
            ASSERT_LT(sent.size(), c.expected.size());
            EXPECT_TRUE(std::equal(sent.begin(), sent.end(), c.expected.begin()));
            ExpectPrefixWritten(s, c.expected, sent.size());
            sawPartial = sawPartial || !sent.empty();
        }
        EXPECT_TRUE(succeeded);
        EXPECT_TRUE(sawPartial);
    }
}

TEST(CodesOnPrinter, FormatErrorsNeverReachThePrinter) {
    test::SimLink s;
    ASSERT_EQ(s.start(), kOk);
    const auto before = s.printer.eeprom();
    std::array<char, 9> code;
    code.fill('x');
    const std::pair<CodeResult, CodeResult> cases[] = {
        {HeadIdWrite(s.link, "00000000000+"), {kHeadIdFormat, headid_error::kLength}},
        {HeadIdWrite(s.link, "000000000000A"), {kHeadIdFormat, headid_error::kCheck}},
        {HeadIdWrite(s.link, "000000000660+"), {kHeadIdFormat, headid_error::kPair5}},
        {UsbIdWrite(s.link, "ABCDEFGHIJ0123456"), {kUsbIdFormat, usbid_error::kLength}},
        {UsbIdWrite(s.link, "ABCDEFGHIJ0123456z"), {kUsbIdFormat, usbid_error::kCharacter}},
        {SerialNumberWrite(s.link, s.clock, "SN1234-678", code),
         {kUsbIdFormat, usbid_error::kCharacter}},
        {SerialNumberWrite(s.link, s.clock, "SN1234567", code),
         {kUsbIdFormat, usbid_error::kLength}},
    };
    for (const auto& [got, want] : cases) {
        EXPECT_EQ(got, want);
    }
    EXPECT_TRUE(s.controlSince().empty());
    EXPECT_EQ(s.printer.eeprom(), before);
    EXPECT_EQ(code, (std::array<char, 9>{}));
}

TEST(CodesOnPrinter, HeadIdReadRebuildsTheTypedCode) {
    const std::pair<const char*, const char*> cases[] = {
        {"365656565652%", "365656565652%"},
        {"101010101011J", "101010101011J"},
        {"0G0000000000+", "000000000000+"},  // "G0" was stored as 0x00
    };
    for (const auto& [typed, shown] : cases) {
        test::SimLink s;
        ASSERT_EQ(s.start(), kOk);
        ASSERT_TRUE(HeadIdWrite(s.link, typed).ok()) << typed;
        s.mark();
        std::array<char, 14> out{};
        EXPECT_EQ(HeadIdRead(s.link, out), CodeResult{});
        EXPECT_STREQ(out.data(), shown);
        EXPECT_EQ(s.eepromReadsSince(),
                  (std::vector<std::uint8_t>{0xAF, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xAE}));
    }
}

TEST(CodesOnPrinter, HeadIdReadRejectsStoredDigitsOutOfRange) {
    const std::pair<std::uint8_t, std::uint8_t> cases[] = {{4, 0}, {0xFF, 2}, {3, 3}, {0, 0x80}};
    for (const auto& [first, twelfth] : cases) {
        test::SimLink s;
        ASSERT_EQ(s.start(), kOk);
        s.printer.eeprom()[0xAF] = first;
        s.printer.eeprom()[0xAE] = twelfth;
        std::array<char, 14> out;
        out.fill('x');
        EXPECT_EQ(HeadIdRead(s.link, out),
                  (CodeResult{kHeadIdFormat, headid_error::kInvalidStored}));
        EXPECT_EQ(out, (std::array<char, 14>{}));
        EXPECT_EQ(HeadIdMessage(HeadIdRead(s.link, out).detail), "Head ID is invalid.");
    }
}

TEST(CodesOnPrinter, ReadFailureReturnsTheLinkStatus) {
    test::SimLink s;
    ASSERT_EQ(s.start(), kOk);
    s.dropAfterMorePackets(0);
    std::array<char, 14> head;
    head.fill('x');
    const CodeResult h = HeadIdRead(s.link, head);
    EXPECT_TRUE(h.status == kPortFailure || h.status == kTransportFailure) << h.status;
    EXPECT_EQ(h.detail, kNoError);
    EXPECT_EQ(head, (std::array<char, 14>{}));
    std::array<char, 19> usb;
    usb.fill('x');
    const CodeResult u = UsbIdRead(s.link, usb);
    EXPECT_TRUE(u.status == kPortFailure || u.status == kTransportFailure) << u.status;
    EXPECT_EQ(usb, (std::array<char, 19>{}));
}

TEST(CodesOnPrinter, SerialNumberGetsTheCodeOfTheLocalTime) {
    test::SimLink s;
    ASSERT_EQ(s.start(), kOk);
    s.clock.setLocalTime({2002, 12, 31, 23, 59, 30});
    std::array<char, 9> code;
    code.fill('x');
    EXPECT_EQ(SerialNumberWrite(s.link, s.clock, "AB12345678", code), CodeResult{});
    EXPECT_STREQ(code.data(), "2CVNT030");
    std::array<char, 19> usb{};
    EXPECT_EQ(UsbIdRead(s.link, usb), CodeResult{});
    EXPECT_STREQ(usb.data(), "AB123456782CVNT030");
}

struct StoredCase {
    std::size_t position;
    std::uint8_t byte;
};

TEST(CodesOnPrinter, UsbIdReadStopsAtTheFirstByteThatIsNoLetterOrDigit) {
    const StoredCase cases[] = {{0, '-'}, {5, ' '}, {9, 0x80}, {10, 0xFF}, {17, 0x00}, {17, '.'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        test::SimLink s;
        ASSERT_EQ(s.start(), kOk);
        const std::string stored = "abcdefghij0123456Z";
        for (std::size_t i = 0; i < stored.size(); ++i) {
            s.printer.eeprom()[0xC2 + i] = std::uint8_t(stored[i]);
        }
        s.printer.eeprom()[0xC2 + c.position] = c.byte;
        s.mark();
        std::array<char, 19> out;
        out.fill('x');
        EXPECT_EQ(UsbIdRead(s.link, out), (CodeResult{kUsbIdFormat, usbid_error::kInvalidStored}));
        EXPECT_EQ(s.eepromReadsSince().size(), c.position + 1);
        EXPECT_EQ(std::string(out.data()), stored.substr(0, c.position));
        EXPECT_EQ(out[18], '\0');
    }
}

TEST(CodesOnPrinter, UsbIdReadAcceptsLowerCase) {
    test::SimLink s;
    ASSERT_EQ(s.start(), kOk);
    const std::string stored = "abcdefghij0123456z";
    for (std::size_t i = 0; i < stored.size(); ++i) {
        s.printer.eeprom()[0xC2 + i] = std::uint8_t(stored[i]);
    }
    s.mark();
    std::array<char, 19> out{};
    EXPECT_EQ(UsbIdRead(s.link, out), CodeResult{});
    EXPECT_EQ(std::string(out.data()), stored);
    std::vector<std::uint8_t> addresses;
    for (std::uint8_t a = 0xC2; a <= 0xD3; ++a) {
        addresses.push_back(a);
    }
    EXPECT_EQ(s.eepromReadsSince(), addresses);
}

}  // namespace
}  // namespace veltra
