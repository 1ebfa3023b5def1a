#include "tests/patterns/StreamParser.h"

#include <algorithm>
#include <iterator>

namespace veltra::test {

namespace {

constexpr std::uint8_t kEsc = 0x1B;

using Kind = Token::Kind;

// Commands known by one byte: the text-mode control bytes, and the letters of ESC ( commands.
struct ByteKind {
    std::uint8_t byte;
    Kind kind;
};
constexpr ByteKind kControlBytes[] = {
    {0x0D, Kind::CarriageReturn}, {0x0A, Kind::LineFeed}, {0x0C, Kind::FormFeed}};
constexpr ByteKind kParenLetters[] = {
    {'G', Kind::GraphicsMode}, {'U', Kind::Unit},         {'e', Kind::DotSize},
    {'K', Kind::ColourMode},   {'v', Kind::VerticalMove}, {'D', Kind::Resolution},
    {'S', Kind::PaperSize},    {'c', Kind::PageFormat},   {'R', Kind::EnterRemote}};

class Parser {
public:
    explicit Parser(const std::vector<std::uint8_t>& s) : s_(s) {}

    std::vector<Token> run() {
        while (pos_ < s_.size()) {
            if (!step()) {
                Token bad{Token::Kind::Bad};
                bad.begin = pos_;
                bad.end = s_.size();
                out_.push_back(bad);
                break;
            }
        }
        return out_;
    }

private:
    bool has(std::size_t n) const { return pos_ + n <= s_.size(); }

    void push(Token::Kind kind, std::size_t begin, std::vector<std::uint8_t> bytes) {
        Token t{kind};
        t.bytes = std::move(bytes);
        t.begin = begin;
        t.end = pos_;
        out_.push_back(std::move(t));
    }

    std::vector<std::uint8_t> take(std::size_t n) {
        std::vector<std::uint8_t> v(s_.begin() + std::ptrdiff_t(pos_),
                                    s_.begin() + std::ptrdiff_t(pos_ + n));
        pos_ += n;
        return v;
    }

    bool step() {
        const std::size_t begin = pos_;
        const std::uint8_t b = s_[pos_];
        if (remote_) {
            return remoteStep(begin);
        }
        if (b == kEsc) {
            return escape(begin);
        }
        if (const auto* c = std::ranges::find(kControlBytes, b, &ByteKind::byte);
            c != std::end(kControlBytes)) {
            ++pos_;
            push(c->kind, begin, {});
            return true;
        }
        // Text mode: up to and including a zero byte, or up to the next control byte.
        while (pos_ < s_.size()) {
            const std::uint8_t c = s_[pos_];
            if (c == 0x0D || c == 0x0A || c == 0x0C || c == kEsc) {
                break;
            }
            ++pos_;
            if (c == 0x00) {
                break;
            }
        }
        push(Token::Kind::Text, begin,
             {s_.begin() + std::ptrdiff_t(begin), s_.begin() + std::ptrdiff_t(pos_)});
        return true;
    }

    bool remoteStep(std::size_t begin) {
        if (s_[pos_] == kEsc) {
            // Leaving remote mode: ESC 00 00 00.
            if (!has(4) || s_[pos_ + 1] != 0x00) {
                return false;
            }
            pos_ += 2;
            remote_ = false;
            push(Token::Kind::ExitRemote, begin, take(2));
            return true;
        }
        if (!has(4)) {
            return false;
        }
        const std::size_t n = s_[pos_ + 2] | std::size_t(s_[pos_ + 3]) << 8;
        if (!has(4 + n)) {
            return false;
        }
        std::vector<std::uint8_t> bytes{s_[pos_], s_[pos_ + 1]};
        pos_ += 4;
        const auto params = take(n);
        bytes.insert(bytes.end(), params.begin(), params.end());
        push(Token::Kind::RemoteCommand, begin, bytes);
        return true;
    }

    bool escape(std::size_t begin) {
        if (!has(2)) {
            return false;
        }
        const std::uint8_t c = s_[pos_ + 1];
        pos_ += 2;
        switch (c) {
            case '@':
                push(Kind::Init, begin, {});
                return true;
            case 'U':
                if (!has(1)) {
                    return false;
                }
                push(Kind::Direction, begin, take(1));
                return true;
            case '$':
                if (!has(2)) {
                    return false;
                }
                push(Kind::HorizontalMove, begin, take(2));
                return true;
            case 'i':
                return band(begin);
            case '|': {
                if (!has(3)) {
                    return false;
                }
                const std::size_t n = s_[pos_ + 1] | std::size_t(s_[pos_ + 2]) << 8;
                pos_ += 3;
                if (!has(n)) {
                    return false;
                }
                push(Token::Kind::Factory, begin, take(n));
                return true;
            }
            case '(':
                return parenthesised(begin);
            default:
                return false;
        }
    }

    bool parenthesised(std::size_t begin) {
        if (!has(3)) {
            return false;
        }
        const std::uint8_t c = s_[pos_];
        const std::size_t n = s_[pos_ + 1] | std::size_t(s_[pos_ + 2]) << 8;
        pos_ += 3;
        if (!has(n)) {
            return false;
        }
        auto params = take(n);
        const auto* letter = std::ranges::find(kParenLetters, c, &ByteKind::byte);
        if (letter == std::end(kParenLetters)) {
            return false;
        }
        if (letter->kind == Kind::EnterRemote) {
            remote_ = true;
        }
        push(letter->kind, begin, std::move(params));
        return true;
    }

    bool band(std::size_t begin) {
        if (!has(7)) {
            return false;
        }
        Token t{Token::Kind::Band};
        t.bytes = take(7);
        t.colour = t.bytes[0];
        t.width = t.bytes[3] | t.bytes[4] << 8;
        const int height = t.bytes[5] | t.bytes[6] << 8;
        t.begin = begin;
        for (int k = 0; k < height; ++k) {
            std::vector<std::uint8_t> line;
            int runs = 0;
            while (int(line.size()) < t.width) {
                if (!has(1)) {
                    return false;
                }
                const std::uint8_t h = s_[pos_++];
                if (h >= 0x80) {  // repeat: 257 - h copies of the next byte
                    if (!has(1)) {
                        return false;
                    }
                    line.insert(line.end(), std::size_t(257 - h), s_[pos_++]);
                } else {  // literal: h + 1 bytes
                    if (!has(std::size_t(h) + 1)) {
                        return false;
                    }
                    const auto lit = take(std::size_t(h) + 1);
                    line.insert(line.end(), lit.begin(), lit.end());
                }
                ++runs;
            }
            if (int(line.size()) != t.width) {
                return false;  // a run crossed the end of the line
            }
            t.lines.push_back(std::move(line));
            t.runsPerLine.push_back(runs);
            t.lineEnds.push_back(pos_);
        }
        t.end = pos_;
        out_.push_back(std::move(t));
        return true;
    }

    const std::vector<std::uint8_t>& s_;
    std::size_t pos_ = 0;
    bool remote_ = false;
    std::vector<Token> out_;
};

}  // namespace

std::vector<Token> ParseStream(const std::vector<std::uint8_t>& stream) {
    return Parser(stream).run();
}

}  // namespace veltra::test
