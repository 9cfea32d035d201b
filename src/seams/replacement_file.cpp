// Write-then-rename output files. See replacement_file.h.
#include "seams/replacement_file.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <string_view>

#include "seams/new_file.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

// Keeps "." + name + ".XXXXXX.link" within the 255 bytes a file name may have,
// cut where the helper tools cut it.
constexpr std::size_t kMaxNameInTemporary = 200;
constexpr std::string_view kLinkSuffix = ".link";
constexpr std::size_t kRandomLetters = 6;
// A temporary file this long untouched belongs to no running writer.
constexpr auto kStaleAfter = std::chrono::hours(1);
constexpr int kNameAttempts = 100;
// Beyond this many links in a row the path is taken as it stands.
constexpr int kMostLinkHops = 40;

// The name is cut between two characters, never inside one: a cut UTF-8
// sequence names no file on Windows.
std::string temporaryPrefix(const std::filesystem::path& finalPath) {
    const std::string name = utf8FromPath(finalPath.filename());
    std::size_t cut = std::min(name.size(), kMaxNameInTemporary);
    while (cut > 0 && cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return "." + name.substr(0, cut) + ".";
}

bool isLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Six random letters or digits. A word ("backup", "Backup", "BACKUP") is
// another program's name: a random run holds a digit, or a capital after the
// first place beside a small letter. The few random runs that do not are
// left alone.
bool isRandomRun(std::string_view run) {
    if (run.size() != kRandomLetters || !std::all_of(run.begin(), run.end(), isLetterOrDigit)) return false;
    const auto has = [&](std::string_view from, char low, char high) {
        return std::any_of(from.begin(), from.end(), [&](char c) { return c >= low && c <= high; });
    };
    return has(run, '0', '9') || (has(run, 'a', 'z') && has(run.substr(1), 'A', 'Z'));
}

bool isTemporaryName(std::string_view candidate, std::string_view prefix) {
    if (!candidate.starts_with(prefix)) return false;
    candidate.remove_prefix(prefix.size());
    if (candidate.ends_with(kLinkSuffix)) candidate.remove_suffix(kLinkSuffix.size());
    return isRandomRun(candidate);
}

std::string randomLetters(std::mt19937& random) {
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string letters(kRandomLetters, ' ');
    // Always a run that removeStaleTemporaries knows for this program's.
    while (!isRandomRun(letters))
        for (char& c : letters) c = kLetters[random() % kLetters.size()];
    return letters;
}

// The plain files in the folder of `finalPath` named as its temporaries; a
// link or anything else of such a name is not ours.
std::vector<std::filesystem::path> temporariesOf(const std::filesystem::path& finalPath) {
    const std::string prefix = temporaryPrefix(finalPath);
    const std::filesystem::path folder = finalPath.has_parent_path() ? finalPath.parent_path() : ".";
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (isTemporaryName(utf8FromPath(entry.path().filename()), prefix) &&
            entry.symlink_status(error).type() == std::filesystem::file_type::regular)
            found.push_back(entry.path());
    return found;
}

}  // namespace

ReplacementFile::ReplacementFile(const std::filesystem::path& finalPath)
    : m_finalPath(linkTarget(finalPath)), m_buffer(m_file), m_stream(&m_buffer) {
    removeStaleTemporaries(m_finalPath);
    for (int attempt = 0; attempt < kNameAttempts && !m_file.isOpen(); ++attempt) {
        const auto candidate = m_finalPath.parent_path() / pathFromUtf8(temporaryName(m_finalPath));
        if (m_file.create(candidate)) m_temporaryPath = candidate;
    }
    if (!m_file.isOpen()) m_stream.setstate(std::ios::failbit);
}

ReplacementFile::~ReplacementFile() {
    if (m_committed || m_temporaryPath.empty()) return;
    (void)m_file.close();
    std::error_code error;
    std::filesystem::remove(m_temporaryPath, error);
}

bool ReplacementFile::commit() {
    m_stream.flush();
    const bool written = m_stream.good() && m_file.flushToDisk();
    const bool closed = m_file.close();
    m_committed = written && closed && renameDurably(m_temporaryPath, m_finalPath);
    return m_committed;
}

bool replaceFileWith(const std::filesystem::path& path, std::string_view text) {
    std::error_code error;
    std::filesystem::create_directories(linkTarget(path).parent_path(), error);
    if (error) return false;
    ReplacementFile file(path);
    file.stream().write(text.data(), static_cast<std::streamsize>(text.size()));
    return file.commit();
}

std::string temporaryName(const std::filesystem::path& finalPath) {
    thread_local std::mt19937 random(std::random_device{}());
    return temporaryPrefix(finalPath) + randomLetters(random);
}

std::filesystem::path linkTarget(const std::filesystem::path& path) {
    std::filesystem::path current = path;
    std::error_code error;
    for (int hop = 0; hop < kMostLinkHops && std::filesystem::is_symlink(std::filesystem::symlink_status(current, error));
         ++hop) {
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) break;
        current = current.parent_path() / target;  // an absolute target replaces the whole path
    }
    return current;
}

void removeStaleTemporaries(const std::filesystem::path& finalPath) {
    const auto staleBefore = std::filesystem::file_time_type::clock::now() - kStaleAfter;
    std::error_code error;
    for (const std::filesystem::path& temporary : temporariesOf(finalPath))
        if (std::filesystem::last_write_time(temporary, error) < staleBefore && !error)
            std::filesystem::remove(temporary, error);
}

NewTemporaries::NewTemporaries(std::filesystem::path finalPath)
    : m_finalPath(std::move(finalPath)), m_before(temporariesOf(m_finalPath)) {}

void NewTemporaries::removeNew() const {
    std::error_code error;
    for (const std::filesystem::path& temporary : temporariesOf(m_finalPath))
        if (std::find(m_before.begin(), m_before.end(), temporary) == m_before.end())
            std::filesystem::remove(temporary, error);
}

}  // namespace ib
