#pragma once
// The virtual printer's paper: turns the parsed print data stream into page images.
//
// Geometry: 360 pixels per inch; one dot is one pixel wide, raster line k of a band is printed
// by nozzle k and lands two pixels (1/180 inch, the nozzle pitch) below line k-1. A dot marks
// its own pixel; the interlace pass (a 1/360 inch feed) fills the pixel rows in between. Inks
// are laid subtractively, so overlapping dots darken.
//
// Mechanism model (hidden errors a technician adjusts away; see docs/VIRTUAL_PRINTER.md):
// - Bi-D: with bi-directional printing on, the carriage prints a band in the direction it
//   happens to face; bands printed right to left land (Bi-D error - trial Bi-D value) dots to
//   the right, per dot size and side (black bands / colour bands).
// - Paper feed: every feed is stretched by (PF error - trial PF value) units per inch.
// - Head angle: inside head angle mode, the bands after the 358-unit feed (the upper nozzles'
//   half of the head angular strokes) land head-angle-error dots to the right. A sheet begun in
//   head angle mode is ejected when the printer ends the head angle print (HeadAngleEnd), so
//   every check print has its own sheet; a form feed right after that finds no sheet to feed.
// - Top margin: the paper stops top-margin-error steps of kTopMarginStep lower than the page
//   format asks. A sheet with a page format carries a millimetre ruler down its right edge and
//   the target margin, so that a trainee reads how far the first line is off.
#include <QImage>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace veltra::sim {

// The Bi-D dot-size sets, in the order of the dot-size bytes 0x10-0x13.
enum class DotSet { Vsd1 = 0, Vsd2 = 1, Vsd3 = 2, Eco = 3 };
inline constexpr int kDotSetCount = 4;
enum class InkSide { Black = 0, Colour = 1 };

using BidTable = std::array<std::array<int, 2>, kDotSetCount>;  // [DotSet][InkSide]

// The mechanism's hidden faults, in the units the technician adjusts them in.
struct MechanismErrors {
    BidTable bid{};     // dots; the trial Bi-D value that equals it prints straight strokes
    int paperFeed = 0;  // 1/360 inch per inch of feed; the equal trial PF value feeds true
    int headAngle = 0;  // dots between the lower and the upper half of a head angular stroke
    int topMargin = 0;  // steps of kTopMarginStep the paper stops lower than the format asks

    int& bidError(DotSet set, InkSide side) {
        return bid[static_cast<int>(set)][static_cast<int>(side)];
    }
    int bidError(DotSet set, InkSide side) const {
        return bid[static_cast<int>(set)][static_cast<int>(side)];
    }
};

// The adjustment values in force when the stream starts (the printer's EEPROM).
struct StoredAdjustments {
    BidTable bid{};     // signed values of EEPROM 0x72-0x77 (VSD1-VSD3) and 0x70-0x71 (ECO)
    int paperFeed = 0;  // signed value of EEPROM 0x7D
    // The printer's model code: factory frames for another model are ignored, as the printer
    // ignores them. Without it every frame counts.
    std::optional<std::array<std::uint8_t, 2>> modelCode;

    static StoredAdjustments fromEeprom(const std::array<std::uint8_t, 256>& eeprom);
};

// Things the renderer met and could not put on paper; a well-formed pattern leaves all zero
// except possibly offPaperDots (marks that would fall off the sheet are dropped).
struct RenderNotes {
    int unknownColourBands = 0;  // band with a colour byte of no known ink: not printed
    int excessLines = 0;         // raster lines beyond the colour's nozzle row: dropped
    int shortLines = 0;          // raster lines shorter than their band's byte count
    int offPaperDots = 0;        // dots outside the sheet: dropped
    int malformedCommands = 0;   // commands too short to read: ignored
    int textWithoutFonts = 0;    // characters not drawn because no QGuiApplication exists
};

class PageRenderer {
public:
    // Receives each page as it is ejected, numbered from 1 in print order.
    using PageSink = std::function<void(const QImage& page, int number)>;

    static constexpr int kDotsPerInch = 360;
    static constexpr int kDefaultPaperWidth = 2976;  // A4, in 1/360 inch = pixels
    static constexpr int kDefaultPaperLength = 4208;
    static constexpr int kLeftMargin = 48;         // centres a 2880-dot line on A4
    static constexpr int kDefaultTopMargin = 120;  // 1/3 inch, until a page format says
    static constexpr int kLinePitch = 60;          // text lines, 1/6 inch
    static constexpr int kCharacterPitch = 36;     // text characters, 10 per inch
    static constexpr int kNozzlePitch = 2;         // pixels between raster lines
    static constexpr int kBlackNozzles = 180;
    static constexpr int kColourNozzles = 60;
    // One step of the top margin values (1/360 inch), about a millimetre.
    static constexpr int kTopMarginStep = 14;
    // The margin a trainee aims for: the middle value of the series the asked margin is in.
    static constexpr int kFirstHighTopMargin = 92;
    static constexpr int kLowTopMarginTarget = 42;
    static constexpr int kHighTopMarginTarget = 120;
    static int topMarginTarget(int asked) {
        return asked < kFirstHighTopMargin ? kLowTopMarginTarget : kHighTopMarginTarget;
    }

    PageRenderer(const MechanismErrors& errors, const StoredAdjustments& stored, PageSink sink);

    // Interprets commands in stream order; a form feed hands the page to the sink.
    void feed(const PrintCommand& command);
    void feed(const std::vector<PrintCommand>& commands);

    int pagesEjected() const { return pagesEjected_; }
    // True once anything has been printed or the paper moved on the page in the printer.
    bool pageStarted() const { return pageStarted_; }
    // The page in the printer as it stands (a blank sheet if nothing was printed yet).
    QImage currentPage() const;
    const RenderNotes& notes() const { return notes_; }
    // The hidden errors from now on (a trainee changes them between prints).
    void setErrors(const MechanismErrors& errors) { errors_ = errors; }
    const MechanismErrors& errors() const { return errors_; }
    // The printer's values in force were replaced behind the stream's back (a fresh EEPROM).
    void setTrialValues(const StoredAdjustments& stored) {
        trialBid_ = stored.bid;
        trialPf_ = stored.paperFeed;
    }

    // Trial values in force now (after the factory frames seen so far).
    int trialBid(DotSet set, InkSide side) const {
        return trialBid_[static_cast<int>(set)][static_cast<int>(side)];
    }
    int trialPaperFeed() const { return trialPf_; }

private:
    void initialise();
    void startPage();
    void ejectPage();
    void moveVertical(std::int64_t length);  // in 1/3600 inch
    int currentRow() const;
    void printText(const std::vector<std::uint8_t>& characters);
    void printBand(const PrintCommand& band);
    void applyFactory(const std::vector<std::uint8_t>& bytes);
    void applyPageFormat(const std::vector<std::uint8_t>& bytes);
    void applyPaperSize(const std::vector<std::uint8_t>& bytes);
    void drawMarginRuler();

    MechanismErrors errors_;
    PageSink sink_;
    std::optional<std::array<std::uint8_t, 2>> modelCode_;

    // Printer settings reset by ESC @.
    int unit_ = 10;                      // position unit in 1/3600 inch
    bool bidirectional_ = true;          // ESC U 0
    std::uint8_t dotSizeByte_ = 0;       // ESC ( e
    int dotPitch_ = 1;                   // pixels per dot, from ESC ( D
    int topMargin_ = kDefaultTopMargin;  // pixels
    int paperWidth_ = kDefaultPaperWidth;
    int paperLength_ = kDefaultPaperLength;

    // Mechanism state, kept across pages.
    BidTable trialBid_{};
    int trialPf_ = 0;
    bool carriageAtRight_ = false;
    bool headAngleMode_ = false;
    bool headAngleUpperHalf_ = false;
    bool sheetBegunInHeadAngleMode_ = false;
    bool ejectedByHeadAngleEnd_ = false;  // and nothing printed or moved since

    // The page in the printer.
    QImage page_;
    bool pageStarted_ = false;
    std::int64_t rowTicks_ = 0;        // print position from the sheet's top edge; see moveVertical
    int column_ = 0;                   // print position from the left margin, pixels
    bool textOnLine_ = false;          // characters printed since the last line end or band
    std::optional<int> marginTarget_;  // pixels; set by a page format, drawn at the eject
    int pagesEjected_ = 0;

    RenderNotes notes_;
};

}  // namespace veltra::sim
