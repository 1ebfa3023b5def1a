#pragma once
// TPFactory: factory (service) frames ESC | on the print data channel, each carrying the model
// code. Only ReadEepromByteData reads a reply; the others return SendCommand's status.
#include <array>
#include <cstdint>

#include "link/Mald4comm.h"

namespace veltra {

namespace factory_error {
inline constexpr Detail kNoReplyHeader = Detail(0xF000);  // reply lacked "@BDC PS"
}

class TPFactory {
public:
    explicit TPFactory(TPD4Comm& link) : link_(link) {}

    void SetModelCode(std::uint8_t c0, std::uint8_t c1);
    Detail LastError() const { return lastError_; }

    Status ReadEepromByteData(std::uint8_t address, std::uint8_t& value);
    // kind 1..4 (VSD1, VSD2, VSD3, ECO); -128 leaves that side unchanged.
    Status SetBidValues(std::uint8_t kind, std::int8_t black, std::int8_t colour);
    Status SetPfValue(std::int8_t value);
    Status FinishValues();
    Status CleanCharge(std::uint8_t n);  // frame, then ESC @ staged as print data
    Status HeadAngleMode(std::uint8_t v);
    Status HeadAngleEnd();
    Status MechSet(std::uint8_t unit, std::int16_t value);
    Status MechRun(std::uint8_t unit, std::uint8_t direction, std::uint16_t count);
    Status MechPause(std::uint8_t count);

    // The frame of the last command (for tests and traces).
    const std::array<std::uint8_t, 256>& buffer() const { return buffer_; }

private:
    Status Send(std::uint8_t command, const std::uint8_t* params, std::size_t n);

    TPD4Comm& link_;
    std::array<std::uint8_t, 256> buffer_{0x1B, 0x7C};
    Detail lastError_ = kNoError;
};

}  // namespace veltra
