// Restore, undo, the USB ID write and the byte write against a link that drops at each point of
// the change (a write, FinishValues, the read-back): the journal keeps the entry's state and what
// the printer holds, and the retry on a fresh link leaves the printer as the change intended.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>

#include "link/EepromAddresses.h"
#include "procedures/EepromData.h"
#include "procedures/EepromFiles.h"
#include "procedures/Identity.h"
#include "procedures/JournalGuard.h"
#include "procedures/Session.h"
#include "tests/procedures/ProcedureRig.h"
#include "tests/support/TempDir.h"

namespace veltra::test {
namespace {

enum class Op { Restore, Undo, UsbIdWrite, ByteWrite };
enum class Point { Write1, Write2, Write10, FinishValues, ReadBack };

// Passes everything to the printer until the point is reached; the packet that reaches it goes
// out (the printer acts on it) but its reply and everything after are lost, as when the cable is
// pulled after the printer took the byte.
class CutPort final : public PortBackend {
public:
    CutPort(std::unique_ptr<PortBackend> inner, Rig& rig, Point point, std::size_t writes)
        : inner_(std::move(inner)), rig_(rig), point_(point), writes_(writes) {}
    bool open() override { return inner_->open(); }
    void close() override { inner_->close(); }
    long write(const std::uint8_t* d, std::size_t n, int t) override {
        // FinishValues has no reply: the link is cut in front of what follows the last write
        // (the data channel's opening, its credit, FinishValues itself).
        if (cut_ || (point_ == Point::FinishValues && rig_.eepromWritesSince().size() == writes_)) {
            cut_ = true;
            return -1;
        }
        const long r = inner_->write(d, n, t);
        cut_ = reached();
        return r;
    }
    long read(std::uint8_t* d, std::size_t n, bool exact, int t) override {
        if (cut_) {
            rig_.clock.advance(t);
            return 0;
        }
        return inner_->read(d, n, exact, t);
    }
    std::vector<std::uint8_t> deviceId() override { return inner_->deviceId(); }

private:
    bool reached() const {
        const std::size_t written = rig_.eepromWritesSince().size();
        switch (point_) {
            case Point::Write1:
                return written >= 1;
            case Point::Write2:
                return written >= 2;
            case Point::Write10:
                return written >= 10;
            case Point::FinishValues:
                return false;
            case Point::ReadBack: {
                // The first EEPROM read after the last write.
                const auto requests = rig_.controlSince();
                return written == writes_ && !requests.empty() &&
                       requests.back().size() == Rig::kReadRequestSize &&
                       requests.back()[Rig::kCommandAt] == Rig::kReadLetter;
            }
        }
        return false;
    }

    std::unique_ptr<PortBackend> inner_;
    Rig& rig_;
    Point point_;
    std::size_t writes_;
    bool cut_ = false;
};

constexpr std::array<std::uint8_t, 3> kAdjusted{
    eeprom_address::kTopMargin, eeprom_address::kBidVsd1, eeprom_address::kPaperFeed};
constexpr std::string_view kTypedUsbId = "ABCDEFGHIJ12345678";

struct Bench {
    Bench() {
        EXPECT_TRUE(rig.start());
        rig.objects.journal = &journal;
        original = rig.printer.eeprom();
        image = dir.file("printer.img");
        EXPECT_TRUE(SaveToFile(rig.objects, image, false).saved());
        // The image holds other adjustment values than the printer.
        EepromBytes changed = original;
        for (std::uint8_t a : kAdjusted) {
            changed[a] = std::uint8_t(changed[a] + 3);
        }
        imageBytes = changed;
        rig.printer.eeprom() = changed;
        EXPECT_TRUE(SaveToFile(rig.objects, image, true).saved());
        rig.printer.eeprom() = original;
    }
    // A fresh link on the printer, cut at point during the next operation, or whole.
    void restart(std::optional<Point> point, std::size_t writes) {
        EndSession(rig.objects, false);
        rig.wrapPort = [this, point,
                        writes](std::unique_ptr<PortBackend> p) -> std::unique_ptr<PortBackend> {
            if (!point) {
                return p;
            }
            return std::make_unique<CutPort>(std::move(p), rig, *point, writes);
        };
        rig.mark();  // the cut counts this session's writes only
        EXPECT_TRUE(rig.start());
    }
    std::uint8_t at(std::uint8_t a) const { return rig.printer.eeprom()[a]; }
    TempDir dir{"veltra-eeprom-files"};
    ChangeJournal journal{dir.path()};
    Rig rig;
    EepromBytes original{};
    EepromBytes imageBytes{};
    std::string image;
};

// Runs the operation; for restore and undo, checks that what the result says the printer holds
// is what it holds.
Status runOp(Bench& b, Op op) {
    switch (op) {
        case Op::Restore:
        case Op::Undo: {
            const ChangeResult r = op == Op::Restore
                                       ? ChangeResult(RestoreFromFile(b.rig.frame, b.image, {}))
                                       : ChangeResult(UndoChange(b.rig.frame, {}));
            for (const HeldByte& h : r.held) {
                if (h.value) {
                    EXPECT_EQ(*h.value, b.at(h.address)) << "held at " << int(h.address);
                }
            }
            return r.refusal ? kJournalFailed : r.status;
        }
        case Op::UsbIdWrite:
            b.rig.view.setEntryText(Entry::OriginalUsbIdInputEdit, std::string(kTypedUsbId));
            return UsbIdInputOKBtnClick(b.rig.frame);
        case Op::ByteWrite:
            b.rig.view.setEntryText(Entry::EepWriteAddEdit, "5D");
            b.rig.view.setEntryText(Entry::EepWriteDataEdit, "30");
            return EepromWriteOkBtnClick(b.rig.frame);
    }
    return kOk;
}

struct Row {
    Op op;
    Point point;
    EntryState state;  // of the operation's entry after the cut
};

const Row kRows[] = {
    {Op::Restore, Point::Write1, EntryState::Failed},
    {Op::Restore, Point::Write2, EntryState::Failed},
    {Op::Restore, Point::FinishValues, EntryState::Written},
    {Op::Restore, Point::ReadBack, EntryState::Failed},
    {Op::Undo, Point::Write1, EntryState::Failed},
    {Op::Undo, Point::Write2, EntryState::Failed},
    {Op::Undo, Point::FinishValues, EntryState::Written},
    {Op::Undo, Point::ReadBack, EntryState::Failed},
    {Op::UsbIdWrite, Point::Write1, EntryState::Failed},
    {Op::UsbIdWrite, Point::Write10, EntryState::Failed},
    {Op::UsbIdWrite, Point::ReadBack, EntryState::Failed},
    {Op::ByteWrite, Point::Write1, EntryState::Failed},
};

TEST(EepromChangeFaults, EachCutChangeIsJournalledAndItsRetryConverges) {
    for (const Row& row : kRows) {
        SCOPED_TRACE("op " + std::to_string(int(row.op)) + " cut at " +
                     std::to_string(int(row.point)));
        Bench b;
        std::size_t writes = kAdjusted.size();
        if (row.op == Op::Undo) {
            // The change to undo: the image restored whole.
            ASSERT_TRUE(RestoreFromFile(b.rig.frame, b.image, {}).verified());
        }
        if (row.op == Op::UsbIdWrite) {
            writes = eeprom_address::kUsbIdLength;
        }
        b.restart(row.point, writes);
        EXPECT_NE(runOp(b, row.op), kOk);
        const JournalContents cut = b.journal.read();
        ASSERT_FALSE(cut.entries.empty());
        EXPECT_EQ(cut.entries.back().state, row.state) << b.rig.view.statusText();
        if (row.op == Op::UsbIdWrite || row.op == Op::ByteWrite) {
            EXPECT_NE(b.rig.view.statusText().find("unknown"), std::string::npos)
                << b.rig.view.statusText();
        }

        // The retry: the same restore or undo; a cut USB ID or byte write is undone.
        b.restart(std::nullopt, 0);
        const Op retry = row.op == Op::Restore ? Op::Restore : Op::Undo;
        ASSERT_EQ(runOp(b, retry), kOk) << b.rig.view.statusText();
        if (row.op == Op::Restore) {
            for (std::uint8_t a : kAdjusted) {
                EXPECT_EQ(b.at(a), b.imageBytes[a]) << int(a);
            }
        } else {
            EXPECT_EQ(b.rig.printer.eeprom(), b.original);
        }
        if (row.point == Point::FinishValues) {
            const auto f = b.rig.factorySince();
            EXPECT_TRUE(std::any_of(f.begin(), f.end(), [](const auto& c) {
                return c.command == 0x50;
            })) << "the retry sends the FinishValues the cut left unacknowledged";
        }
        const JournalContents after = b.journal.read();
        for (const JournalEntry& e : after.entries) {
            EXPECT_FALSE(e.finishValuesPending()) << e.id;
        }
        if (row.op == Op::Undo) {
            // The retry carried the same undo on: one undo entry, finished, its target undone.
            ASSERT_EQ(after.entries.size(), 2u);
            EXPECT_EQ(after.entries[0].state, EntryState::Undone);
            EXPECT_EQ(after.entries[1].undoes, 1);
            EXPECT_EQ(after.entries[1].state, EntryState::Finished);
        }
        if (retry == Op::Undo) {
            // Nothing is left to undo: a further undo neither reverses the undo nor writes.
            b.rig.mark();
            const UndoResult again = UndoChange(b.rig.frame, {});
            EXPECT_TRUE(again.refusal.has_value());
            EXPECT_TRUE(b.rig.eepromWritesSince().empty());
        }
    }
}

}  // namespace
}  // namespace veltra::test
