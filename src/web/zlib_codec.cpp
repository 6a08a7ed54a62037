#include "web/zlib_codec.hpp"

#include <zlib.h>

namespace orvu {

namespace {
constexpr int gzip_wrapper_only = 16 + MAX_WBITS;  // the gzip header, not zlib's or none
}

struct GzipInflater::Stream {
    z_stream z{};
    bool ready = false;

    Stream() { ready = inflateInit2(&z, gzip_wrapper_only) == Z_OK; }
    ~Stream() {
        if (ready) inflateEnd(&z);
    }
};

GzipInflater::GzipInflater() : stream_(std::make_unique<Stream>()) {}
GzipInflater::~GzipInflater() = default;

GzipInflater::Step GzipInflater::step(std::string_view input, std::span<char> output) {
    if (!stream_->ready) return {0, 0, Status::corrupt};
    z_stream& z = stream_->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = reinterpret_cast<Bytef*>(output.data());
    z.avail_out = static_cast<uInt>(output.size());

    const int result = inflate(&z, Z_NO_FLUSH);
    Step step{input.size() - z.avail_in, output.size() - z.avail_out, Status::progress};
    switch (result) {
        case Z_OK: break;
        case Z_STREAM_END: step.status = Status::ended; break;
        case Z_BUF_ERROR: step.status = Status::stuck; break;
        default: return {0, 0, Status::corrupt};
    }
    if (step.status == Status::progress && step.consumed == 0 && step.produced == 0) {
        step.status = Status::stuck;
    }
    return step;
}

namespace {
struct DeflateStream {
    z_stream z{};
    bool ready = false;

    DeflateStream() {
        ready = deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, gzip_wrapper_only, 8,
                             Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~DeflateStream() {
        if (ready) deflateEnd(&z);
    }
};
}  // namespace

std::string gzip_compress(std::string_view bytes) {
    DeflateStream stream;
    if (!stream.ready) return {};
    z_stream& z = stream.z;
    std::string out(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const bool finished = deflate(&z, Z_FINISH) == Z_STREAM_END;
    out.resize(finished ? z.total_out : 0);
    return out;
}

}  // namespace orvu
