#include "sim/PrintStream.h"

#include <algorithm>
#include <cstring>

#include "sim/FactoryFrame.h"

namespace veltra::sim {

namespace {
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kFf = 0x0C;
constexpr std::uint8_t kNul = 0x00;

constexpr std::size_t kParenHeader = 5;   // ESC ( letter count(2)
constexpr std::size_t kBandHeader = 9;    // ESC i c k b nL nH mL mH
constexpr std::size_t kRemoteHeader = 4;  // two letters, count(2)
constexpr std::size_t kRemoteExit = 4;    // ESC 00 00 00
constexpr std::uint8_t kEnterRemoteParams[] = {0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'};

std::size_t le16(const std::uint8_t* p) {
    return std::size_t(p[0]) | (std::size_t(p[1]) << 8);
}

std::vector<std::uint8_t> bytesOf(const std::uint8_t* p, std::size_t n) {
    return {p, p + n};
}

using K = PrintCommand::Kind;

// Commands known by one byte: the text-mode control bytes, and the letters of ESC ( commands.
struct ByteCommand {
    std::uint8_t byte;
    K kind;
};
constexpr ByteCommand kControlBytes[] = {
    {kCr, K::CarriageReturn}, {kLf, K::LineFeed}, {kFf, K::FormFeed}};
constexpr ByteCommand kParenLetters[] = {
    {'G', K::GraphicsMode}, {'U', K::Unit},       {'e', K::DotSize},   {'K', K::ColorMode},
    {'v', K::VerticalMove}, {'D', K::Resolution}, {'S', K::PaperSize}, {'c', K::PageFormat}};

// ESC commands of a fixed length: the letter and the parameter bytes after it.
struct FixedEscape {
    std::uint8_t byte;
    std::size_t params;
    K kind;
};
constexpr FixedEscape kFixedEscapes[] = {
    {'@', 0, K::Init}, {'U', 1, K::Direction}, {'$', 2, K::HorizontalMove}};

// The entry of `table` for byte b, or null.
template <typename Entry, std::size_t N>
const Entry* entryFor(const Entry (&table)[N], std::uint8_t b) {
    const Entry* e = std::find_if(table, table + N, [b](const Entry& x) { return x.byte == b; });
    return e == table + N ? nullptr : e;
}
}  // namespace

RunDecoder::RunDecoder(std::size_t total, bool store) : total_(total), store_(store) {}

void RunDecoder::append(std::uint8_t v, std::size_t count, const std::uint8_t* literal) {
    const std::size_t room = total_ - produced_;
    const std::size_t take = std::min(room, count);
    overflow_ += count - take;
    if (store_) {
        if (literal != nullptr) {
            out_.insert(out_.end(), literal, literal + take);
        } else {
            out_.insert(out_.end(), take, v);
        }
    }
    produced_ += take;
}

std::size_t RunDecoder::feed(const std::uint8_t* data, std::size_t n) {
    std::size_t pos = 0;
    while (!done() && pos < n) {
        const std::uint8_t h = data[pos];
        if (h < 0x80) {
            const std::size_t count = std::size_t(h) + 1;
            if (n - pos < 1 + count) {
                break;
            }
            append(0, count, data + pos + 1);
            pos += 1 + count;
        } else {
            if (n - pos < 2) {
                break;
            }
            const std::size_t count = h == 0x80 ? 129 : 257 - std::size_t(h);
            append(data[pos + 1], count, nullptr);
            pos += 2;
        }
    }
    return pos;
}

void PrintStream::reset() {
    buffer_.clear();
    remote_ = false;
    textOpen_ = false;
    text_.clear();
    band_.reset();
}

void PrintStream::feed(const std::uint8_t* data, std::size_t n) {
    buffer_.insert(buffer_.end(), data, data + n);
    std::size_t pos = 0;
    while (pos < buffer_.size()) {
        const std::size_t used = step(buffer_.data() + pos, buffer_.size() - pos);
        if (used == 0) {
            break;  // the rest of this command comes in a later packet
        }
        pos += used;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(pos));
}

std::size_t PrintStream::step(const std::uint8_t* p, std::size_t n) {
    if (band_) {
        return bandData(p, n);
    }
    return remote_ ? remoteStep(p, n) : normal(p, n);
}

void PrintStream::emit(PrintCommand::Kind kind, std::vector<std::uint8_t> bytes) {
    PrintCommand c;
    c.kind = kind;
    c.bytes = std::move(bytes);
    onCommand_(std::move(c));
}

void PrintStream::finishText() {
    if (textOpen_) {
        textOpen_ = false;
        emit(PrintCommand::Kind::Text, std::move(text_));
        text_.clear();
    }
}

std::size_t PrintStream::normal(const std::uint8_t* p, std::size_t n) {
    if (p[0] == kEsc) {
        return escape(p, n);
    }
    if (const ByteCommand* c = entryFor(kControlBytes, p[0])) {
        finishText();
        emit(c->kind);
        return 1;
    }
    if (p[0] == kNul) {
        // A label ends with its zero byte; a zero byte outside a label does nothing.
        finishText();
        return 1;
    }
    textOpen_ = true;
    text_.push_back(p[0]);
    return 1;
}

std::size_t PrintStream::escape(const std::uint8_t* p, std::size_t n) {
    if (n < 2) {
        return 0;
    }
    finishText();
    if (const FixedEscape* e = entryFor(kFixedEscapes, p[1])) {
        if (n < 2 + e->params) {
            return 0;
        }
        emit(e->kind, bytesOf(p + 2, e->params));
        return 2 + e->params;
    }
    switch (p[1]) {
        case '(':
            return parenCommand(p, n);
        case 'i':
            if (n < kBandHeader) {
                return 0;
            }
            if (std::size_t(le16(p + 5)) * le16(p + 7) > PrintStream::kMaxBandBytes) {
                ++refusedBands_;
                emit(K::Unknown, bytesOf(p + 1, kBandHeader - 1));
                return kBandHeader;
            }
            startBand(p + 2);
            return kBandHeader;
        case '|':
            return factoryFrame(p, n);
        default:
            emit(K::Unknown, bytesOf(p + 1, 1));
            return 2;
    }
}

std::size_t PrintStream::parenCommand(const std::uint8_t* p, std::size_t n) {
    if (n < kParenHeader) {
        return 0;
    }
    const std::size_t count = le16(p + 3);
    if (n < kParenHeader + count) {
        return 0;
    }
    const std::uint8_t* params = p + kParenHeader;
    K kind = K::Unknown;
    if (const ByteCommand* c = entryFor(kParenLetters, p[2])) {
        kind = c->kind;
    } else if (p[2] == 'R' && count == sizeof kEnterRemoteParams &&
               std::memcmp(params, kEnterRemoteParams, count) == 0) {
        kind = K::EnterRemote;
        remote_ = true;
    }
    if (kind == K::Unknown) {
        emit(kind, bytesOf(p + 1, kParenHeader - 1 + count));  // "(", letter, count, params
    } else {
        emit(kind, bytesOf(params, count));
    }
    return kParenHeader + count;
}

std::size_t PrintStream::factoryFrame(const std::uint8_t* p, std::size_t n) {
    if (n < factory::kFrameHeader) {
        return 0;
    }
    const std::size_t count = le16(p + 3);
    if (n < factory::kFrameHeader + count) {
        return 0;
    }
    emit(PrintCommand::Kind::Factory, bytesOf(p + factory::kFrameHeader, count));
    return factory::kFrameHeader + count;
}

std::size_t PrintStream::remoteStep(const std::uint8_t* p, std::size_t n) {
    if (p[0] == kEsc) {
        if (n < 2) {
            return 0;
        }
        if (p[1] == 0x00) {
            if (n < kRemoteExit) {
                return 0;
            }
            remote_ = false;
            emit(K::ExitRemote, bytesOf(p + 2, 2));
            return kRemoteExit;
        }
        if (p[1] == '|') {
            return factoryFrame(p, n);
        }
        emit(K::Unknown, bytesOf(p + 1, 1));
        return 2;
    }
    if (n < kRemoteHeader) {
        return 0;
    }
    const std::size_t count = le16(p + 2);
    if (n < kRemoteHeader + count) {
        return 0;
    }
    std::vector<std::uint8_t> bytes = {p[0], p[1]};
    bytes.insert(bytes.end(), p + kRemoteHeader, p + kRemoteHeader + count);
    emit(K::RemoteCommand, std::move(bytes));
    return kRemoteHeader + count;
}

void PrintStream::startBand(const std::uint8_t* header) {
    // header: colour, compression, bits per dot, bytes per line (LE), line count (LE)
    PrintCommand c;
    c.kind = PrintCommand::Kind::RasterBand;
    c.bytes = bytesOf(header, kBandHeader - 2);
    c.colour = header[0];
    c.bytesPerLine = static_cast<int>(le16(header + 3));
    const std::size_t lines = le16(header + 5);
    const std::size_t total = std::size_t(c.bytesPerLine) * lines;
    band_.emplace(Band{std::move(c), total, header[1] != 0, RunDecoder(total), {}, 0});
    if (total == 0) {
        finishBand();
    }
}

std::size_t PrintStream::bandData(const std::uint8_t* p, std::size_t n) {
    Band& b = *band_;
    std::size_t used = 0;
    if (b.compressed) {
        used = b.decoder.feed(p, n);
        if (b.decoder.done()) {
            finishBand();
        }
    } else {
        used = std::min(n, b.total - b.rawCount);
        b.rawCount += used;
        b.raw.insert(b.raw.end(), p, p + used);
        if (b.rawCount == b.total) {
            finishBand();
        }
    }
    return used;
}

void PrintStream::finishBand() {
    Band& b = *band_;
    const std::vector<std::uint8_t>& data = b.compressed ? b.decoder.output() : b.raw;
    overflowBytes_ += b.decoder.overflow();
    const std::size_t perLine = std::size_t(b.command.bytesPerLine);
    if (perLine > 0 && data.size() == b.total) {
        for (std::size_t at = 0; at < data.size(); at += perLine) {
            b.command.lines.emplace_back(data.begin() + static_cast<long>(at),
                                         data.begin() + static_cast<long>(at + perLine));
        }
    }
    PrintCommand c = std::move(b.command);
    band_.reset();
    onCommand_(std::move(c));
}

}  // namespace veltra::sim
