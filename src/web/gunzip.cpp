#include "web/gunzip.hpp"

#include <algorithm>
#include <array>

#include "web/zlib_codec.hpp"

namespace orvu {

namespace {

constexpr std::size_t step_size = 8192;  // both the input window and the output area

// The last four bytes of a gzip member give its decoded size (modulo 2^32). Only
// a hint, since bytes may follow the member: it is capped, and at worst the
// result grows as it would have anyway.
std::size_t announced_size(std::string_view body) {
    if (body.size() < 18) return 0;
    std::size_t size = 0;
    for (int i = 1; i <= 4; ++i)
        size = size << 8 | static_cast<unsigned char>(body[body.size() - i]);
    return std::min({size, max_gunzip_size, body.size() * 32});
}

}  // namespace

Bytes gunzip_body(const Bytes& body) {
    std::array<char, step_size> output{};
    GzipInflater inflater;
    std::string_view input = body.view();
    std::string result;
    result.reserve(announced_size(input));
    std::size_t position = 0;
    for (;;) {
        const std::size_t window = std::min(step_size, input.size() - position);
        const GzipInflater::Step step = inflater.step(input.substr(position, window), output);
        if (result.size() + step.produced > max_gunzip_size) return {};
        result.append(output.data(), step.produced);
        position += step.consumed;
        if (step.status != GzipInflater::Status::progress) break;
    }
    return Bytes(std::move(result));
}

}  // namespace orvu
