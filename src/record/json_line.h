// One line of a recording: a flat JSON object whose values are strings,
// numbers, true/false, null, or arrays of strings and nulls. JsonLine builds
// one in the order its fields are added; parseJsonLine reads one back.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ib::record {

class JsonLine {
public:
    JsonLine& text(std::string_view key, std::string_view value);
    JsonLine& number(std::string_view key, std::uint64_t value);
    // A number given as its digits; other text goes in quoted.
    JsonLine& digits(std::string_view key, std::string_view value);
    JsonLine& milliseconds(std::string_view key, double value);  // three decimals
    JsonLine& flag(std::string_view key, bool value);
    JsonLine& texts(std::string_view key, const std::vector<std::optional<std::string>>& values);
    // The object with its closing brace, without a line end.
    std::string finished() const { return m_body + '}'; }

private:
    void key(std::string_view name);
    std::string m_body = "{";
};

// `text` as a JSON string: in quotes, with quotes, backslashes and control
// characters escaped.
std::string jsonQuoted(std::string_view text);

// A parsed value: a string's text unescaped, a number's or true/false's text
// as written, null as Null; arrays hold their items.
struct JsonValue {
    enum class Kind { Text, Literal, Null, Array };
    Kind kind = Kind::Null;
    std::string text;
    std::vector<std::optional<std::string>> items;
};

using JsonFields = std::map<std::string, JsonValue, std::less<>>;

// nullopt when the line is not one such object (a line cut short included).
std::optional<JsonFields> parseJsonLine(std::string_view line);

}  // namespace ib::record
