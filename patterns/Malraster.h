#pragma once
// TPRaster: the raster print stream on the print data channel, and the adjustment patterns built
// from it (Bi-D, head angular, PF, top margin).
//
// Every operation returns the status of its link writes (kOk = 1) and stops at the first one
// that fails, returning it; nothing further is sent, not even clean-up commands. The guards that
// catch a programming fault go through the MessageHandler: a run longer than 129, a vertical
// move of -256 or less and an unknown Bi-D dot size end the program; a colour mode other than
// 0 or 128 shows a plain "error" box and sends mode byte 0x00.
//
// TPRaster holds no state: each operation builds its bytes from a fixed template and hands them
// to the link at once.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "link/EepromAddresses.h"
#include "link/Mald4comm.h"
#include "link/Malfactory.h"
#include "link/MessageHandler.h"
#include "patterns/PatternProgram.h"
#include "patterns/RasterBytes.h"

namespace veltra {

// Texts of the program errors and of the colour-mode box.
namespace raster_text {
inline constexpr std::string_view kRepeatSendError = "RepeatSend() error";
inline constexpr std::string_view kColourModeTitle = "error";
inline constexpr std::string_view kColourModeError = "program miss!!!\nRaster:SetColorMode";
inline constexpr std::string_view kVerticalError = "Program miss!!\nRaster.SetVerticalPosition";
inline constexpr std::string_view kBidDotSizeError = "ドットサイズ指定エラー(Raster.Bid())";
}  // namespace raster_text

// Exit code of the raster program errors: a program error is a failure, never a success.
inline constexpr int kRasterProgramErrorExit = 1;

// Bi-D dot-size codes 4 VSD1, 5 VSD2, 6 VSD3, 7 ECO and the order of their stored pairs.
inline constexpr int kBidFirstDotSize = 4;
inline constexpr int kBidLastDotSize = 7;
struct BidPair {
    std::int8_t black = 0;
    std::int8_t colour = 0;
};
// The eight values in reading order VSD1, VSD2, VSD3, ECO, black before colour, as pairs for
// dot sizes 4, 5, 6, 7.
using BidValues = std::array<BidPair, 4>;
inline constexpr std::array<std::uint8_t, 8> kBidReadOrder{
    eeprom_address::kBidVsd1, eeprom_address::kBidVsd1 + eeprom_address::kBidColourOffset,
    eeprom_address::kBidVsd2, eeprom_address::kBidVsd2 + eeprom_address::kBidColourOffset,
    eeprom_address::kBidVsd3, eeprom_address::kBidVsd3 + eeprom_address::kBidColourOffset,
    eeprom_address::kBidEco,  eeprom_address::kBidEco + eeprom_address::kBidColourOffset};

// HeadAngleMode values around the Bi-D and head angle prints.
inline constexpr std::uint8_t kHeadAngleModeOn = 0;
inline constexpr std::uint8_t kHeadAngleModeOff = 255;
// SetBidValues side that is left unchanged.
inline constexpr std::int8_t kBidUnchanged = -128;

// The 5-byte value field of a label: decimal text and its zero byte laid over "    " and its
// zero. Trial values are at most four characters, so the zero byte always fits.
std::array<std::uint8_t, 5> ValueField(int value);

class TPRaster {
public:
    TPRaster(TPD4Comm& link, TPFactory& factory, MessageHandler& ui);

    // Commands of the raster stream.
    Status InitPrinter();
    Status SetGraphicsMode();
    Status SetUnit(std::uint8_t u);
    Status SetPrintDirection(std::uint8_t n);
    Status SetDotSize(int code);
    Status SetColorMode(int mode);
    Status CarriageReturn();
    Status SetVerticalPosition(int v);
    Status SetHorizontalPosition(std::uint16_t x);
    Status SetRasterResolution(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d);
    Status StartRasterBand(std::uint8_t colourCode, std::uint8_t compression,
                           std::uint8_t bitsPerDot, std::uint8_t nL, std::uint8_t nH,
                           std::uint8_t mL, std::uint8_t mH);
    Status RepeatSend(int n, std::uint8_t v);
    Status SetPaperSize(const std::array<std::uint8_t, 8>& size);
    Status SetPageFormat(const std::array<std::uint8_t, 8>& format);
    Status LineFeeds(int n);
    Status FormFeed();
    Status PrepareRaster(std::uint8_t unit, std::uint8_t direction, int dotSize, int colourMode);
    Status FlushData();
    Status WaitUntilReady();
    // A label: the characters and their terminating zero byte.
    Status WriteText(std::string_view text);
    // Raw bytes of a label or field, exactly as given (no zero byte added).
    Status WriteBytes(std::span<const std::uint8_t> bytes);

    // The one writer of pattern data. dotSize replaces kCallerDotSize in Prepare steps.
    Status Emit(std::span<const raster::Step> program, raster::LineFlush flush,
                int dotSize = raster::kCallerDotSize);
    // SetRasterResolution(68 01 02 01), StartRasterBand, then every line as its runs.
    Status WriteBand(const raster::Band& band, raster::LineFlush flush);

    // Adjustment patterns.
    Status BidAdjustmentPrint();
    Status Bid(int dotSize, std::int8_t black, std::int8_t colour);
    Status HeadAngular();
    // The PF pattern. A failure after a trial value went in, while the link still answers, is
    // followed by the stored value and FinishValues (best effort), so that no trial value stays.
    Status PaperFeed();
    Status TopMargin();

    // Reads the eight Bi-D values (kBidReadOrder) through the control channel.
    Status ReadBidValues(BidValues& values);
    // One PF row of the check-pattern report: the printer's present feed, labelled with
    // storedValue; no trial value is sent.
    Status PaperFeedReportRow(std::int8_t storedValue);

    TPD4Comm& link() { return link_; }
    TPFactory& factory() { return factory_; }
    MessageHandler& ui() { return ui_; }
    // Told after every raster band header the link took: the progress of a long print.
    void setBandObserver(std::function<void()> observer) { bandObserver_ = std::move(observer); }

private:
    enum class PfProgress { NoTrialSent, TrialSent, StoredBack };
    Status Write(const raster::Command& command);
    Status PfRowLabel(int value);
    Status PaperFeedRows(std::uint8_t stored, PfProgress& progress);

    TPD4Comm& link_;
    TPFactory& factory_;
    MessageHandler& ui_;
    std::function<void()> bandObserver_;
};

}  // namespace veltra
