// Flat JSON objects of a recording. See json_line.h.
#include "record/json_line.h"

#include <algorithm>
#include <cstdio>

namespace ib::record {
namespace {

void appendQuoted(std::string& out, std::string_view value) {
    out += '"';
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace

std::string jsonQuoted(std::string_view text) {
    std::string quoted;
    appendQuoted(quoted, text);
    return quoted;
}

namespace {

// Reads JSON text left to right; every reader returns false on malformed input.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}

    void skipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\r'))
            ++m_at;
    }
    bool take(char c) {
        skipSpace();
        if (m_at >= m_text.size() || m_text[m_at] != c) return false;
        ++m_at;
        return true;
    }
    bool peek(char c) {
        skipSpace();
        return m_at < m_text.size() && m_text[m_at] == c;
    }
    bool atEnd() {
        skipSpace();
        return m_at == m_text.size();
    }

    bool quoted(std::string& out) {
        if (!take('"')) return false;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size() || !escaped(m_text[m_at++], out)) return false;
        }
        return false;
    }

    bool literal(std::string& out) {
        skipSpace();
        const std::size_t start = m_at;
        while (m_at < m_text.size() && literalCharacter(m_text[m_at])) ++m_at;
        out = m_text.substr(start, m_at - start);
        return !out.empty();
    }

private:
    static bool literalCharacter(char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == '.' || c == '-' || c == '+' || c == 'E';
    }

    bool escaped(char c, std::string& out) {
        switch (c) {
        case '"': case '\\': case '/': out += c; return true;
        case 'n': out += '\n'; return true;
        case 't': out += '\t'; return true;
        case 'r': out += '\r'; return true;
        case 'u': return unicodeEscape(out);
        default: return false;
        }
    }

    // Only the control characters the writer escapes come back; others are refused.
    bool unicodeEscape(std::string& out) {
        if (m_text.size() - m_at < 4) return false;
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0) return false;
            value = value << 4 | static_cast<unsigned>(digit);
        }
        if (value >= 0x80) return false;
        out += static_cast<char>(value);
        return true;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

bool readArray(Cursor& in, JsonValue& value) {
    value.kind = JsonValue::Kind::Array;
    if (in.take(']')) return true;
    do {
        std::string item;
        if (in.peek('"')) {
            if (!in.quoted(item)) return false;
            value.items.emplace_back(std::move(item));
        } else {
            if (!in.literal(item) || item != "null") return false;
            value.items.emplace_back(std::nullopt);
        }
    } while (in.take(','));
    return in.take(']');
}

bool readValue(Cursor& in, JsonValue& value) {
    if (in.peek('"')) {
        value.kind = JsonValue::Kind::Text;
        return in.quoted(value.text);
    }
    if (in.take('[')) return readArray(in, value);
    if (!in.literal(value.text)) return false;
    value.kind = value.text == "null" ? JsonValue::Kind::Null : JsonValue::Kind::Literal;
    return true;
}

}  // namespace

void JsonLine::key(std::string_view name) {
    if (m_body.size() > 1) m_body += ',';
    appendQuoted(m_body, name);
    m_body += ':';
}

JsonLine& JsonLine::text(std::string_view name, std::string_view value) {
    key(name);
    appendQuoted(m_body, value);
    return *this;
}

JsonLine& JsonLine::number(std::string_view name, std::uint64_t value) {
    key(name);
    m_body += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::digits(std::string_view name, std::string_view value) {
    const bool isNumber =
        !value.empty() && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!isNumber) return text(name, value);
    key(name);
    m_body += value;
    return *this;
}

JsonLine& JsonLine::milliseconds(std::string_view name, double value) {
    key(name);
    char formatted[32];
    std::snprintf(formatted, sizeof formatted, "%.3f", value);
    m_body += formatted;
    return *this;
}

JsonLine& JsonLine::flag(std::string_view name, bool value) {
    key(name);
    m_body += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::texts(std::string_view name, const std::vector<std::optional<std::string>>& values) {
    key(name);
    m_body += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) m_body += ',';
        if (values[i]) appendQuoted(m_body, *values[i]);
        else m_body += "null";
    }
    m_body += ']';
    return *this;
}

std::optional<JsonFields> parseJsonLine(std::string_view line) {
    Cursor in(line);
    JsonFields fields;
    if (!in.take('{')) return std::nullopt;
    if (!in.take('}')) {
        do {
            std::string name;
            JsonValue value;
            if (!in.quoted(name) || !in.take(':') || !readValue(in, value)) return std::nullopt;
            fields.insert_or_assign(std::move(name), std::move(value));
        } while (in.take(','));
        if (!in.take('}')) return std::nullopt;
    }
    if (!in.atEnd()) return std::nullopt;
    return fields;
}

}  // namespace ib::record
