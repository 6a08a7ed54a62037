// gunzip_body of a 50 MiB gzip stream, against gzip -dc of the same stream in
// the same run.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "timing.hpp"
#include "web/gunzip.hpp"
#include "web/zlib_codec.hpp"

namespace {

// Letters from a small alphabet compress about twofold, like a page would.
std::string sample(std::size_t size) {
    std::mt19937 random(11);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>('a' + random() % 16);
    return bytes;
}

}  // namespace

int main() {
    using namespace orvu;
    std::string plain = sample(std::size_t{100} << 20);
    std::string stream = gzip_compress(plain);
    while (stream.size() < (std::size_t{50} << 20)) {
        plain += sample(std::size_t{4} << 20);
        stream = gzip_compress(plain);
    }
    const std::string path = "/tmp/orvu-gunzip-bench.gz";
    std::ofstream(path, std::ios::binary) << stream;
    const std::string gzip_command = "gzip -dc " + path + " > /dev/null";

    const Bytes body(stream);
    std::size_t decoded = 0;
    const double ours = bench::median_seconds(5, [&] { decoded = gunzip_body(body).size(); });
    const double theirs = bench::median_seconds(5, [&] {
        if (std::system(gzip_command.c_str()) != 0) std::fprintf(stderr, "gzip failed\n");
    });
    std::remove(path.c_str());
    std::printf("stream %zu bytes, decoded %zu bytes (expected %zu)\n", stream.size(), decoded,
                plain.size());
    bench::report("gunzip 50 MiB stream", ours, theirs, "gzip -dc");
}
