#pragma once
// TPCheckPattern: the four-page check-pattern report on A4 plain paper. It gathers the
// protection counter, head ID, USB ID and Bi-D values first (a failed read ends the report before
// anything is printed), then prints every test pattern with a page banner for the chosen model.
// The first failing read, command or write ends the report at once and is returned; nothing more
// is sent, and no form feed is sent for the unfinished page.
#include <array>
#include <cstdint>

#include "codes/Malheadid.h"
#include "codes/Malusbid.h"
#include "link/Mald4comm.h"
#include "link/Malfactory.h"
#include "link/StartupChoice.h"
#include "patterns/Malraster.h"

namespace veltra {

// The protection counter as printed: decimal text laid over five spaces, its zero byte only when
// there is room for it.
std::array<std::uint8_t, 5> CounterField(std::uint16_t counter);

class TPCheckPattern {
public:
    TPCheckPattern(TPRaster& raster, TPD4Comm& link, TPFactory& factory,
                   const StartupChoice& choice);

    Status CheckPatternPrint();
    // Raster bands of the four pages, for either model: page 1's 90, four Bi-D dot sizes of 24
    // on pages 2-3, and on page 4 the head angle strokes' 4 and the paper feed row's 4.
    static constexpr int kBands = 90 + 4 * 24 + 4 + 4;

    // The detail code of the last head ID or USB ID read (kNoError unless it failed on the
    // stored data), for the window's message.
    Detail CodeDetail() const { return codeDetail_; }

private:
    struct Gathered {
        std::uint16_t counter = 0;
        std::array<char, kHeadIdLength + 1> headId{};
        std::array<char, kUsbIdLength + 1> usbId{};
        BidValues bid{};
    };
    Status Gather(Gathered& data);
    Status Banner(int page);
    Status ItemNumber(int item);
    Status PageOne();
    Status PageTwo(const Gathered& data);
    Status PageThree(const Gathered& data);
    Status PageFour(const Gathered& data);

    TPRaster& raster_;
    TPD4Comm& link_;
    TPFactory& factory_;
    const StartupChoice& choice_;
    Detail codeDetail_ = kNoError;
};

}  // namespace veltra
