// Plain and compressed recording files. See recording_file.h.
#include "record/recording_file.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

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
    return "Cannot open " + file.string() + ": " + std::strerror(errno);
}

class PlainWriter final : public LineWriter {
public:
    explicit PlainWriter(File file) : m_file(std::move(file)) {}
    bool writeLine(std::string_view line) override {
        return std::fwrite(line.data(), 1, line.size(), m_file.get()) == line.size() &&
               std::fputc('\n', m_file.get()) != EOF && std::fflush(m_file.get()) == 0;
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
    bool writeLine(std::string_view line) override {
        std::string withEnd(line);
        withEnd += '\n';
        return gzwrite(m_file, withEnd.data(), static_cast<unsigned>(withEnd.size())) ==
                   static_cast<int>(withEnd.size()) &&
               gzflush(m_file, Z_SYNC_FLUSH) == Z_OK;
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

std::optional<std::string> readGzip(const std::filesystem::path& file, std::string& error) {
#ifdef _WIN32
    gzFile gz = gzopen_w(file.c_str(), "rb");
#else
    gzFile gz = gzopen(file.c_str(), "rb");
#endif
    if (gz == nullptr) {
        error = cannotOpen(file);
        return std::nullopt;
    }
    std::string text;
    std::vector<char> buffer(1 << 16);
    int got = 0;
    while ((got = gzread(gz, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0)
        text.append(buffer.data(), static_cast<std::size_t>(got));
    gzclose(gz);
    return text;
}

#if IMAGEBURNER_HAVE_ZSTD
class ZstdWriter final : public LineWriter {
public:
    explicit ZstdWriter(File file) : m_file(std::move(file)), m_context(ZSTD_createCCtx()) {}
    ~ZstdWriter() override {
        pump({}, ZSTD_e_end);
        ZSTD_freeCCtx(m_context);
    }
    ZstdWriter(const ZstdWriter&) = delete;
    ZstdWriter& operator=(const ZstdWriter&) = delete;
    bool writeLine(std::string_view line) override {
        std::string withEnd(line);
        withEnd += '\n';
        return pump(withEnd, ZSTD_e_flush);
    }

private:
    bool pump(std::string_view input, ZSTD_EndDirective mode) {
        if (m_context == nullptr) return false;
        ZSTD_inBuffer in{input.data(), input.size(), 0};
        std::vector<char> buffer(ZSTD_CStreamOutSize());
        for (;;) {
            ZSTD_outBuffer out{buffer.data(), buffer.size(), 0};
            const std::size_t left = ZSTD_compressStream2(m_context, &out, &in, mode);
            if (ZSTD_isError(left) || std::fwrite(buffer.data(), 1, out.pos, m_file.get()) != out.pos) return false;
            if (left == 0) return std::fflush(m_file.get()) == 0;
        }
    }

    File m_file;
    ZSTD_CCtx* m_context;
};

std::optional<std::string> readZstd(File file) {
    std::string text;
    ZSTD_DCtx* context = ZSTD_createDCtx();
    std::vector<char> input(ZSTD_DStreamInSize());
    std::vector<char> output(ZSTD_DStreamOutSize());
    std::size_t got = 0;
    bool broken = context == nullptr;
    while (!broken && (got = std::fread(input.data(), 1, input.size(), file.get())) > 0) {
        ZSTD_inBuffer in{input.data(), got, 0};
        while (!broken && in.pos < in.size) {
            ZSTD_outBuffer out{output.data(), output.size(), 0};
            broken = ZSTD_isError(ZSTD_decompressStream(context, &out, &in));
            text.append(output.data(), out.pos);
        }
    }
    ZSTD_freeDCtx(context);
    return text;
}
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

std::optional<std::string> readRecordingText(const std::filesystem::path& file, std::string& error) {
    const Compression compression = compressionFor(file);
    if (!compressionBuilt(compression)) {
        error = kNoZstd;
        return std::nullopt;
    }
    // zlib reads a file without gzip framing as it is.
    if (compression != Compression::Zstd) return readGzip(file, error);
    File opened = openFile(file, false);
    if (!opened) {
        error = cannotOpen(file);
        return std::nullopt;
    }
#if IMAGEBURNER_HAVE_ZSTD
    return readZstd(std::move(opened));
#else
    return std::nullopt;
#endif
}

}  // namespace ib::record
