#pragma once
// The one JSON document that --json prints: an object whose members keep the order they were
// added in. Values are strings, whole numbers, booleans, or JSON text made by the caller
// (arrays, nested objects).
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltra::cli {

// A JSON string literal: quotes, backslashes and control characters escaped; other bytes as
// they are (the texts are UTF-8).
std::string jsonString(std::string_view text);
// A whole decimal number as a JSON number ("-7" gives -7); any other text as a JSON string.
std::string jsonNumberOrString(std::string_view text);
// A JSON array of JSON texts.
std::string jsonArray(const std::vector<std::string>& items);

class JsonObject {
public:
    JsonObject& addString(std::string_view key, std::string_view text);
    JsonObject& addNumber(std::string_view key, std::int64_t number);
    JsonObject& addBool(std::string_view key, bool value);
    JsonObject& addJson(std::string_view key, std::string json);
    JsonObject& append(const JsonObject& other);
    bool empty() const { return members_.empty(); }
    std::string str() const;

private:
    std::vector<std::pair<std::string, std::string>> members_;  // key, JSON text
};

}  // namespace veltra::cli
