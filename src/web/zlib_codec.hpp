#pragma once

// The one place that talks to zlib: a gzip decoder that works in steps and says
// after each one how much it consumed and produced and whether it got anywhere,
// and a gzip encoder for the pages the demo sites serve compressed.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace orvu {

class GzipInflater {
  public:
    enum class Status {
        progress,  // consumed input or produced output; call again
        ended,     // the end of the gzip member was reached
        stuck,     // no progress possible: no input left, or the output area is full
        corrupt,   // not a gzip stream, or a damaged one
    };
    struct Step {
        std::size_t consumed = 0;
        std::size_t produced = 0;
        Status status = Status::stuck;
    };

    GzipInflater();
    ~GzipInflater();
    GzipInflater(const GzipInflater&) = delete;
    GzipInflater& operator=(const GzipInflater&) = delete;

    // Decodes as much of input as fits into output. A corrupt step reports
    // nothing consumed and nothing produced.
    Step step(std::string_view input, std::span<char> output);

  private:
    struct Stream;
    std::unique_ptr<Stream> stream_;
};

// One gzip member holding the bytes.
std::string gzip_compress(std::string_view bytes);

}  // namespace orvu
