// The check-pattern report. Its seven own patterns are data (run lists, bands, passes) emitted by
// TPRaster::Emit; the Bi-D rows, the head angular strokes and the PF row are TPRaster's own.
#include "patterns/Malcheckpattern.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace veltra {

using namespace raster;

namespace {

constexpr std::uint8_t kSolid = 0xFF;     // four dots of code 3
constexpr std::uint8_t kLight = 0x55;     // four dots of code 1
constexpr std::uint8_t kDot = 0x30;       // one dot of code 3 in the second position
constexpr std::uint8_t kSmallDot = 0x20;  // one dot of code 2 in the second position
constexpr std::uint8_t kZero = 0x00;

// Yellow, magenta and cyan bands that print the same lines: the "YMC" of the label "BK-YMC".
struct ColourBands {
    Band yellow;
    Band magenta;
    Band cyan;
};
constexpr ColourBands InEachColour(std::uint16_t width, Line otherwise,
                                   std::span<const LineRule> rules = {}) {
    return {{colour::kYellow, width, kColourLines, otherwise, rules},
            {colour::kMagenta, width, kColourLines, otherwise, rules},
            {colour::kCyan, width, kColourLines, otherwise, rules}};
}

// The bands of one dot size in the Beta and alignment patterns: black, and the three colours
// with one run list.
struct PassBands {
    int dotSize;
    Band black;
    ColourBands colours;
};
constexpr PassBands Bands(int dotSize, std::uint16_t width, Line blackLine, Line colourLine) {
    return {dotSize,
            {colour::kBlack, width, kBlackLines, blackLine, {}},
            InEachColour(width, colourLine)};
}

// The colour half of an interlace pass: yellow, magenta and cyan over each other from the left
// margin, then one line down.
constexpr std::array<Step, 9> ColourPass(const PassBands& b) {
    return {Prepare(kOneDirection, b.dotSize, kColour),
            BandStep(b.colours.yellow),
            V(0),
            H0(),
            BandStep(b.colours.magenta),
            V(0),
            H0(),
            BandStep(b.colours.cyan),
            V(1)};
}

// The steps of `first`, then those of `second`.
template <std::size_t N, std::size_t M>
constexpr std::array<Step, N + M> Join(const std::array<Step, N>& first,
                                       const std::array<Step, M>& second) {
    std::array<Step, N + M> steps{};
    std::copy(first.begin(), first.end(), steps.begin());
    std::copy(second.begin(), second.end(), steps.begin() + N);
    return steps;
}

// ---- Beta pattern ----------------------------------------------------------------------------
// Solid blocks of 440 dots; each larger dot size stands 1000 dots further right.

constexpr Item kBetaBlack4[] = {Run(110, kSolid), Run(110, kZero)};
constexpr Item kBetaColour4[] = {Run(110, kZero), Run(110, kSolid)};
constexpr Item kBetaBlack5[] = {Run(110, kZero), Run(110, kZero), Run(30, kZero), Run(110, kSolid),
                                Run(110, kZero)};
constexpr Item kBetaColour5[] = {Run(110, kZero), Run(110, kZero), Run(30, kZero), Run(110, kZero),
                                 Run(110, kSolid)};
constexpr Item kBetaBlack6[] = {Group(2, 3),    Run(110, kZero),  Run(110, kZero),
                                Run(30, kZero), Run(110, kSolid), Run(110, kZero)};
constexpr Item kBetaColour6[] = {Group(2, 3),    Run(110, kZero), Run(110, kZero),
                                 Run(30, kZero), Run(110, kZero), Run(110, kSolid)};

constexpr PassBands kBeta4 = Bands(4, 220, kBetaBlack4, kBetaColour4);
constexpr PassBands kBeta5 = Bands(5, 470, kBetaBlack5, kBetaColour5);
constexpr PassBands kBeta6 = Bands(6, kFullWidth, kBetaBlack6, kBetaColour6);

// One interlace pass of a band set (one step list per set, for Repeat to point at). The Beta
// pattern sets the vertical position once more after its black band.
template <const PassBands& B>
constexpr auto kBetaPass = Join(std::array{Prepare(kOneDirection, B.dotSize, kMonochrome),
                                           BandStep(B.black), V(0)},
                                ColourPass(B));

constexpr Step kBeta[] = {
    Text("Beta pattern(BK-YMC VSD1-VSD2-VSD3)"),
    LF(1),
    Init(),
    Repeat(2, kBetaPass<kBeta4>),
    Flush(),
    Init(),
    Repeat(2, kBetaPass<kBeta5>),
    Flush(),
    Init(),
    Repeat(2, kBetaPass<kBeta6>),
    Init(),
    LF(1),
    Flush(),
};
static_assert(ProgramValid(kBeta));

// ---- Nozzle checks VSD1 and VSD2 -------------------------------------------------------------
// Every nozzle prints one short line: black even nozzles in bytes 0-169, odd ones in 170-339;
// colour even nozzles in bytes 380-549, odd ones in 550-719.

constexpr Item kNozzleBlackEven[] = {Run(110, kSolid), Run(60, kSolid), Run(110, kZero),
                                     Run(60, kZero)};
constexpr Item kNozzleBlackOdd[] = {Run(110, kZero), Run(60, kZero), Run(110, kSolid),
                                    Run(60, kSolid)};
constexpr Item kNozzleBlackBlank[] = {Run(110, kZero), Run(60, kZero), Run(110, kZero),
                                      Run(60, kZero)};
constexpr Item kNozzleColourEven[] = {Run(110, kZero), Run(60, kZero),  Run(110, kZero),
                                      Run(60, kZero),  Run(40, kZero),  Run(110, kSolid),
                                      Run(60, kSolid), Run(110, kZero), Run(60, kZero)};
constexpr Item kNozzleColourOdd[] = {Run(110, kZero), Run(60, kZero),   Run(110, kZero),
                                     Run(60, kZero),  Run(40, kZero),   Run(110, kZero),
                                     Run(60, kZero),  Run(110, kSolid), Run(60, kSolid)};
constexpr Item kNozzleColourBlank[] = {Run(110, kZero), Run(60, kZero),  Run(110, kZero),
                                       Run(60, kZero),  Run(40, kZero),  Run(110, kZero),
                                       Run(60, kZero),  Run(110, kZero), Run(60, kZero)};

constexpr std::uint8_t kLastBlack = kBlackLines - 1;
constexpr std::uint8_t kLastColour = kColourLines - 1;
constexpr LineRule kNozzleBlackEvenRule[] = {{0, kLastBlack, Rows::Even, kNozzleBlackEven}};
constexpr LineRule kNozzleBlackOddRule[] = {{0, kLastBlack, Rows::Odd, kNozzleBlackOdd}};
constexpr LineRule kNozzleColourEvenRule[] = {{0, kLastColour, Rows::Even, kNozzleColourEven}};
constexpr LineRule kNozzleColourOddRule[] = {{0, kLastColour, Rows::Odd, kNozzleColourOdd}};

constexpr Band kNozzleKEven{colour::kBlack, 340, kBlackLines, kNozzleBlackBlank,
                            kNozzleBlackEvenRule};
constexpr Band kNozzleKOdd{colour::kBlack, 340, kBlackLines, kNozzleBlackBlank,
                           kNozzleBlackOddRule};
constexpr ColourBands kNozzleEvenColours =
    InEachColour(kFullWidth, kNozzleColourBlank, kNozzleColourEvenRule);
constexpr ColourBands kNozzleOddColours =
    InEachColour(kFullWidth, kNozzleColourBlank, kNozzleColourOddRule);

// The three colour bands side by side: only a return to the left margin between them.
constexpr std::array<Step, 6> ColourTriple(int dotSize, const ColourBands& c) {
    return {Prepare(kOneDirection, dotSize, kColour),
            BandStep(c.yellow),
            H0(),
            BandStep(c.magenta),
            H0(),
            BandStep(c.cyan)};
}

constexpr std::array<Step, 4> BlackPair(int dotSize, const Band& first, const Band& second) {
    return {Prepare(kOneDirection, dotSize, kMonochrome), BandStep(first),
            Prepare(kOneDirection, dotSize, kMonochrome), BandStep(second)};
}

constexpr auto kNozzleBlack4 = BlackPair(4, kNozzleKEven, kNozzleKOdd);
constexpr auto kNozzleEven4 = ColourTriple(4, kNozzleEvenColours);
constexpr auto kNozzleOdd4 = ColourTriple(4, kNozzleOddColours);
constexpr auto kNozzleBlack5 = BlackPair(5, kNozzleKEven, kNozzleKOdd);
constexpr auto kNozzleEven5 = ColourTriple(5, kNozzleEvenColours);
constexpr auto kNozzleOdd5 = ColourTriple(5, kNozzleOddColours);

constexpr int kNozzleCheckFeed = 360;
constexpr Step kNozzleVsd1Pass[] = {
    Repeat(1, kNozzleBlack4),
    Repeat(1, kNozzleEven4),
    Repeat(1, kNozzleOdd4),
    V(kNozzleCheckFeed),
};
constexpr Step kNozzleVsd1[] = {
    Text("Nozzle check pattern(BK-YMC VSD1-VSD2-VSD3)"),
    LF(1),
    Repeat(2, kNozzleVsd1Pass),
    Init(),
};
constexpr Step kNozzleVsd2[] = {
    Repeat(1, kNozzleBlack5),
    Repeat(1, kNozzleEven5),
    Repeat(1, kNozzleOdd5),
    Init(),
};
static_assert(ProgramValid(kNozzleVsd1) && ProgramValid(kNozzleVsd2));

// ---- Nozzle check VSD3 -----------------------------------------------------------------------

constexpr Item kVsd3BlackEven[] = {Run(115, kSolid), Run(5, kZero), Group(5, 1), Run(120, kZero)};
constexpr Item kVsd3BlackOdd[] = {Run(115, kZero), Run(115, kSolid), Run(10, kZero), Group(4, 1),
                                  Run(120, kZero)};
constexpr Item kVsd3ColourEven[] = {Run(120, kZero),  Run(120, kZero), Run(20, kZero),
                                    Run(115, kSolid), Run(105, kZero), Run(120, kZero),
                                    Run(120, kZero)};
constexpr Item kVsd3ColourOdd[] = {Run(120, kZero), Run(120, kZero),  Run(120, kZero),
                                   Run(15, kZero),  Run(115, kSolid), Run(110, kZero),
                                   Run(120, kZero)};
// Dot code 1 where the groups above print code 3.
constexpr Item kVsd3LightEven[] = {Group(4, 1), Run(120, kZero), Run(10, kZero), Run(115, kLight),
                                   Run(115, kZero)};
constexpr Item kVsd3LightOdd[] = {Group(4, 1), Run(120, kZero), Run(10, kZero), Run(115, kZero),
                                  Run(115, kLight)};

constexpr LineRule kVsd3BlackEvenRule[] = {{0, kLastBlack, Rows::Even, kVsd3BlackEven}};
constexpr LineRule kVsd3BlackOddRule[] = {{0, kLastBlack, Rows::Odd, kVsd3BlackOdd}};
constexpr LineRule kVsd3ColourEvenRule[] = {{0, kLastColour, Rows::Even, kVsd3ColourEven}};
constexpr LineRule kVsd3ColourOddRule[] = {{0, kLastColour, Rows::Odd, kVsd3ColourOdd}};
constexpr LineRule kVsd3LightEvenRule[] = {{0, kLastColour, Rows::Even, kVsd3LightEven}};
constexpr LineRule kVsd3LightOddRule[] = {{0, kLastColour, Rows::Odd, kVsd3LightOdd}};

constexpr Band kVsd3KEven = RuledBand(colour::kBlack, kVsd3BlackEvenRule);
constexpr Band kVsd3KOdd = RuledBand(colour::kBlack, kVsd3BlackOddRule);
constexpr ColourBands kVsd3EvenColours =
    InEachColour(kFullWidth, kBlankLine720, kVsd3ColourEvenRule);
constexpr ColourBands kVsd3OddColours = InEachColour(kFullWidth, kBlankLine720, kVsd3ColourOddRule);
constexpr ColourBands kVsd3LightEvenColours =
    InEachColour(kFullWidth, kBlankLine720, kVsd3LightEvenRule);
constexpr ColourBands kVsd3LightOddColours =
    InEachColour(kFullWidth, kBlankLine720, kVsd3LightOddRule);

constexpr auto kVsd3Black = BlackPair(6, kVsd3KEven, kVsd3KOdd);
constexpr auto kVsd3Even = ColourTriple(6, kVsd3EvenColours);
constexpr auto kVsd3Odd = ColourTriple(6, kVsd3OddColours);
constexpr auto kVsd3LightEvenGroup = ColourTriple(6, kVsd3LightEvenColours);
constexpr auto kVsd3LightOddGroup = ColourTriple(6, kVsd3LightOddColours);
constexpr Step kNozzleVsd3[] = {
    Repeat(1, kVsd3Black),          Repeat(1, kVsd3Even),          Repeat(1, kVsd3Odd),
    Repeat(1, kVsd3LightEvenGroup), Repeat(1, kVsd3LightOddGroup), Init(),
};
static_assert(ProgramValid(kNozzleVsd3));

// ---- Alignment pattern -----------------------------------------------------------------------
// Nine strokes 40 dots apart in black and, 400 dots to their right, in each colour.

template <std::uint8_t D>
constexpr Item kAlignBlack4[] = {Group(9, 2), Run(1, D), Run(9, kZero), Run(100, kZero)};
template <std::uint8_t D>
constexpr Item kAlignColour4[] = {Run(80, kZero), Run(20, kZero), Group(9, 2), Run(1, D),
                                  Run(9, kZero)};
template <std::uint8_t D>
constexpr Item kAlignBlack5[] = {Run(100, kZero), Run(100, kZero), Run(30, kZero), Group(9, 2),
                                 Run(1, D),       Run(9, kZero),   Run(100, kZero)};
template <std::uint8_t D>
constexpr Item kAlignColour5[] = {Run(100, kZero), Run(100, kZero), Run(30, kZero), Run(80, kZero),
                                  Run(20, kZero),  Group(9, 2),     Run(1, D),      Run(9, kZero)};
template <std::uint8_t D>
constexpr Item kAlignBlack6[] = {Group(2, 3), Run(100, kZero), Run(100, kZero), Run(30, kZero),
                                 Group(9, 2), Run(1, D),       Run(9, kZero),   Run(100, kZero)};
template <std::uint8_t D>
constexpr Item kAlignColour6[] = {Group(2, 3),    Run(100, kZero), Run(100, kZero),
                                  Run(30, kZero), Run(80, kZero),  Run(20, kZero),
                                  Group(9, 2),    Run(1, D),       Run(9, kZero)};

constexpr PassBands kAlign4 = Bands(4, 190, kAlignBlack4<kDot>, kAlignColour4<kDot>);
constexpr PassBands kAlign5 = Bands(5, 420, kAlignBlack5<kDot>, kAlignColour5<kDot>);
// VSD3: a code-3 dot in the black band of the first pass only, code 2 in every later band.
constexpr PassBands kAlign6First = Bands(6, 650, kAlignBlack6<kDot>, kAlignColour6<kSmallDot>);
constexpr PassBands kAlign6 = Bands(6, 650, kAlignBlack6<kSmallDot>, kAlignColour6<kSmallDot>);

template <const PassBands& B>
constexpr auto kAlignPass = Join(std::array{Prepare(kOneDirection, B.dotSize, kMonochrome),
                                            BandStep(B.black)},
                                 ColourPass(B));

constexpr Step kAlignment[] = {
    Text("Alignment pattern(BK-YMC VSD1-VSD2-VSD3)"),
    LF(1),
    Repeat(2, kAlignPass<kAlign4>),
    Repeat(2, kAlignPass<kAlign5>),
    Repeat(1, kAlignPass<kAlign6First>),
    Repeat(1, kAlignPass<kAlign6>),
    Init(),
};
static_assert(ProgramValid(kAlignment));

// ---- Nozzle column shift ---------------------------------------------------------------------

constexpr Item kShiftStrokes[] = {Group(18, 2), Run(1, kDot), Run(9, kZero)};
constexpr Band kShiftK{colour::kBlack, 180, kColourLines, kShiftStrokes, {}};
constexpr Band kShiftM{colour::kMagenta, 180, kColourLines, kShiftStrokes, {}};
constexpr Step kShiftPass[] = {
    Prepare(kOneDirection, 4, kMonochrome),
    BandStep(kShiftK),
    Prepare(kOneDirection, 4, kColour),
    BandStep(kShiftM),
};
constexpr Step kColumnShift[] = {
    Text("Nozzle column shift"), LF(1), Repeat(1, kShiftPass), V(1), Repeat(1, kShiftPass), Init(),
};
static_assert(ProgramValid(kColumnShift));

// ---- Page 1 ----------------------------------------------------------------------------------

constexpr Step kPageOne[] = {
    Wait(),
    Text("1. "),
    Repeat(1, kBeta),
    LF(6),
    Wait(),
    Text("2. "),
    Repeat(1, kNozzleVsd1),
    LF(1),
    Repeat(1, kNozzleVsd2),
    LF(7),
    Repeat(1, kNozzleVsd3),
    LF(7),
    Wait(),
    Text("3. "),
    Repeat(1, kAlignment),
    LF(7),
    Wait(),
    Text("4. "),
    Repeat(1, kColumnShift),
    Wait(),
    FF(),
    Wait(),
};
static_assert(ProgramValid(kPageOne));

constexpr std::string_view kBannerModelPrefix = "    ******************* ";
constexpr std::array<std::string_view, 4> kBannerPageLines{
    " CHECK PATTERN PRINT 1/4 *******************",
    " CHECK PATTERN PRINT 2/4 *******************",
    " CHECK PATTERN PRINT 3/4 *******************",
    " CHECK PATTERN PRINT 4/4 *******************",
};
static_assert(kBannerPageLines[0].size() + 1 == 45);

constexpr std::string_view kBidTitle = "Bi-D Adjustment";
constexpr std::string_view kPfTitle = "PF pattern";
constexpr std::string_view kHeadIdLabel = "Head ID = ";
constexpr std::string_view kUsbIdLabel = "USB ID = ";
constexpr std::string_view kCounterLabel = "Protection Counter = ";
static_assert(kHeadIdLabel.size() + 1 == 11 && kUsbIdLabel.size() + 1 == 10 &&
              kCounterLabel.size() + 1 == 22);

std::span<const std::uint8_t> AsBytes(const char* text, std::size_t n) {
    return {reinterpret_cast<const std::uint8_t*>(text), n};
}

}  // namespace

std::array<std::uint8_t, 5> CounterField(std::uint16_t counter) {
    std::array<std::uint8_t, 5> field{' ', ' ', ' ', ' ', ' '};
    char text[8] = {};
    const auto [end, ec] = std::to_chars(text, text + sizeof text, counter);
    const auto length = ec == std::errc{} ? static_cast<std::size_t>(end - text) : 0;
    for (std::size_t i = 0; i < length && i < field.size(); ++i) {
        field[i] = static_cast<std::uint8_t>(text[i]);
    }
    if (length < field.size()) {
        field[length] = 0x00;
    }
    return field;
}

TPCheckPattern::TPCheckPattern(TPRaster& raster, TPD4Comm& link, TPFactory& factory,
                               const StartupChoice& choice)
    : raster_(raster), link_(link), factory_(factory), choice_(choice) {}

Status TPCheckPattern::Gather(Gathered& data) {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    VELTRA_TRY(link_.ReadEepromByte(eeprom_address::kProtectionCounter, high));
    VELTRA_TRY(link_.ReadEepromByte(eeprom_address::kProtectionCounterLow, low));
    data.counter = static_cast<std::uint16_t>(high << 8 | low);

    CodeResult r = HeadIdRead(link_, data.headId);
    if (!r.ok()) {
        codeDetail_ = r.detail;
        return r.status;
    }
    r = UsbIdRead(link_, data.usbId);
    if (!r.ok()) {
        codeDetail_ = r.detail;
        return r.status;
    }
    return raster_.ReadBidValues(data.bid);
}

Status TPCheckPattern::Banner(int page) {
    if (const ModelInfo* model = choice_.model()) {
        std::string line(kBannerModelPrefix);
        line += model->name;
        VELTRA_TRY(raster_.WriteText(line));
    }
    VELTRA_TRY(raster_.WriteText(kBannerPageLines[static_cast<std::size_t>(page - 1)]));
    return raster_.LineFeeds(2);
}

Status TPCheckPattern::ItemNumber(int item) {
    return raster_.WriteText(std::to_string(item) + ". ");
}

Status TPCheckPattern::PageOne() {
    VELTRA_TRY(Banner(1));
    return raster_.Emit(kPageOne, LineFlush::EachLine);
}

Status TPCheckPattern::PageTwo(const Gathered& data) {
    VELTRA_TRY(Banner(2));
    VELTRA_TRY(factory_.HeadAngleMode(kHeadAngleModeOn));
    VELTRA_TRY(ItemNumber(5));
    VELTRA_TRY(raster_.WriteText(kBidTitle));
    VELTRA_TRY(raster_.LineFeeds(1));
    VELTRA_TRY(raster_.Bid(4, data.bid[0].black, data.bid[0].colour));
    VELTRA_TRY(raster_.Bid(5, data.bid[1].black, data.bid[1].colour));
    VELTRA_TRY(raster_.FormFeed());
    return link_.WaitUntilReady();
}

Status TPCheckPattern::PageThree(const Gathered& data) {
    VELTRA_TRY(Banner(3));
    VELTRA_TRY(raster_.Bid(6, data.bid[2].black, data.bid[2].colour));
    VELTRA_TRY(raster_.Bid(7, data.bid[3].black, data.bid[3].colour));
    VELTRA_TRY(factory_.HeadAngleMode(kHeadAngleModeOff));
    VELTRA_TRY(raster_.FormFeed());
    return link_.WaitUntilReady();
}

Status TPCheckPattern::PageFour(const Gathered& data) {
    VELTRA_TRY(Banner(4));
    VELTRA_TRY(factory_.HeadAngleMode(kHeadAngleModeOn));
    VELTRA_TRY(ItemNumber(6));
    VELTRA_TRY(raster_.HeadAngular());
    VELTRA_TRY(raster_.InitPrinter());
    VELTRA_TRY(factory_.HeadAngleEnd());
    VELTRA_TRY(factory_.HeadAngleMode(kHeadAngleModeOff));
    VELTRA_TRY(raster_.LineFeeds(4));

    VELTRA_TRY(ItemNumber(7));
    VELTRA_TRY(raster_.WriteText(kPfTitle));
    VELTRA_TRY(raster_.LineFeeds(1));
    std::uint8_t pf = 0;
    VELTRA_TRY(link_.ReadEepromByte(eeprom_address::kPaperFeed, pf));
    VELTRA_TRY(raster_.PaperFeedReportRow(static_cast<std::int8_t>(pf)));
    VELTRA_TRY(raster_.LineFeeds(6));

    VELTRA_TRY(ItemNumber(8));
    VELTRA_TRY(raster_.WriteText(kHeadIdLabel));
    VELTRA_TRY(raster_.WriteBytes(AsBytes(data.headId.data(), kHeadIdLength)));
    VELTRA_TRY(raster_.LineFeeds(3));

    VELTRA_TRY(ItemNumber(9));
    VELTRA_TRY(raster_.WriteText(kUsbIdLabel));
    VELTRA_TRY(raster_.WriteBytes(AsBytes(data.usbId.data(), kUsbIdLength)));
    VELTRA_TRY(raster_.LineFeeds(3));

    VELTRA_TRY(ItemNumber(10));
    VELTRA_TRY(raster_.WriteText(kCounterLabel));
    VELTRA_TRY(raster_.WriteBytes(CounterField(data.counter)));
    VELTRA_TRY(raster_.LineFeeds(2));
    return raster_.FormFeed();
}

Status TPCheckPattern::CheckPatternPrint() {
    codeDetail_ = kNoError;
    VELTRA_TRY(link_.WaitUntilReady());
    Gathered data;
    VELTRA_TRY(Gather(data));
    VELTRA_TRY(PageOne());
    VELTRA_TRY(PageTwo(data));
    VELTRA_TRY(PageThree(data));
    return PageFour(data);
}

}  // namespace veltra
