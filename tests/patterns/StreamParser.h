#pragma once
// Splits a recorded print-data stream into commands, so that tests can check patterns by their
// structure (bands, lines, moves, labels, service frames) instead of by pasted dumps. Raster
// bands are decoded line by line; each line keeps the number of runs it took and the stream
// offset where it ended, so flush points can be matched against packet ends.
#include <cstdint>
#include <string>
#include <vector>

namespace veltra::test {

struct Token {
    enum class Kind {
        Text,  // text-mode bytes up to and including a zero byte, or up to a control byte
        Init,
        GraphicsMode,
        Unit,
        Direction,
        DotSize,
        ColourMode,
        CarriageReturn,
        LineFeed,
        FormFeed,
        VerticalMove,
        HorizontalMove,
        Resolution,
        Band,
        PaperSize,
        PageFormat,
        EnterRemote,
        RemoteCommand,  // two letters, length, parameters
        ExitRemote,
        Factory,  // ESC | frame; bytes = from the model code on
        Bad,      // something the parser could not read; the rest is dropped
    };
    Kind kind = Kind::Bad;
    std::vector<std::uint8_t> bytes{};  // parameters (Text: the raw bytes, zero byte included)
    std::size_t begin = 0;              // stream offsets [begin, end)
    std::size_t end = 0;

    // Band only.
    std::uint8_t colour = 0;  // colour byte as sent
    int width = 0;
    std::vector<std::vector<std::uint8_t>> lines{};
    std::vector<int> runsPerLine{};
    std::vector<std::size_t> lineEnds{};

    std::string text() const { return {bytes.begin(), bytes.end()}; }
    // Factory frames: command byte and parameters.
    std::uint8_t factoryCommand() const { return bytes.size() > 2 ? bytes[2] : 0; }
    std::vector<std::uint8_t> factoryParams() const {
        return bytes.size() > 5 ? std::vector<std::uint8_t>(bytes.begin() + 5, bytes.end())
                                : std::vector<std::uint8_t>{};
    }
    // Vertical moves: the signed distance.
    int verticalDistance() const {
        return bytes.size() >= 2 ? std::int16_t(bytes[0] | bytes[1] << 8) : 0;
    }
};

std::vector<Token> ParseStream(const std::vector<std::uint8_t>& stream);

}  // namespace veltra::test
