// The adjustment patterns of TPRaster: Bi-D, head angular, PF and top margin. The raster part of
// each pattern is data (run lists, bands, passes) emitted by TPRaster::Emit; the code here adds
// what depends on the printer: values read from the EEPROM, labels with those values, the trial
// values sent with the service commands, and their restoration.
#include <algorithm>

#include "patterns/Malraster.h"

namespace veltra {

using namespace raster;

namespace {

constexpr std::uint8_t kDot = 0x30;      // one dot of code 3 in the second position
constexpr std::uint8_t kWedge = 0xF8;    // codes 3, 3, 2: a stroke three dots wide
constexpr std::uint8_t kSolid = 0xFF;    // four dots of code 3
constexpr std::uint8_t kEdgeDot = 0xC0;  // one dot of code 3 in the first position
constexpr std::uint8_t kZero = 0x00;

// ---- Bi-D -----------------------------------------------------------------------------------

// 34 strokes one dot wide, 40 dots apart, from dot 1; then blank to the end of the line.
constexpr Item kBidBlackStrokes[] = {Group(34, 2),   Run(1, kDot), Run(9, kZero),
                                     Run(20, kZero), Group(3, 1),  Run(120, kZero)};
// The same 34 strokes from dot 1521.
constexpr Item kBidColourStrokes[] = {Group(4, 1),  Run(90, kZero), Run(20, kZero),
                                      Group(34, 2), Run(1, kDot),   Run(9, kZero)};

// Nozzles 60-89 print in one direction, nozzles 90-119 continue below with both directions.
constexpr LineRule kBidUpperRule[] = {{60, 89, Rows::All, kBidBlackStrokes}};
constexpr LineRule kBidLowerRule[] = {{90, 119, Rows::All, kBidBlackStrokes}};
constexpr Band kBidBlackUpper = RuledBand(colour::kBlack, kBidUpperRule);
constexpr Band kBidBlackLower = RuledBand(colour::kBlack, kBidLowerRule);
// Lower half of the magenta nozzles, upper half of the cyan nozzles.
constexpr LineRule kBidMagentaRule[] = {{30, 59, Rows::All, kBidColourStrokes}};
constexpr LineRule kBidCyanRule[] = {{0, 29, Rows::All, kBidColourStrokes}};
constexpr Band kBidMagenta = RuledBand(colour::kMagenta, kBidMagentaRule);
constexpr Band kBidCyan = RuledBand(colour::kCyan, kBidCyanRule);

// One pass of a Bi-D row: the first band in its own direction, the second in both, then one
// line down.
constexpr std::array<Step, 5> BidPass(int firstDirection, int colourMode, const Band& first,
                                      const Band& second) {
    return {Prepare(firstDirection, kCallerDotSize, colourMode), BandStep(first),
            Prepare(kBothDirections, kCallerDotSize, colourMode), BandStep(second), V(1)};
}
constexpr auto kBidBlackPass = BidPass(kOneDirection, kMonochrome, kBidBlackUpper, kBidBlackLower);
constexpr auto kBidColourPass = BidPass(kBothDirections, kColour, kBidMagenta, kBidCyan);
// One row after its label: both passes of black, both of colour, then the row's end.
constexpr Step kBidRow[] = {
    Init(), Repeat(2, kBidBlackPass), Repeat(2, kBidColourPass), Init(), LF(6), Flush(),
};
static_assert(ProgramValid(kBidRow));

constexpr std::string_view kBidTitle = "Bi-D Adjustment";
constexpr std::string_view kBidRowData = "  data = ";
constexpr std::string_view kBidGap = "                              ";
constexpr int kBidTrialStep = 2;
static_assert(kBidTitle.size() + 1 == 16 && kBidRowData.size() + 1 == 10);
static_assert(kBidGap.size() + 1 == 31);

// Label of a Bi-D dot size; empty for a code that has none.
constexpr std::string_view BidLabel(int dotSize) {
    switch (dotSize) {
        case 4:
            return "Variable1 DOT";
        case 5:
            return "Variable2 DOT";
        case 6:
            return "Variable3 DOT";
        case 7:
            return "ECO DOT";
        default:
            return {};
    }
}

// SetBidValues kind 1-4 of dot size 4-7.
constexpr std::uint8_t BidKind(int dotSize) {
    return static_cast<std::uint8_t>(dotSize - kBidFirstDotSize + 1);
}

// A trial value next to a stored one. -128 means "leave unchanged" to the printer and values
// beyond a signed byte would wrap, so a trial is held to -127..127 (and labelled as sent).
constexpr std::int8_t BidTrial(int stored, int step) {
    return static_cast<std::int8_t>(std::clamp(stored + step, -127, 127));
}

// ---- Head angular ----------------------------------------------------------------------------

// Eight strokes three dots wide at the bytes 33, 172, 225, 328, 369, 467, 528 and 669.
constexpr Item kHeadAngularStrokes[] = {
    Run(33, kZero),  Run(1, kWedge), Run(120, kZero), Run(18, kZero), Run(1, kWedge),
    Run(52, kZero),  Run(1, kWedge), Run(102, kZero), Run(1, kWedge), Run(40, kZero),
    Run(1, kWedge),  Run(97, kZero), Run(1, kWedge),  Run(60, kZero), Run(1, kWedge),
    Run(120, kZero), Run(20, kZero), Run(1, kWedge),  Run(50, kZero),
};
// The lower 85 nozzles print the strokes; one inch further down the upper 85 continue them.
constexpr LineRule kHeadAngularLowerRule[] = {{95, 179, Rows::All, kHeadAngularStrokes}};
constexpr LineRule kHeadAngularUpperRule[] = {{0, 84, Rows::All, kHeadAngularStrokes}};
constexpr Band kHeadAngularLower = RuledBand(colour::kBlack, kHeadAngularLowerRule);
constexpr Band kHeadAngularUpper = RuledBand(colour::kBlack, kHeadAngularUpperRule);

constexpr Step kHeadAngularFirstPass[] = {V(0), H0(), BandStep(kHeadAngularLower), V(1)};
constexpr Step kHeadAngularSecondPass[] = {V(0), H0(), BandStep(kHeadAngularUpper), V(1)};
constexpr int kHeadAngularStart = 50;
constexpr int kHeadAngularInch = 358;  // + the two interlace moves: 360, the head's height
constexpr int kHeadAngularEnd = 10;
constexpr Step kHeadAngular[] = {
    Init(),
    Text("Head Angular"),
    LF(1),
    Init(),
    Wait(),
    Init(),
    Prepare(kBothDirections, 4, kMonochrome),
    V(kHeadAngularStart),
    Repeat(2, kHeadAngularFirstPass),
    Init(),
    Init(),
    Prepare(kBothDirections, 4, kMonochrome),
    V(kHeadAngularInch),
    Repeat(2, kHeadAngularSecondPass),
    V(kHeadAngularEnd),
};
static_assert(ProgramValid(kHeadAngular));

// ---- PF --------------------------------------------------------------------------------------

// A solid bar 122 bytes wide from byte 180, printed by the last 60 nozzles.
constexpr Item kPfUpperBar[] = {Run(120, kZero), Run(60, kZero), Run(120, kSolid), Run(2, kSolid),
                                Run(58, kZero),  Group(3, 1),    Run(120, kZero)};
// The same bar from byte 216, printed by all 60 lines of a band.
constexpr Item kPfLowerBar[] = {Run(106, kZero), Run(110, kZero), Run(120, kSolid), Run(2, kSolid),
                                Run(120, kZero), Run(120, kZero), Run(70, kZero),   Run(72, kZero)};
constexpr LineRule kPfUpperRule[] = {{120, 179, Rows::All, kPfUpperBar}};
constexpr Band kPfUpperBand = RuledBand(colour::kBlack, kPfUpperRule);
constexpr Band kPfLowerBand{colour::kBlack, kFullWidth, kColourLines, kPfLowerBar, {}};

constexpr int kPfDotSize = 6;
// The PF preamble, in its own order (not that of PrepareRaster).
constexpr Step kPfPreamble[] = {
    Init(),
    Graphics(),
    Direction(kOneDirection),
    UnitStep(kUnit),
    ColourModeStep(kMonochrome),
    DotSizeStep(kPfDotSize),
};
constexpr Step kPfUpperPass[] = {BandStep(kPfUpperBand), V(1)};
constexpr Step kPfLowerPass[] = {BandStep(kPfLowerBand), V(1)};
constexpr int kPfInch = 358;
// The two bars of one row; the feed between them is made with the printer's PF value.
constexpr Step kPfRowBars[] = {
    Repeat(1, kPfPreamble), Repeat(2, kPfUpperPass), V(kPfInch),
    Repeat(1, kPfPreamble), Repeat(2, kPfLowerPass),
};
static_assert(ProgramValid(kPfRowBars));

constexpr std::string_view kPfTitle = "PF pattern";
constexpr std::string_view kPfRowData = "         data = ";
static_assert(kPfTitle.size() + 1 == 11 && kPfRowData.size() + 1 == 17);
constexpr int kPfFirstTrial = -4;
constexpr int kPfLastTrial = 4;

// ---- Top margin ------------------------------------------------------------------------------

constexpr Item kTopMarginFullLine[] = {Group(6, 1), Run(120, kSolid)};
constexpr Item kTopMarginEdge[] = {Run(1, kEdgeDot), Run(119, kZero), Group(5, 1), Run(120, kZero)};
constexpr LineRule kTopMarginFirstLine[] = {{0, 0, Rows::All, kTopMarginFullLine}};
constexpr Band kTopMarginBand{colour::kBlack, kFullWidth, kBlackLines, kTopMarginEdge,
                              kTopMarginFirstLine};
static_assert(BandValid(kTopMarginBand));

// A4 in 1/360 inch, and the bottom margin of the page format.
constexpr std::uint32_t kA4Width = 2976;
constexpr std::uint32_t kA4Length = 4208;
constexpr std::uint32_t kTopMarginBottom = 7966;
constexpr std::int64_t kTopMarginSettleMs = 10;
constexpr std::int64_t kTopMarginPauseMs = 1000;
constexpr std::string_view kTopMarginLabel = "                                 Top margin";
constexpr std::string_view kFirstDotLabel = "First dot position";
static_assert(kTopMarginLabel.size() + 1 == 44 && kFirstDotLabel.size() + 1 == 19);

}  // namespace

Status TPRaster::ReadBidValues(BidValues& values) {
    std::array<std::uint8_t, kBidReadOrder.size()> raw{};
    for (std::size_t i = 0; i < kBidReadOrder.size(); ++i) {
        VELTRA_TRY(link_.ReadEepromByte(kBidReadOrder[i], raw[i]));
    }
    for (std::size_t k = 0; k < values.size(); ++k) {
        values[k].black = static_cast<std::int8_t>(raw[2 * k]);
        values[k].colour = static_cast<std::int8_t>(raw[2 * k + 1]);
    }
    return kOk;
}

Status TPRaster::BidAdjustmentPrint() {
    VELTRA_TRY(link_.WaitUntilReady());
    BidValues v{};
    VELTRA_TRY(ReadBidValues(v));
    VELTRA_TRY(WriteText(kBidTitle));
    VELTRA_TRY(LineFeeds(1));
    VELTRA_TRY(factory_.HeadAngleMode(kHeadAngleModeOn));
    VELTRA_TRY(Bid(4, v[0].black, v[0].colour));
    VELTRA_TRY(Bid(5, v[1].black, v[1].colour));
    VELTRA_TRY(FormFeed());
    VELTRA_TRY(Bid(6, v[2].black, v[2].colour));
    VELTRA_TRY(Bid(7, v[3].black, v[3].colour));
    return factory_.HeadAngleMode(kHeadAngleModeOff);
}

Status TPRaster::Bid(int dotSize, std::int8_t black, std::int8_t colour) {
    const std::string_view label = BidLabel(dotSize);
    if (label.empty()) {
        fatalError(ui_, raster_text::kBidDotSizeError, kRasterProgramErrorExit);
    }
    const std::uint8_t kind = BidKind(dotSize);
    VELTRA_TRY(WriteText(label));
    VELTRA_TRY(LineFeeds(1));
    VELTRA_TRY(link_.FlushData());
    VELTRA_TRY(InitPrinter());
    VELTRA_TRY(link_.WaitUntilReady());

    for (const int step : {-kBidTrialStep, 0, kBidTrialStep}) {
        const std::int8_t x = BidTrial(black, step);
        const std::int8_t y = BidTrial(colour, step);
        VELTRA_TRY(factory_.SetBidValues(kind, x, kBidUnchanged));
        VELTRA_TRY(factory_.SetBidValues(kind, kBidUnchanged, y));
        VELTRA_TRY(WriteText(kBidRowData));
        VELTRA_TRY(WriteBytes(ValueField(x)));
        VELTRA_TRY(WriteText(kBidGap));
        VELTRA_TRY(WriteText(kBidRowData));
        VELTRA_TRY(WriteBytes(ValueField(y)));
        VELTRA_TRY(LineFeeds(1));
        VELTRA_TRY(link_.FlushData());
        VELTRA_TRY(Emit(kBidRow, LineFlush::EachLine, dotSize));
    }

    // Put the stored pair back.
    VELTRA_TRY(link_.FlushData());
    VELTRA_TRY(factory_.SetBidValues(kind, black, kBidUnchanged));
    VELTRA_TRY(factory_.SetBidValues(kind, kBidUnchanged, colour));
    return LineFeeds(3);
}

Status TPRaster::HeadAngular() {
    return Emit(kHeadAngular, LineFlush::None);
}

Status TPRaster::PfRowLabel(int value) {
    VELTRA_TRY(WriteText(kPfRowData));
    VELTRA_TRY(WriteBytes(ValueField(value)));
    return CarriageReturn();
}

Status TPRaster::PaperFeed() {
    std::uint8_t stored = 0;
    VELTRA_TRY(link_.ReadEepromByte(eeprom_address::kPaperFeed, stored));
    PfProgress progress = PfProgress::NoTrialSent;
    const Status s = PaperFeedRows(stored, progress);
    if (s != kOk && progress == PfProgress::TrialSent && s != kPortFailure) {
        // A trial value went in (and was committed) and the link still answers: the stored value
        // goes back and is committed the same way (best effort; the failure stays the result).
        link_.DropStagedData();
        if (factory_.SetPfValue(static_cast<std::int8_t>(stored)) == kOk) {
            factory_.FinishValues();
        }
    }
    return s;
}

Status TPRaster::PaperFeedRows(std::uint8_t stored, PfProgress& progress) {
    VELTRA_TRY(WriteText(kPfTitle));
    VELTRA_TRY(LineFeeds(1));

    // Each row's label is printed after the row, at the start of the next one.
    for (int trial = kPfFirstTrial; trial <= kPfLastTrial; ++trial) {
        VELTRA_TRY(InitPrinter());
        if (trial > kPfFirstTrial) {
            VELTRA_TRY(PfRowLabel(trial - 1));
        }
        progress = PfProgress::TrialSent;
        VELTRA_TRY(factory_.SetPfValue(static_cast<std::int8_t>(trial)));
        VELTRA_TRY(factory_.FinishValues());
        VELTRA_TRY(Emit(kPfRowBars, LineFlush::EachLine));
    }
    VELTRA_TRY(InitPrinter());
    VELTRA_TRY(PfRowLabel(kPfLastTrial));
    VELTRA_TRY(InitPrinter());
    VELTRA_TRY(link_.FlushData());
    // The stored value goes back without FinishValues.
    VELTRA_TRY(factory_.SetPfValue(static_cast<std::int8_t>(stored)));
    progress = PfProgress::StoredBack;
    VELTRA_TRY(FormFeed());
    return link_.FlushData();
}

Status TPRaster::PaperFeedReportRow(std::int8_t storedValue) {
    VELTRA_TRY(InitPrinter());
    VELTRA_TRY(Emit(kPfRowBars, LineFlush::EachLine));
    VELTRA_TRY(InitPrinter());
    return PfRowLabel(storedValue);
}

Status TPRaster::TopMargin() {
    VELTRA_TRY(InitPrinter());
    link_.clock().sleepMs(kTopMarginSettleMs);
    std::uint8_t top = 0;
    VELTRA_TRY(link_.ReadEepromByte(eeprom_address::kTopMargin, top));

    VELTRA_TRY(PrepareRaster(kUnit, kOneDirection, 4, kMonochrome));
    VELTRA_TRY(SetPaperSize(TwoLongs(kA4Width, kA4Length)));
    VELTRA_TRY(SetPageFormat(TwoLongs(top, kTopMarginBottom)));
    VELTRA_TRY(link_.FlushData());
    VELTRA_TRY(WriteBand(kTopMarginBand, LineFlush::EachLine));

    VELTRA_TRY(InitPrinter());
    VELTRA_TRY(CarriageReturn());
    link_.clock().sleepMs(kTopMarginPauseMs);
    VELTRA_TRY(InitPrinter());
    VELTRA_TRY(WriteText(kTopMarginLabel));
    VELTRA_TRY(LineFeeds(3));
    VELTRA_TRY(WriteText(kFirstDotLabel));
    link_.clock().sleepMs(kTopMarginPauseMs);
    VELTRA_TRY(FormFeed());
    VELTRA_TRY(InitPrinter());
    return link_.FlushData();
}

}  // namespace veltra
