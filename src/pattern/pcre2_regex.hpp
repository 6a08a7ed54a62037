#pragma once

// A compiled regular expression over UTF-16 text, and the searches the pattern
// matcher makes with it. This is the only part of the program that talks to
// PCRE2; none of its types show here.
//
// Every search runs under limits (match steps per search, backtracking depth,
// heap and JIT stack), so that a pattern and a page that would make it run
// away end it with limit_reached instead.

#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace orvu::pcre2 {

struct CompileOptions {
    bool case_sensitive = false;
    bool multi_line = true;  // "^" and "$" at line feeds too; else only at the ends of the text
    bool allow_jit = true;   // false: the interpreter, even where the JIT is there
};

// Where one group matched, in UTF-16 units: [start, end). A group that took no
// part in the match has both ends unset.
struct Span {
    static constexpr std::size_t unset = std::numeric_limits<std::size_t>::max();
    std::size_t start = unset;
    std::size_t end = unset;

    bool is_set() const noexcept { return start != unset; }
    friend bool operator==(const Span&, const Span&) = default;
};

enum class SearchResult {
    matched,
    no_match,
    limit_reached,  // a match, depth or heap limit, or the JIT stack, ran out
    error,          // any other failure PCRE2 reports (a bad offset, no memory)
};

class Regex {
  public:
    // Nothing when PCRE2 rejects the pattern. Compiled for the JIT when it is
    // allowed and there and takes the pattern, for the interpreter otherwise.
    // Invalid UTF-16 in a subject never matches with the JIT; the interpreter
    // gives error for such a subject.
    static std::optional<Regex> compile(std::u16string_view pattern,
                                        const CompileOptions& options = {});

    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;
    ~Regex();

    int group_count() const noexcept;  // capturing groups, the whole match not counted
    bool uses_jit() const noexcept;

    // The first match at or after offset. On a match, groups (at least
    // group_count() + 1 spans) receives the whole match, then group 1, 2...
    SearchResult find_next(std::u16string_view subject, std::size_t offset, std::span<Span> groups);

    // The matches from left to right, each search going on at the end of the
    // previous match, or one character further after an empty match; only the
    // first match unless global. Appends group_count() + 1 spans per match to
    // spans and gives matched or no_match; on a failure, spans is left as it
    // was given.
    SearchResult find_all(std::u16string_view subject, bool global, std::vector<Span>& spans);

  private:
    struct Compiled;
    explicit Regex(std::unique_ptr<Compiled> compiled);
    std::unique_ptr<Compiled> compiled_;
};

}  // namespace orvu::pcre2
