#include "patterns/Malraster.h"

#include <charconv>
#include <limits>

namespace veltra {

namespace {
constexpr std::uint8_t kSpace = 0x20;
}  // namespace

std::array<std::uint8_t, 5> ValueField(int value) {
    std::array<std::uint8_t, 5> field{kSpace, kSpace, kSpace, kSpace, 0x00};
    char text[12] = {};
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    const auto length = static_cast<std::size_t>(end - text);
    // Longer texts cannot come from a signed byte or a trial value next to one; keep the field
    // at five bytes and its zero byte in place whatever happens.
    const std::size_t kept = (ec == std::errc{} && length < field.size()) ? length : 0;
    for (std::size_t i = 0; i < kept; ++i) {
        field[i] = static_cast<std::uint8_t>(text[i]);
    }
    field[kept] = 0x00;
    return field;
}

TPRaster::TPRaster(TPD4Comm& link, TPFactory& factory, MessageHandler& ui)
    : link_(link), factory_(factory), ui_(ui) {}

Status TPRaster::Write(const raster::Command& command) {
    return link_.WriteData(command.data.data(), command.size);
}

Status TPRaster::InitPrinter() {
    return Write(raster::InitPrinter());
}
Status TPRaster::SetGraphicsMode() {
    return Write(raster::GraphicsMode());
}
Status TPRaster::SetUnit(std::uint8_t u) {
    return Write(raster::Unit(u));
}
Status TPRaster::SetPrintDirection(std::uint8_t n) {
    return Write(raster::PrintDirection(n));
}
Status TPRaster::SetDotSize(int code) {
    return Write(raster::DotSize(code));
}

Status TPRaster::SetColorMode(int mode) {
    const auto byte = raster::ColourModeByte(mode);
    if (!byte) {
        ui_.showMessage(raster_text::kColourModeTitle, raster_text::kColourModeError);
    }
    return Write(raster::ColourMode(byte.value_or(raster::kBadColourModeByte)));
}

Status TPRaster::CarriageReturn() {
    return Write(raster::CarriageReturn());
}

Status TPRaster::SetVerticalPosition(int v) {
    // The move is a signed 16-bit distance; -256 and below (and anything that does not fit) can
    // only come from a programming fault.
    if (v <= raster::kMinVerticalMove || v > std::numeric_limits<std::int16_t>::max()) {
        fatalError(ui_, raster_text::kVerticalError, kRasterProgramErrorExit);
    }
    return Write(raster::VerticalPosition(static_cast<std::int16_t>(v)));
}

Status TPRaster::SetHorizontalPosition(std::uint16_t x) {
    return Write(raster::HorizontalPosition(x));
}

Status TPRaster::SetRasterResolution(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                     std::uint8_t d) {
    return Write(raster::RasterResolution(a, b, c, d));
}

Status TPRaster::StartRasterBand(std::uint8_t colourCode, std::uint8_t compression,
                                 std::uint8_t bitsPerDot, std::uint8_t nL, std::uint8_t nH,
                                 std::uint8_t mL, std::uint8_t mH) {
    // Only the seven ink codes are ever passed; any other prints as black rather than as an
    // undefined colour byte.
    const std::uint8_t colour = raster::ColourByte(colourCode).value_or(0x00);
    const Status s = Write(raster::RasterBand(colour, compression, bitsPerDot, nL, nH, mL, mH));
    if (s == kOk && bandObserver_) {
        bandObserver_();
    }
    return s;
}

Status TPRaster::RepeatSend(int n, std::uint8_t v) {
    // A count of 0 would send header 0x01, which the printer reads as a literal stretch and
    // so misreads the rest of the line: as much a programming fault as a count above 129.
    if (n < 1 || n > raster::kMaxRun) {
        fatalError(ui_, raster_text::kRepeatSendError, kRasterProgramErrorExit);
    }
    return Write(raster::Repeat(n, v));
}

Status TPRaster::SetPaperSize(const std::array<std::uint8_t, 8>& size) {
    return Write(raster::PaperSize(size));
}

Status TPRaster::SetPageFormat(const std::array<std::uint8_t, 8>& format) {
    return Write(raster::PageFormat(format));
}

Status TPRaster::LineFeeds(int n) {
    for (int i = 0; i < n; ++i) {
        VELTRA_TRY(Write(raster::LineFeed()));
    }
    return kOk;
}

Status TPRaster::FormFeed() {
    VELTRA_TRY(Write(raster::FormFeed()));
    return link_.FlushData();
}

Status TPRaster::PrepareRaster(std::uint8_t unit, std::uint8_t direction, int dotSize,
                               int colourMode) {
    VELTRA_TRY(InitPrinter());
    VELTRA_TRY(SetGraphicsMode());
    VELTRA_TRY(SetUnit(unit));
    VELTRA_TRY(SetPrintDirection(direction));
    VELTRA_TRY(SetDotSize(dotSize));
    return SetColorMode(colourMode);
}

Status TPRaster::FlushData() {
    return link_.FlushData();
}
Status TPRaster::WaitUntilReady() {
    return link_.WaitUntilReady();
}

Status TPRaster::WriteText(std::string_view text) {
    // The zero byte is part of what the printer gets; labels are far below one write's limit.
    VELTRA_TRY(link_.WriteData(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    const std::uint8_t zero = 0x00;
    return link_.WriteData(&zero, 1);
}

Status TPRaster::WriteBytes(std::span<const std::uint8_t> bytes) {
    return link_.WriteData(bytes.data(), bytes.size());
}

Status TPRaster::WriteBand(const raster::Band& band, raster::LineFlush flush) {
    const auto& r = raster::kResolution;
    VELTRA_TRY(SetRasterResolution(r[0], r[1], r[2], r[3]));
    VELTRA_TRY(StartRasterBand(band.colour, raster::kCompressed, raster::kTwoBitsPerDot,
                               static_cast<std::uint8_t>(band.width & 0xFF),
                               static_cast<std::uint8_t>(band.width >> 8), band.height, 0x00));
    Status s = kOk;
    for (int k = 0; k < band.height; ++k) {
        raster::ForEachRun(raster::LineOf(band, k), [&](int n, std::uint8_t v) {
            s = RepeatSend(n, v);
            return s == kOk;
        });
        VELTRA_TRY(s);
        if (flush == raster::LineFlush::EachLine) {
            VELTRA_TRY(link_.FlushData());
        }
    }
    return kOk;
}

Status TPRaster::Emit(std::span<const raster::Step> program, raster::LineFlush flush, int dotSize) {
    using raster::Op;
    for (const raster::Step& step : program) {
        Status s = kOk;
        switch (step.op) {
            case Op::Prepare:
                s = PrepareRaster(raster::kUnit, static_cast<std::uint8_t>(step.a),
                                  step.b == raster::kCallerDotSize ? dotSize : step.b, step.c);
                break;
            case Op::Band:
                s = WriteBand(*step.band, flush);
                break;
            case Op::Vertical:
                s = SetVerticalPosition(step.a);
                break;
            case Op::Horizontal:
                s = SetHorizontalPosition(static_cast<std::uint16_t>(step.a));
                break;
            case Op::Init:
                s = InitPrinter();
                break;
            case Op::GraphicsMode:
                s = SetGraphicsMode();
                break;
            case Op::Unit:
                s = SetUnit(static_cast<std::uint8_t>(step.a));
                break;
            case Op::Direction:
                s = SetPrintDirection(static_cast<std::uint8_t>(step.a));
                break;
            case Op::DotSize:
                s = SetDotSize(step.a == raster::kCallerDotSize ? dotSize : step.a);
                break;
            case Op::ColourMode:
                s = SetColorMode(step.a);
                break;
            case Op::CarriageReturn:
                s = CarriageReturn();
                break;
            case Op::LineFeeds:
                s = LineFeeds(step.a);
                break;
            case Op::Text:
                s = WriteText(step.text);
                break;
            case Op::Flush:
                s = link_.FlushData();
                break;
            case Op::FormFeed:
                s = FormFeed();
                break;
            case Op::Wait:
                s = link_.WaitUntilReady();
                break;
            case Op::Repeat:
                for (int i = 0; i < step.a && s == kOk; ++i) {
                    s = Emit(step.body, flush, dotSize);
                }
                break;
        }
        VELTRA_TRY(s);
    }
    return kOk;
}

}  // namespace veltra
