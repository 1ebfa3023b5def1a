// The device-ID reader: the three forms a driver hands an ID over in, the length prefix's byte
// order and clamping, and the IDs refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/DeviceId.h"

namespace veltra::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

Bytes withPrefix(std::uint8_t first, std::uint8_t second, const std::string& text) {
    Bytes out = bytes("  " + text);
    out[0] = first;
    out[1] = second;
    return out;
}

const std::string kId = "MFG:ZOLTA;MDL:K55;";  // 18 characters: 20 with its length

TEST(DeviceId, FormsPrefixesLengthsAndBadBytes) {
    struct Case {
        const char* what;
        DeviceIdForm form;
        Bytes reply;
        std::string expect;     // empty: refused
        std::size_t given = 0;  // bytes the driver said it gave, when fewer than the reply's
    };
    const std::vector<Case> cases{
        {"bare, the least ID", DeviceIdForm::Bare, bytes("MFG:Z;MDL:K;"), "MFG:Z;MDL:K;"},
        {"bare, one short of it", DeviceIdForm::Bare, bytes("MFG:Z;MDL:K"), ""},
        {"bare, line end dropped", DeviceIdForm::Bare, bytes(kId + "\r\n"), kId},
        {"bare, ends at its NUL", DeviceIdForm::Bare, bytes(kId + std::string(1, '\0') + "\x01"),
         kId},
        {"bare, line end inside", DeviceIdForm::Bare, bytes("MFG:ZOLTA;\nMDL:K55;"), ""},
        {"bare, tab inside", DeviceIdForm::Bare, bytes("MFG:ZOLTA;\tMDL:K55;"), ""},
        {"bare, delete inside", DeviceIdForm::Bare, bytes("MFG:ZOLTA;\x7FMDL:K55;"), ""},
        {"big-endian length", DeviceIdForm::LengthFirst, withPrefix(0x00, 0x14, kId), kId},
        {"little-endian where big-endian cannot be", DeviceIdForm::LengthFirst,
         withPrefix(0x0E, 0x00, "MFG:Z;MDL:K;XXXX"), "MFG:Z;MDL:K;"},
        {"length shorter than the reply", DeviceIdForm::LengthFirst,
         withPrefix(0x00, 0x0E, "MFG:Z;MDL:K;XXXX"), "MFG:Z;MDL:K;"},
        {"length past the reply is clamped", DeviceIdForm::LengthFirst,
         withPrefix(0x00, 0x40, kId + "XXXX"), kId, 20},
        {"length too short for any ID", DeviceIdForm::LengthFirst, withPrefix(0x00, 0x05, kId), ""},
        {"length without room for the least ID", DeviceIdForm::LengthFirst,
         withPrefix(0x00, 0x0D, "MFG:Z;MDL:K;"), ""},
        {"one byte", DeviceIdForm::LengthFirst, Bytes{0x00}, ""},
        {"either: bare text", DeviceIdForm::Either, bytes(kId), kId},
        {"either: length first, zero-filled buffer behind", DeviceIdForm::Either,
         [] {
             Bytes b = withPrefix(0x00, 0x14, kId);
             b.resize(200, 0);
             return b;
         }(),
         kId},
        {"either: length past the reply, a prefix all the same", DeviceIdForm::Either,
         withPrefix(0x01, 0x00, kId), kId},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes got =
            readDeviceId(c.reply.data(), c.given != 0 ? c.given : c.reply.size(), c.form);
        EXPECT_EQ(std::string(got.begin(), got.end()), c.expect);
    }
    EXPECT_TRUE(readDeviceId(nullptr, 0, DeviceIdForm::Bare).empty());
}

}  // namespace
}  // namespace veltra::test
