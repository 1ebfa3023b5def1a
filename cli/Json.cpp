#include "cli/Json.h"

#include <cstdio>

namespace veltra::cli {

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
                    out += escaped;
                } else {
                    out += ch;
                }
        }
    }
    return out + '"';
}

std::string jsonNumberOrString(std::string_view text) {
    const std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    const bool number = text.size() > digits && text.size() - digits <= 18 &&
                        text.find_first_not_of("0123456789", digits) == std::string_view::npos;
    return number ? std::to_string(std::stoll(std::string(text))) : jsonString(text);
}

std::string jsonArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i == 0 ? "" : ", ") + items[i];
    }
    return out + ']';
}

JsonObject& JsonObject::addString(std::string_view key, std::string_view text) {
    return addJson(key, jsonString(text));
}

JsonObject& JsonObject::addNumber(std::string_view key, std::int64_t number) {
    return addJson(key, std::to_string(number));
}

JsonObject& JsonObject::addBool(std::string_view key, bool value) {
    return addJson(key, value ? "true" : "false");
}

JsonObject& JsonObject::addJson(std::string_view key, std::string json) {
    members_.emplace_back(std::string(key), std::move(json));
    return *this;
}

JsonObject& JsonObject::append(const JsonObject& other) {
    members_.insert(members_.end(), other.members_.begin(), other.members_.end());
    return *this;
}

std::string JsonObject::str() const {
    std::string out = "{";
    for (std::size_t i = 0; i < members_.size(); ++i) {
        out += (i == 0 ? "" : ", ") + jsonString(members_[i].first) + ": " + members_[i].second;
    }
    return out + '}';
}

}  // namespace veltra::cli
