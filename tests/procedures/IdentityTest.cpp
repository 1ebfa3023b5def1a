#include <gtest/gtest.h>

#include "procedures/Identity.h"
#include "tests/procedures/ProcedureRig.h"

namespace veltra::test {
namespace {

using Writes = std::vector<std::pair<std::uint8_t, std::uint8_t>>;

class IdentityTest : public RigTest {
protected:
    void StoreHeadId(std::array<std::uint8_t, 7> values) {
        const std::uint8_t addresses[] = {0xAF, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xAE};
        for (std::size_t i = 0; i < 7; ++i) {
            rig.printer.eeprom()[addresses[i]] = values[i];
        }
    }
    std::string StoredUsbId() const {
        const auto& e = rig.printer.eeprom();
        return std::string(e.begin() + 0xC2, e.begin() + 0xD4);
    }
    // The USB ID stored, announced in the status area and shown split in the summary.
    void ExpectRegistered(const std::string& id, const std::string& summary) {
        EXPECT_EQ(StoredUsbId(), id);
        EXPECT_EQ(view.statusText(), "As USB ID, \"" + id + "\" has been registered in EEPROM.");
        EXPECT_EQ(view.summary[SummaryField::ShowUSBIDLbl], summary);
    }
};

TEST_F(IdentityTest, EepromInitializationWritesTheFactorySettingsInOrder) {
    EXPECT_EQ(DefaultSetBtnClick(frame), kOk);
    EXPECT_EQ(rig.eepromWritesSince(),
              (Writes{{0x51, 0x08}, {0x52, 0x02}, {0x65, 0x01}, {0xB0, 0x94}, {0xE1, 0x00}}));
    EXPECT_EQ(view.statusText(), "EEPROM Initialization has completely done.");
    EXPECT_EQ(view.colour, TextColour::Black);
    EXPECT_FALSE(view.hourglass);
    EXPECT_TRUE(rig.handler.errors.empty());
}

TEST(IdentityModel, EepromInitializationOfTheSecondModel) {
    Rig rig(1);
    ASSERT_TRUE(rig.start(1));
    EXPECT_EQ(DefaultSetBtnClick(rig.frame), kOk);
    EXPECT_EQ(rig.printer.eeprom()[0xB0], 0x95);
}

TEST_F(IdentityTest, EepromInitializationFailureIsAlwaysCommunicationError) {
    for (char letter : {'B', 'N'}) {
        rig.printer.faults().eepromWriteLetter = letter;
        rig.handler.errors.clear();
        view.setStatusText("before");
        rig.mark();
        EXPECT_EQ(DefaultSetBtnClick(frame), kTransportFailure);
        EXPECT_EQ(rig.eepromWritesSince().size(), 1u);  // stops at the first failure
        EXPECT_EQ(rig.handler.errors, std::vector<std::string>{"Communication error."});
        EXPECT_EQ(view.statusText(), "before");
        EXPECT_FALSE(view.hourglass);
    }
}

TEST_F(IdentityTest, CheckPresentHeadIdShowsTheThirteenCharacters) {
    StoreHeadId({1, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(HdVolOKBtnClick(frame, HeadIdChoice::CheckPresent), kOk);
    EXPECT_EQ(view.statusText(), "Head ID = 101010101011J");
    EXPECT_FALSE(view.hourglass);
}

TEST_F(IdentityTest, StoredFirstDigitFourIsAnInvalidHeadId) {
    StoreHeadId({4, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(HdVolOKBtnClick(frame, HeadIdChoice::CheckPresent), kHeadIdFormat);
    EXPECT_EQ(view.statusText(), "Head ID is invalid.");
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_FALSE(view.hourglass);
}

TEST_F(IdentityTest, HeadIdEntryWritesQuotesAndFillsTheSummary) {
    view.setEntryText(Entry::LeftHeadIDInputEdit, "101010101011J");
    EXPECT_EQ(HeadIDInputOKBtnClick(frame), kOk);
    EXPECT_EQ(view.statusText(),
              "13 digits that you typed  \"101010101011J\"  were correctly registered.");
    EXPECT_EQ(view.summary[SummaryField::ShowHdVolIDPnl], "101010101011J");
    EXPECT_EQ(
        rig.eepromWritesSince(),
        (Writes{{0xAF, 1}, {0xA0, 1}, {0xA1, 1}, {0xA2, 1}, {0xA3, 1}, {0xA4, 1}, {0xAE, 1}}));
}

TEST_F(IdentityTest, HeadIdFormatErrorKeepsTextAndFocusAndWritesNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"101010101011", "The number of digit is wrong."},
        {"401010101011J", "First digit is wrong."},
        {"101010101011A", "Check ID is invalid."},
    };
    for (const auto& [typed, message] : cases) {
        view.setEntryText(Entry::LeftHeadIDInputEdit, typed);
        view.focus.reset();
        rig.mark();
        EXPECT_EQ(HeadIDInputOKBtnClick(frame), kHeadIdFormat);
        EXPECT_EQ(view.statusText(), message);
        EXPECT_EQ(view.colour, TextColour::Red);
        EXPECT_EQ(view.focus, Entry::LeftHeadIDInputEdit);
        EXPECT_EQ(view.entryText(Entry::LeftHeadIDInputEdit), typed);
        EXPECT_TRUE(rig.eepromWritesSince().empty());
        EXPECT_EQ(view.summary.count(SummaryField::ShowHdVolIDPnl), 0u);
    }
}

TEST_F(IdentityTest, HeadIdLinkFailureShowsTheLinkMessage) {
    rig.printer.faults().eepromWriteLetter = 'B';
    view.setEntryText(Entry::LeftHeadIDInputEdit, "101010101011J");
    EXPECT_EQ(HeadIDInputOKBtnClick(frame), kTransportFailure);
    EXPECT_EQ(view.statusText(), "Communication error.");
    EXPECT_EQ(view.focus, Entry::LeftHeadIDInputEdit);
}

TEST_F(IdentityTest, BothOrNeitherUsbIdEntries) {
    view.setStatusText("old");
    view.setEntryText(Entry::OriginalUsbIdInputEdit, "ABCDEFGHIJ12345678");
    view.setEntryText(Entry::UsbIdInputEdit, "ABCDEFGHIJ");
    EXPECT_EQ(UsbIdInputOKBtnClick(frame), kInputRejected);
    EXPECT_EQ(view.statusText(), "Input data is wrong.");
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_TRUE(rig.controlSince().empty());

    view.setEntryText(Entry::OriginalUsbIdInputEdit, "");
    view.setEntryText(Entry::UsbIdInputEdit, "");
    view.setStatusText("old");
    EXPECT_EQ(UsbIdInputOKBtnClick(frame), kOk);
    EXPECT_EQ(view.statusText(), "");
    EXPECT_TRUE(rig.controlSince().empty());
}

TEST_F(IdentityTest, FullUsbIdIsWrittenReadBackAndSplitInTheSummary) {
    view.setEntryText(Entry::OriginalUsbIdInputEdit, "ABCDEFGHIJ12345678");
    EXPECT_EQ(UsbIdInputOKBtnClick(frame), kOk);
    ExpectRegistered("ABCDEFGHIJ12345678", "ABCDEFGHIJ 12345678");
    std::vector<std::uint8_t> readBack;
    for (int a = 0xC2; a <= 0xD3; ++a) {
        readBack.push_back(std::uint8_t(a));
    }
    EXPECT_EQ(rig.eepromReadsSince(), readBack);
    EXPECT_TRUE(view.timers.count(Timer::DisableTimer));
}

TEST_F(IdentityTest, SerialNumberGetsTheDateAndTimeCode) {
    rig.clock.setLocalTime({2002, 7, 15, 9, 5, 7});
    view.setEntryText(Entry::UsbIdInputEdit, "K5XA000123");
    EXPECT_EQ(UsbIdInputOKBtnClick(frame), kOk);
    ExpectRegistered("K5XA00012327F95700", "K5XA000123 27F95700");
}

TEST_F(IdentityTest, UsbIdFormatErrorsAreShownAndWriteNothing) {
    const struct {
        Entry entry;
        const char* typed;
        const char* message;
    } cases[] = {
        {Entry::UsbIdInputEdit, "K5XA00012", "The Number of digit is wrong."},
        {Entry::UsbIdInputEdit, "K5XA-00123", "Parameter is only number & alphabet."},
        {Entry::OriginalUsbIdInputEdit, "ABCDEFGHIJ1234567", "The Number of digit is wrong."},
    };
    for (const auto& c : cases) {
        view.setEntryText(Entry::UsbIdInputEdit, "");
        view.setEntryText(Entry::OriginalUsbIdInputEdit, "");
        view.setEntryText(c.entry, c.typed);
        rig.mark();
        EXPECT_EQ(UsbIdInputOKBtnClick(frame), kUsbIdFormat);
        EXPECT_EQ(view.statusText(), c.message);
        EXPECT_EQ(view.colour, TextColour::Red);
        EXPECT_TRUE(rig.eepromWritesSince().empty());
    }
}

// The item is offered in the printer's error state: a write that went in whole is registered,
// with the printer's error below it, and not shown as a failure.
TEST_F(IdentityTest, UsbIdWrittenWhileThePrinterReportsAnErrorIsRegistered) {
    rig.printer.setState(0x00);
    rig.printer.setError(0x05);
    const struct {
        Entry entry;
        const char* typed;
        const char* stored;
        const char* summary;
    } cases[] = {
        {Entry::OriginalUsbIdInputEdit, "ABCDEFGHIJ12345678", "ABCDEFGHIJ12345678",
         "ABCDEFGHIJ 12345678"},
        {Entry::UsbIdInputEdit, "K5XA000123", "K5XA00012327F95700", "K5XA000123 27F95700"},
    };
    for (const auto& c : cases) {
        rig.clock.setLocalTime({2002, 7, 15, 9, 5, 7});
        view.setEntryText(Entry::UsbIdInputEdit, "");
        view.setEntryText(Entry::OriginalUsbIdInputEdit, "");
        view.setEntryText(c.entry, c.typed);
        view.summary.clear();
        EXPECT_EQ(UsbIdInputOKBtnClick(frame), kOk) << c.typed;
        EXPECT_EQ(StoredUsbId(), c.stored);
        EXPECT_EQ(view.statusText(), std::string("As USB ID, \"") + c.stored +
                                         "\" has been registered in EEPROM.\nInk out error");
        EXPECT_EQ(view.summary[SummaryField::ShowUSBIDLbl], c.summary);
    }
}

// A write that went in but whose read-back fails is not called registered in the summary.
TEST_F(IdentityTest, UsbIdReadBackFailureAfterTheWriteIsReported) {
    // The packets of a whole registration, of which the read-back of 18 bytes is the end.
    const std::size_t start = rig.printer.hostPackets();
    view.setEntryText(Entry::OriginalUsbIdInputEdit, "ABCDEFGHIJ12345678");
    ASSERT_EQ(UsbIdInputOKBtnClick(frame), kOk);
    const auto whole = int(rig.printer.hostPackets() - start);
    const int readBack = 18 * 3;  // credit both ways, then the request, for each byte

    view.summary.clear();
    view.setEntryText(Entry::OriginalUsbIdInputEdit, "ABCDEFGHIJ12345678");
    rig.mark();
    rig.dropAfterMorePackets(whole - readBack + 3);  // the first byte reads, the second not
    EXPECT_EQ(UsbIdInputOKBtnClick(frame), kPortFailure);
    EXPECT_EQ(rig.eepromReadsSince().size(), 1u);
    EXPECT_EQ(view.colour, TextColour::Red);
    // The USB ID is new now, but the read-back could not say so.
    EXPECT_EQ(view.statusText(),
              "Transmission error\nWhat the printer's USB ID now reads is unknown (it does not "
              "answer).");
    EXPECT_EQ(view.summary.count(SummaryField::ShowUSBIDLbl), 0u);
}

TEST_F(IdentityTest, UsbIdReadout) {
    const std::string id = "ab0123456789XYZxyz";  // lower case reads without complaint
    std::copy(id.begin(), id.end(), rig.printer.eeprom().begin() + 0xC2);
    EXPECT_EQ(UsbIdOKBtnClick(frame, UsbIdChoice::Readout), kOk);
    EXPECT_EQ(view.statusText(), "USB ID = " + id);

    rig.printer.eeprom()[0xC5] = '-';
    EXPECT_EQ(UsbIdOKBtnClick(frame, UsbIdChoice::Readout), kUsbIdFormat);
    EXPECT_EQ(view.statusText(), "USB ID is invalid");
    EXPECT_EQ(view.colour, TextColour::Red);
}

}  // namespace
}  // namespace veltra::test
