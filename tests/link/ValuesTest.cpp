// The value classes: hexadecimal text, Bi-D values, EEPROM initialization, counters.
#include <gtest/gtest.h>

#include "link/Datamanu.h"
#include "link/Malbid.h"
#include "link/Maleeprom.h"
#include "link/Malfactory.h"
#include "link/Malmaintenance.h"
#include "tests/link/FakePort.h"

namespace veltra::test {
namespace {

TEST(DataManu, HexToByte) {
    const TPDataManu d;
    struct Case {
        char hi, lo;
        bool ok;
        std::uint8_t value;
    };
    const Case cases[] = {{'7', 'F', true, 0x7F},  {'0', '0', true, 0x00},  {'F', 'F', true, 0xFF},
                          {'A', '9', true, 0xA9},  {'G', '1', false, 0x55}, {'a', '1', false, 0x55},
                          {'1', 'f', false, 0x55}, {'/', '0', false, 0x55}, {':', '0', false, 0x55},
                          {'@', '0', false, 0x55}, {' ', '1', false, 0x55}};
    for (const auto& c : cases) {
        std::uint8_t v = 0x55;
        EXPECT_EQ(d.HexToByte(c.hi, c.lo, v), c.ok) << c.hi << c.lo;
        EXPECT_EQ(v, c.value) << c.hi << c.lo;
    }
}

TEST(DataManu, TextToByteAndByteToHex) {
    const TPDataManu d;
    std::uint8_t v = 0x55;
    EXPECT_EQ(d.TextToByte("3Fzz", v), 1);
    EXPECT_EQ(v, 0x3F);
    v = 0x55;
    EXPECT_EQ(d.TextToByte("3", v), 0);
    EXPECT_EQ(d.TextToByte("", v), 0);
    EXPECT_EQ(d.TextToByte("x0", v), 0);
    EXPECT_EQ(v, 0x55);

    char out[3] = {'x', 'x', 'x'};
    EXPECT_EQ(d.ByteToHex(0x0A, out), 1);
    EXPECT_EQ(out[0], '0');
    EXPECT_EQ(out[1], 'A');
    EXPECT_EQ(out[2], '\0');
    d.ByteToHex(0xF0, out);
    EXPECT_STREQ(out, "F0");
    for (int b = 0; b < 256; ++b) {
        d.ByteToHex(std::uint8_t(b), out);
        std::uint8_t back = 0;
        ASSERT_TRUE(d.HexToByte(out[0], out[1], back));
        EXPECT_EQ(back, b);
    }
}

struct BidRig {
    BidRig() : factory(rig.link), bid(factory) {
        factory.SetModelCode(0x3A, 0x91);
        rig.openChannels();
    }
    Bytes lastPayload() const {
        const Bytes& w = rig.port.writes.back();
        return Bytes(w.begin() + 6, w.end());
    }
    Rig rig;
    TPFactory factory;
    TPBid bid;
};

TEST(Bid, Addresses) {
    EXPECT_EQ(TPBid::Address(false, 4), 0x72);
    EXPECT_EQ(TPBid::Address(true, 4), 0x73);
    EXPECT_EQ(TPBid::Address(false, 5), 0x74);
    EXPECT_EQ(TPBid::Address(true, 6), 0x77);
    EXPECT_EQ(TPBid::Address(false, 7), 0x70);
    EXPECT_EQ(TPBid::Address(true, 7), 0x71);
    EXPECT_EQ(TPBid::Address(false, 3), 0);
    EXPECT_EQ(TPBid::Address(true, 8), 0);
}

TEST(Bid, ReadGivesSignedDecimalText) {
    const std::pair<std::uint8_t, const char*> cases[] = {
        {0xFD, "-3"}, {0x3C, "60"}, {0x00, "0"}, {0x80, "-128"}, {0x7F, "127"}};
    for (const auto& [stored, text] : cases) {
        BidRig b;
        b.rig.port.reply(packet(0x40, eepromReadText(stored)));
        std::string out = "unchanged";
        ASSERT_EQ(b.bid.ReadBidValue(true, 5, out), kOk);
        EXPECT_EQ(out, text);
        EXPECT_EQ(b.lastPayload().back(), 0x75);
    }

    BidRig b;
    std::string out = "unchanged";
    EXPECT_EQ(b.bid.ReadBidValue(false, 9, out), kOk);
    EXPECT_EQ(out, "0");
    EXPECT_TRUE(b.rig.port.writes.empty());

    b.rig.port.reply(packet(0x40, bytesOf("nonsense")));
    out = "unchanged";
    EXPECT_EQ(b.bid.ReadBidValue(false, 4, out), kFactoryFailure);
    EXPECT_EQ(out, "unchanged");
}

TEST(Bid, WriteRangeCheckAndDetailCodes) {
    struct Case {
        int kind;
        bool colour;
        Detail detail;
    };
    const Case cases[] = {{4, false, 0x1001}, {5, false, 0x1002}, {6, false, 0x1003},
                          {7, false, 0x1004}, {4, true, 0x1005},  {5, true, 0x1006},
                          {6, true, 0x1007},  {7, true, 0x1008}};
    for (const auto& c : cases) {
        for (const char* text : {"61", "-61", "abc", "", "99999999999", "6 1", "1.5"}) {
            BidRig b;
            EXPECT_EQ(b.bid.WriteBidValue(c.colour, c.kind, text), kBidRange) << text;
            EXPECT_EQ(b.bid.LastError(), c.detail) << text;
            EXPECT_TRUE(b.rig.port.writes.empty()) << "nothing is sent for " << text;
        }
    }
}

TEST(Bid, WriteSendsTheValueOnItsSideAndLeavesTheOther) {
    struct Case {
        int kind;
        bool colour;
        const char* text;
        Bytes params;
    };
    const std::vector<Case> cases{
        {7, false, "-60", {0x04, 0xC4, 0xFF, 0x80, 0xFF}},
        {4, true, "60", {0x01, 0x80, 0xFF, 0x3C, 0x00}},
        {5, false, "+7", {0x02, 0x07, 0x00, 0x80, 0xFF}},
        {6, true, " -1", {0x03, 0x80, 0xFF, 0xFF, 0xFF}},
        {6, false, "0", {0x03, 0x00, 0x00, 0x80, 0xFF}},
    };
    for (const auto& c : cases) {
        BidRig b;
        ASSERT_EQ(b.bid.WriteBidValue(c.colour, c.kind, c.text), kOk) << c.text;
        EXPECT_EQ(b.bid.LastError(), kNoError);
        const Bytes payload = b.lastPayload();
        ASSERT_EQ(payload.size(), 15u);
        EXPECT_EQ(Bytes(payload.begin() + 7, payload.begin() + 10), (Bytes{0x00, 0xFF, 0x00}));
        EXPECT_EQ(Bytes(payload.begin() + 10, payload.end()), c.params) << c.text;
    }
}

TEST(Bid, WriteOfAnUnknownKindSendsNothing) {
    BidRig b;
    EXPECT_EQ(b.bid.WriteBidValue(false, 3, "5"), kBidRange);
    EXPECT_EQ(b.bid.LastError(), -1);
    EXPECT_TRUE(b.rig.port.writes.empty());
}

// Control-channel EEPROM traffic of the value classes, as (address, value) pairs written and
// addresses read.
struct EepromRig {
    EepromRig() { rig.openChannels(0, 0); }
    void acceptWrites(int n) {
        for (int i = 0; i < n; ++i) {
            rig.queueControl(writeReplyText('O'));
        }
    }
    void answerReads(std::initializer_list<std::uint8_t> values) {
        for (auto v : values) {
            rig.queueControl(eepromReadText(v));
        }
    }
    // The EEPROM requests sent, as (command letter, address, value).
    std::vector<std::tuple<std::uint8_t, std::uint8_t, std::uint8_t>> requests() const {
        std::vector<std::tuple<std::uint8_t, std::uint8_t, std::uint8_t>> out;
        for (const auto& w : rig.port.writes) {
            if (w.size() >= 16 && w[0] == 2 && w[6] == '|') {
                out.emplace_back(w[12], w[15], w.size() > 16 ? w[16] : 0);
            }
        }
        return out;
    }
    Rig rig;
};

using Req = std::tuple<std::uint8_t, std::uint8_t, std::uint8_t>;

TEST(EepromInit, WritesTheFactorySettingsInOrderForEachModel) {
    const std::pair<std::uint8_t, std::uint8_t> models[] = {{1, 0x94}, {2, 0x95}};
    for (const auto& [number, b0] : models) {
        EepromRig e;
        e.rig.choice.ModelNo = number;
        TPEeprom init(e.rig.link, e.rig.choice);
        e.acceptWrites(5);
        ASSERT_EQ(init.InitializeEeprom(), kOk);
        EXPECT_EQ(e.requests(), (std::vector<Req>{{'B', 0x51, 0x08},
                                                  {'B', 0x52, 0x02},
                                                  {'B', 0x65, 0x01},
                                                  {'B', 0xB0, b0},
                                                  {'B', 0xE1, 0x00}}));
    }

    EepromRig none;
    none.rig.choice.ModelNo = kNoModel;
    TPEeprom init(none.rig.link, none.rig.choice);
    none.acceptWrites(4);
    ASSERT_EQ(init.InitializeEeprom(), kOk);
    EXPECT_EQ(none.requests().size(), 4u);
    EXPECT_EQ(std::get<1>(none.requests().back()), 0xE1);
}

TEST(EepromInit, StopsAtTheFirstFailure) {
    EepromRig e;
    e.rig.choice.ModelNo = 1;
    TPEeprom init(e.rig.link, e.rig.choice);
    e.acceptWrites(2);
    e.rig.queueControl(writeReplyText('N'));
    EXPECT_EQ(init.InitializeEeprom(), kTransportFailure);
    EXPECT_EQ(e.rig.link.LastError(), 0x91);
    EXPECT_EQ(e.requests().size(), 3u);
}

TEST(Counters, ProtectionCounter) {
    EepromRig e;
    TPMaintenance m(e.rig.link);
    e.answerReads({0x0F, 0x61});
    std::string text;
    ASSERT_EQ(m.ReadProtectionCounter(text), kOk);
    EXPECT_EQ(text, "3937");
    EXPECT_EQ(e.requests(), (std::vector<Req>{{'A', 0x02, 0}, {'A', 0x03, 0}}));

    EepromRig f;
    TPMaintenance mf(f.rig.link);
    f.answerReads({0xFF, 0xFF});
    ASSERT_EQ(mf.ReadProtectionCounter(text), kOk);
    EXPECT_EQ(text, "65535");  // unsigned

    EepromRig g;
    TPMaintenance mg(g.rig.link);
    g.answerReads({0x01});
    g.rig.queueControl(bytesOf("@BDC XX"));
    text = "unchanged";
    EXPECT_EQ(mg.ReadProtectionCounter(text), kTransportFailure);
    EXPECT_EQ(g.rig.link.LastError(), 0xB0);
    EXPECT_EQ(text, "unchanged");
}

TEST(Counters, ClearAndPreset) {
    {
        EepromRig e;
        TPMaintenance m(e.rig.link);
        e.acceptWrites(2);
        ASSERT_EQ(m.ClearProtectionCounter(), kOk);
        EXPECT_EQ(e.requests(), (std::vector<Req>{{'B', 0x02, 0x00}, {'B', 0x03, 0x00}}));
    }
    {
        EepromRig e;
        TPMaintenance m(e.rig.link);
        e.acceptWrites(2);
        ASSERT_EQ(m.PresetProtectionCounter(), kOk);
        EXPECT_EQ(e.requests(), (std::vector<Req>{{'B', 0x02, 0x0F}, {'B', 0x03, 0x61}}));
    }
    {
        EepromRig e;
        TPMaintenance m(e.rig.link);
        e.rig.queueControl(writeReplyText('B'));
        EXPECT_EQ(m.ClearProtectionCounter(), kTransportFailure);
        EXPECT_EQ(e.rig.link.LastError(), 0x90);
        EXPECT_EQ(e.requests().size(), 1u);  // the second write is skipped
    }
}

TEST(Counters, PageAndPassCountersAreSigned32BitMostSignificantFirst) {
    struct Case {
        bool page;
        std::initializer_list<std::uint8_t> bytes;
        const char* text;
    };
    const Case cases[] = {
        {true, {0x00, 0x01, 0x02, 0x03}, "66051"},
        {true, {0xFF, 0xFF, 0xFF, 0xFF}, "-1"},
        {false, {0x80, 0x00, 0x00, 0x00}, "-2147483648"},
        {false, {0x7F, 0xFF, 0xFF, 0xFF}, "2147483647"},
    };
    for (const auto& c : cases) {
        EepromRig e;
        TPMaintenance m(e.rig.link);
        e.answerReads(c.bytes);
        std::string text;
        ASSERT_EQ(c.page ? m.ReadPageCounter(text) : m.ReadPrintPassCounter(text), kOk);
        EXPECT_EQ(text, c.text);
        const std::uint8_t first = c.page ? 0x20 : 0x24;
        EXPECT_EQ(e.requests(), (std::vector<Req>{{'A', first, 0},
                                                  {'A', std::uint8_t(first + 1), 0},
                                                  {'A', std::uint8_t(first + 2), 0},
                                                  {'A', std::uint8_t(first + 3), 0}}));
    }
}

}  // namespace
}  // namespace veltra::test
