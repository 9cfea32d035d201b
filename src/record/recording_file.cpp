// Plain and compressed recording files. See recording_file.h.
#include "record/recording_file.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "seams/regular_file.h"
#include "seams/utf8_path.h"

#if IMAGEBURNER_HAVE_ZSTD
#include <zstd.h>
#endif

namespace ib::record {
namespace {

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

File openFile(const std::filesystem::path& file, bool forWriting) {
#ifdef _WIN32
    return File(::_wfopen(file.c_str(), forWriting ? L"wb" : L"rb"));
#else
    return File(std::fopen(file.c_str(), forWriting ? "wb" : "rb"));
#endif
}

std::string cannotOpen(const std::filesystem::path& file) {
    return "Cannot open " + utf8FromPath(file) + ": " + std::strerror(errno);
}

class PlainWriter final : public LineWriter {
public:
    explicit PlainWriter(File file) : m_file(std::move(file)) {}
    bool writeLine(std::string_view line, std::string& whyNot) override {
        if (std::fwrite(line.data(), 1, line.size(), m_file.get()) == line.size() &&
            std::fputc('\n', m_file.get()) != EOF && std::fflush(m_file.get()) == 0)
            return true;
        whyNot = std::strerror(errno);
        return false;
    }

private:
    File m_file;
};

class GzipWriter final : public LineWriter {
public:
    explicit GzipWriter(gzFile file) : m_file(file) {}
    ~GzipWriter() override { gzclose(m_file); }
    GzipWriter(const GzipWriter&) = delete;
    GzipWriter& operator=(const GzipWriter&) = delete;
    bool writeLine(std::string_view line, std::string& whyNot) override {
        std::string withEnd(line);
        withEnd += '\n';
        if (gzwrite(m_file, withEnd.data(), static_cast<unsigned>(withEnd.size())) ==
                static_cast<int>(withEnd.size()) &&
            gzflush(m_file, Z_SYNC_FLUSH) == Z_OK)
            return true;
        int code = Z_OK;
        const char* text = gzerror(m_file, &code);
        whyNot = code == Z_ERRNO ? std::strerror(errno) : text;
        return false;
    }

private:
    gzFile m_file;
};

std::unique_ptr<LineWriter> createGzip(const std::filesystem::path& file, std::string& error) {
    File opened = openFile(file, true);
    if (!opened) {
        error = cannotOpen(file);
        return nullptr;
    }
    opened.reset();
#ifdef _WIN32
    gzFile gz = gzopen_w(file.c_str(), "wb");
#else
    gzFile gz = gzopen(file.c_str(), "wb");
#endif
    if (gz == nullptr) {
        error = cannotOpen(file);
        return nullptr;
    }
    return std::make_unique<GzipWriter>(gz);
}

// zlib reads a file without gzip framing as it is.
class GzipReader final : public ByteReader {
public:
    explicit GzipReader(gzFile file) : m_file(file) {}
    ~GzipReader() override { gzclose(m_file); }
    GzipReader(const GzipReader&) = delete;
    GzipReader& operator=(const GzipReader&) = delete;
    std::size_t read(char* into, std::size_t room) override {
        const int got = gzread(m_file, into, static_cast<unsigned>(room));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

private:
    gzFile m_file;
};

#if IMAGEBURNER_HAVE_ZSTD
class ZstdWriter final : public LineWriter {
public:
    explicit ZstdWriter(File file) : m_file(std::move(file)), m_context(ZSTD_createCCtx()) {}
    ~ZstdWriter() override {
        (void)pump({}, ZSTD_e_end);
        ZSTD_freeCCtx(m_context);
    }
    ZstdWriter(const ZstdWriter&) = delete;
    ZstdWriter& operator=(const ZstdWriter&) = delete;
    bool writeLine(std::string_view line, std::string& whyNot) override {
        std::string withEnd(line);
        withEnd += '\n';
        whyNot = pump(withEnd, ZSTD_e_flush);
        return whyNot.empty();
    }

private:
    // "" once `input` is in the file, else why not.
    std::string pump(std::string_view input, ZSTD_EndDirective mode) {
        if (m_context == nullptr) return "no memory for the compressor";
        ZSTD_inBuffer in{input.data(), input.size(), 0};
        std::vector<char> buffer(ZSTD_CStreamOutSize());
        for (;;) {
            ZSTD_outBuffer out{buffer.data(), buffer.size(), 0};
            const std::size_t left = ZSTD_compressStream2(m_context, &out, &in, mode);
            if (ZSTD_isError(left)) return ZSTD_getErrorName(left);
            if (std::fwrite(buffer.data(), 1, out.pos, m_file.get()) != out.pos) return std::strerror(errno);
            if (left == 0) return std::fflush(m_file.get()) == 0 ? "" : std::strerror(errno);
        }
    }

    File m_file;
    ZSTD_CCtx* m_context;
};

class ZstdReader final : public ByteReader {
public:
    explicit ZstdReader(File file) : m_file(std::move(file)), m_context(ZSTD_createDCtx()), m_input(ZSTD_DStreamInSize()) {}
    ~ZstdReader() override { ZSTD_freeDCtx(m_context); }
    ZstdReader(const ZstdReader&) = delete;
    ZstdReader& operator=(const ZstdReader&) = delete;
    std::size_t read(char* into, std::size_t room) override {
        ZSTD_outBuffer out{into, room, 0};
        while (!m_broken && out.pos == 0) {
            if (m_in.pos == m_in.size) {
                m_in = {m_input.data(), std::fread(m_input.data(), 1, m_input.size(), m_file.get()), 0};
                if (m_in.size == 0) break;
            }
            m_broken = m_context == nullptr || ZSTD_isError(ZSTD_decompressStream(m_context, &out, &m_in));
        }
        return out.pos;
    }

private:
    File m_file;
    ZSTD_DCtx* m_context;
    std::vector<char> m_input;
    ZSTD_inBuffer m_in{nullptr, 0, 0};
    bool m_broken = false;
};
#endif

}  // namespace

Compression compressionFor(const std::filesystem::path& file) {
    const std::filesystem::path extension = file.extension();
    if (extension == ".gz") return Compression::Gzip;
    if (extension == ".zst") return Compression::Zstd;
    return Compression::None;
}

bool compressionBuilt(Compression compression) {
    return compression != Compression::Zstd || IMAGEBURNER_HAVE_ZSTD;
}

namespace {
const char* const kNoZstd = "This build of imageburner has no Zstandard compression: name the recording "
                            "with .gz or .jsonl";
}

std::unique_ptr<LineWriter> LineWriter::create(const std::filesystem::path& file, std::string& error) {
    const Compression compression = compressionFor(file);
    if (!compressionBuilt(compression)) {
        error = kNoZstd;
        return nullptr;
    }
    if (compression == Compression::Gzip) return createGzip(file, error);
    File opened = openFile(file, true);
    if (!opened) {
        error = cannotOpen(file);
        return nullptr;
    }
#if IMAGEBURNER_HAVE_ZSTD
    if (compression == Compression::Zstd) return std::make_unique<ZstdWriter>(std::move(opened));
#endif
    return std::make_unique<PlainWriter>(std::move(opened));
}

std::unique_ptr<ByteReader> ByteReader::open(const std::filesystem::path& file, std::string& error) {
    const Compression compression = compressionFor(file);
    if (!compressionBuilt(compression)) {
        error = kNoZstd;
        return nullptr;
    }
    if (const std::string notRegular = whyNotARegularFile(file); !notRegular.empty()) {
        error = "Cannot read " + utf8FromPath(file) + ": " + notRegular;
        return nullptr;
    }
    if (compression != Compression::Zstd) {
#ifdef _WIN32
        gzFile gz = gzopen_w(file.c_str(), "rb");
#else
        gzFile gz = gzopen(file.c_str(), "rb");
#endif
        if (gz != nullptr) return std::make_unique<GzipReader>(gz);
        error = cannotOpen(file);
        return nullptr;
    }
    File opened = openFile(file, false);
    if (!opened) {
        error = cannotOpen(file);
        return nullptr;
    }
#if IMAGEBURNER_HAVE_ZSTD
    return std::make_unique<ZstdReader>(std::move(opened));
#else
    return nullptr;
#endif
}

}  // namespace ib::record
