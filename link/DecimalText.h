#pragma once
// The one reading of a decimal value typed into an entry (Bi-D, PF): leading blanks, an optional
// sign and digits, nothing else; wherever a value is typed it is read by this rule, once. A text
// that is not such a number counts as 100, which fails every range check of the typed values, so
// that it is refused with the range's own message.
#include <charconv>
#include <string_view>
#include <system_error>

namespace veltra {

inline constexpr int kNotANumber = 100;

inline int DecimalOr100(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    text.remove_prefix(first == std::string_view::npos ? text.size() : first);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);  // a leading plus sign is a number too
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return kNotANumber;
    }
    return value;
}

}  // namespace veltra
