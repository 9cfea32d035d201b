// The Linux settings store: INI text edited line by line (other lines kept as
// they are) and replaced through a temporary file, fsync and rename, so that a
// crash in the middle never leaves a truncated profile behind.
#include "platform/linux/xdg_profile_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>
#include <vector>

#include "config/private_profile.h"

namespace ib::platform {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool hasOuterBlanks(std::string_view text) { return isBlank(text.front()) || isBlank(text.back()); }

bool isStorableName(std::string_view name, std::string_view forbidden) {
    return !name.empty() && !hasLineBreak(name) && !hasOuterBlanks(name) &&
           name.find_first_of(forbidden) == std::string_view::npos;
}

// The reader drops surrounding blanks and one pair of matching quotes, so a
// value that would lose either is written inside double quotes.
std::string encodedValue(const std::string& value) {
    if (value.empty()) return value;
    const bool quotedAlready =
        value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
    return (hasOuterBlanks(value) || quotedAlready) ? '"' + value + '"' : value;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        lines.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        begin = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

bool isSectionLine(const std::string& line, const std::string* name = nullptr) {
    const ProfileLine parsed = classifyProfileLine(line);
    return parsed.kind == ProfileLine::Kind::Section && (!name || sameProfileName(parsed.name, *name));
}

// Sets the key in the first section of that name, the way the reader finds it:
// its first key line is replaced, or a new line follows the section's last key.
void setKey(std::vector<std::string>& lines, const std::string& section, const std::string& key,
            const std::string& line) {
    std::size_t at = 0;
    while (at < lines.size() && !isSectionLine(lines[at], &section)) ++at;
    if (at == lines.size()) {
        lines.push_back('[' + section + ']');
        lines.push_back(line);
        return;
    }
    std::size_t insertAfter = at;
    for (++at; at < lines.size() && !isSectionLine(lines[at]); ++at) {
        const ProfileLine parsed = classifyProfileLine(lines[at]);
        if (parsed.kind != ProfileLine::Kind::Key) continue;
        if (sameProfileName(parsed.name, key)) {
            lines[at] = line;
            return;
        }
        insertAfter = at;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAfter) + 1, line);
}

std::optional<std::string> currentText(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return error ? std::nullopt : std::optional<std::string>("");
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;  // never replace a profile that could not be read
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return text;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The rename is made durable by syncing the folder that holds the entry.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool replaceAtomically(const std::filesystem::path& file, std::string_view text) {
    const std::filesystem::path folder = file.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    std::string temporary = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

std::optional<std::filesystem::path> homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return std::filesystem::path(home);
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return std::filesystem::path(found->pw_dir);
    return std::nullopt;
}

}  // namespace

XdgProfileStore::XdgProfileStore(std::filesystem::path file) : m_file(std::move(file)) {}

XdgProfileStore XdgProfileStore::forCurrentUser() {
    return XdgProfileStore(defaultFile().value_or(std::filesystem::path{}));
}

std::optional<std::filesystem::path> XdgProfileStore::defaultFile() {
    std::filesystem::path configFolder;
    // Relative values of XDG_CONFIG_HOME are invalid and ignored, as the XDG base-directory rules say.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
        xdg && *xdg && std::filesystem::path(xdg).is_absolute()) {
        configFolder = xdg;
    } else if (const auto home = homeFolder()) {
        configFolder = *home / ".config";
    } else {
        return std::nullopt;
    }
    return configFolder / "imageburner" / "profile.ini";
}

std::string XdgProfileStore::read(const std::string& section, const std::string& key) {
    // The whole value is returned: a path is never cut to a buffer's size here.
    return readProfileString(m_file, section, key, "", std::numeric_limits<std::size_t>::max());
}

bool XdgProfileStore::write(const std::string& section, const std::string& key, const std::string& value) {
    if (m_file.empty() || !isStorableName(section, "]") || !isStorableName(key, "=") || key.front() == ';' ||
        key.front() == '[' || hasLineBreak(value))
        return false;
    const std::optional<std::string> text = currentText(m_file);
    if (!text) return false;
    std::vector<std::string> lines = splitLines(*text);
    setKey(lines, section, key, key + '=' + encodedValue(value));
    std::string replacement;
    for (const std::string& line : lines) replacement += line + '\n';
    return replaceAtomically(m_file, replacement);
}

}  // namespace ib::platform
