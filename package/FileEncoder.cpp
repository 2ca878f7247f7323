#include "package/FileEncoder.h"

#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

#include "package/FileCodec.h"

namespace {

constexpr int kStrongLevel = 19;
constexpr int kFastLevel = 3;
constexpr std::size_t kProbe = std::size_t(1) << 20;
constexpr std::size_t kOutPiece = std::size_t(1) << 20;

}  // namespace

struct FileEncoder::State : ByteSink {
    ZSTD_CCtx* cctx = ZSTD_createCCtx();
    ByteSink* out = nullptr;
    std::uint64_t total = 0, taken = 0;
    bool started = false, failed = false;
    std::string failure;
    std::vector<std::uint8_t> probe, outPiece = std::vector<std::uint8_t>(kOutPiece);

    ~State() override { ZSTD_freeCCtx(cctx); }

    bool fail(std::string why) {
        if (!failed) failure = std::move(why);
        failed = true;
        return false;
    }

    // Level 1 on the probe tells apart data a compressor can still shrink from data that
    // is compressed already; it costs a few milliseconds per mebibyte.
    int chooseLevel() const {
        std::vector<std::uint8_t> scratch(ZSTD_compressBound(probe.size()));
        std::size_t n =
            ZSTD_compress(scratch.data(), scratch.size(), probe.data(), probe.size(), 1);
        bool shrinks = !ZSTD_isError(n) && n * 100 < probe.size() * 97;
        return shrinks ? kStrongLevel : kFastLevel;
    }

    bool start() {
        started = true;
        if (!cctx) return fail("out of memory compressing a file");
        int level = chooseLevel();
        ZSTD_compressionParameters params = ZSTD_getCParams(level, total, 0);
        unsigned windowLog =
            params.windowLog < unsigned(kMaxWindowLog) ? params.windowLog : unsigned(kMaxWindowLog);
        ZSTD_CCtx_reset(cctx, ZSTD_reset_session_and_parameters);
        bool ok = !ZSTD_isError(ZSTD_CCtx_setParameter(cctx, ZSTD_c_compressionLevel, level)) &&
                  !ZSTD_isError(ZSTD_CCtx_setParameter(cctx, ZSTD_c_windowLog, int(windowLog))) &&
                  !ZSTD_isError(ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1)) &&
                  !ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(cctx, total));
        if (!ok) return fail("cannot set up the compressor");
        std::vector<std::uint8_t> first;
        first.swap(probe);
        return compress(first, ZSTD_e_continue);
    }

    // Runs the compressor over `bytes`; with ZSTD_e_end, until the frame is complete.
    bool compress(std::span<const std::uint8_t> bytes, ZSTD_EndDirective mode) {
        ZSTD_inBuffer in{bytes.data(), bytes.size(), 0};
        for (;;) {
            ZSTD_outBuffer o{outPiece.data(), outPiece.size(), 0};
            std::size_t left = ZSTD_compressStream2(cctx, &o, &in, mode);
            if (ZSTD_isError(left)) {
                return fail(std::string("cannot compress a file: ") + ZSTD_getErrorName(left));
            }
            if (o.pos > 0 && !out->append({outPiece.data(), o.pos})) {
                return fail("cannot write the package");
            }
            bool done = mode == ZSTD_e_end ? left == 0 : in.pos == in.size;
            if (done) return true;
        }
    }

    bool append(std::span<const std::uint8_t> bytes) override {
        if (failed) return false;
        taken += bytes.size();
        if (taken > total) return fail("a file has more bytes than its size");
        if (!started) {
            std::size_t want = std::size_t(total < kProbe ? total : kProbe) - probe.size();
            std::size_t now = bytes.size() < want ? bytes.size() : want;
            probe.insert(probe.end(), bytes.begin(), bytes.begin() + std::ptrdiff_t(now));
            bytes = bytes.subspan(now);
            if (probe.size() < (total < kProbe ? total : kProbe)) return true;
            if (!start()) return false;
        }
        return bytes.empty() || compress(bytes, ZSTD_e_continue);
    }
    bool patch(std::uint64_t, std::span<const std::uint8_t>) override { return false; }
    std::uint64_t size() const override { return taken; }
};

FileEncoder::FileEncoder() : state_(new State) {}
FileEncoder::~FileEncoder() = default;

void FileEncoder::begin(ByteSink& out, std::uint64_t size) {
    State& s = *state_;
    s.out = &out;
    s.total = size;
    s.taken = 0;
    s.started = s.failed = false;
    s.failure.clear();
    s.probe.clear();
}

ByteSink& FileEncoder::input() {
    return *state_;
}

bool FileEncoder::end(std::string& failure) {
    State& s = *state_;
    if (!s.failed && s.taken != s.total) s.fail("a file has fewer bytes than its size");
    if (!s.failed && !s.started) s.start();
    if (!s.failed) s.compress({}, ZSTD_e_end);
    failure = s.failure;
    return !s.failed;
}
