// Setting one key in the text of a per-user profile (INI) file, keeping every
// other line as it is, so that each platform's profile store only has to read
// and replace the file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace ib {

// The file's text; "" for a file that does not exist, nullopt when it cannot
// be read (a profile that could not be read is never replaced).
std::optional<std::string> currentProfileText(const std::filesystem::path& file);

// The text with the key set in the first section of that name, the way the
// private-profile reader finds it: its first key line replaced, or a new line
// after the section's last key, or a new section at the end. nullopt for names
// or values the file cannot hold (line breaks; '=' or ']' in a name; blanks
// around a name). Lines end where the reader ends them (LF, CR LF, lone CR)
// and keep their breaks; lines the edit adds end in '\n'.
std::optional<std::string> profileTextWithKey(const std::string& text, const std::string& section,
                                              const std::string& key, const std::string& value);

// The profile file's next text with the key set; nullopt when there is no
// file, it cannot be read, or the text cannot hold the key. Each platform's
// store then replaces the file atomically in its own way.
std::optional<std::string> profileFileWithKey(const std::filesystem::path& file, const std::string& section,
                                              const std::string& key, const std::string& value);

}  // namespace ib
