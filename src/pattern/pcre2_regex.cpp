#include "pattern/pcre2_regex.hpp"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace orvu::pcre2 {

namespace {

// The limits of one search (one pcre2_match call). A lazy group that runs
// across a whole 50 MiB page costs about one match step per character, so the
// match limit leaves room for that and still stops a runaway search of the JIT
// in about a tenth of a second.
constexpr uint32_t match_limit = 100'000'000;
// Depth and heap only bind the interpreter: about as many nested backtracking
// points as the JIT stack below holds.
constexpr uint32_t depth_limit = 1'000'000;
constexpr uint32_t heap_limit_kib = 128 * 1024;
// A group repeated once per character, like "(.|\n)*?", takes some 32 bytes of
// JIT stack a round: 8 MiB carries one across a chapter page of 250 000
// characters. The stack is address space until used.
constexpr std::size_t jit_stack_start = 32 * 1024;
constexpr std::size_t jit_stack_max = 8 * 1024 * 1024;

struct CodeFree {
    void operator()(pcre2_code* code) const noexcept { pcre2_code_free(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const noexcept { pcre2_match_data_free(data); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* context) const noexcept {
        pcre2_match_context_free(context);
    }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* context) const noexcept {
        pcre2_compile_context_free(context);
    }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* stack) const noexcept { pcre2_jit_stack_free(stack); }
};

using Code = std::unique_ptr<pcre2_code, CodeFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using JitStack = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

uint32_t compile_flags(const CompileOptions& options) {
    uint32_t flags = PCRE2_UTF;
    if (!options.case_sensitive) flags |= PCRE2_CASELESS;
    flags |= options.multi_line ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    return flags;
}

// JIT code allows invalid UTF-16 in a subject at no cost.
//
// The interpreter is different on two counts. Allowing invalid UTF makes it
// check the subject from the offset to the end on every search, which no option
// turns off, so a global run over a big page would take quadratic time; its
// code leaves that out, and find_all checks the subject once instead. And it
// counts its match limit afresh at every start position, which a long line
// that every start scans to its end escapes; its code calls out before every
// pattern item, and the callout counts the steps of the whole search.
constexpr uint32_t jit_flags = PCRE2_MATCH_INVALID_UTF;
constexpr uint32_t interpreter_flags = PCRE2_AUTO_CALLOUT;

Code compile_code(std::u16string_view pattern, uint32_t flags) {
    CompileContext context(pcre2_compile_context_create(nullptr));
    if (!context) return nullptr;
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);  // "." stops at a line feed only
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    return Code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags,
                              &error, &error_offset, context.get()));
}

int count_step(pcre2_callout_block*, void* steps) {
    return ++*static_cast<uint32_t*>(steps) > match_limit ? PCRE2_ERROR_MATCHLIMIT : 0;
}

SearchResult result_of(int rc) {
    if (rc >= 0) return SearchResult::matched;
    switch (rc) {
        case PCRE2_ERROR_NOMATCH: return SearchResult::no_match;
        case PCRE2_ERROR_MATCHLIMIT:
        case PCRE2_ERROR_DEPTHLIMIT:
        case PCRE2_ERROR_HEAPLIMIT:
        case PCRE2_ERROR_JIT_STACKLIMIT: return SearchResult::limit_reached;
        default: return SearchResult::error;
    }
}

bool is_lead_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_trail_surrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool is_valid_utf16(std::u16string_view units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (is_trail_surrogate(units[i])) return false;
        if (!is_lead_surrogate(units[i])) continue;
        if (i + 1 == units.size() || !is_trail_surrogate(units[i + 1])) return false;
        ++i;
    }
    return true;
}

// The offset one character after offset: a surrogate pair is one character.
std::size_t next_character(std::u16string_view subject, std::size_t offset) {
    if (offset + 1 < subject.size() && is_lead_surrogate(subject[offset]) &&
        is_trail_surrogate(subject[offset + 1]))
        return offset + 2;
    return offset + 1;
}

}  // namespace

struct Regex::Compiled {
    Code code;
    bool jit = false;
    int group_count = 0;
    MatchData match_data;
    MatchContext match_context;
    JitStack jit_stack;
    uint32_t interpreter_steps = 0;  // of the current search, counted by count_step

    bool set_up() {
        uint32_t captures = 0;
        pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
        group_count = static_cast<int>(captures);
        match_data.reset(pcre2_match_data_create_from_pattern(code.get(), nullptr));
        match_context.reset(pcre2_match_context_create(nullptr));
        if (!match_data || !match_context) return false;
        pcre2_set_match_limit(match_context.get(), match_limit);
        pcre2_set_depth_limit(match_context.get(), depth_limit);
        pcre2_set_heap_limit(match_context.get(), heap_limit_kib);
        if (!jit) {
            pcre2_set_callout(match_context.get(), count_step, &interpreter_steps);
            return true;
        }
        jit_stack.reset(pcre2_jit_stack_create(jit_stack_start, jit_stack_max, nullptr));
        if (!jit_stack) return false;
        pcre2_jit_stack_assign(match_context.get(), nullptr, jit_stack.get());
        return true;
    }

    // One pcre2_match call; on a match its offsets are in the match data.
    SearchResult search(std::u16string_view subject, std::size_t offset,
                        uint32_t search_options = 0) {
        if (offset > subject.size()) return SearchResult::no_match;
        interpreter_steps = 0;
        return result_of(pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                                     subject.size(), offset, search_options, match_data.get(),
                                     match_context.get()));
    }

    const PCRE2_SIZE* ovector() const { return pcre2_get_ovector_pointer(match_data.get()); }
    std::size_t span_count() const { return static_cast<std::size_t>(group_count) + 1; }

    // PCRE2_UNSET is the largest PCRE2_SIZE, so unset groups come out as Span::unset.
    static_assert(PCRE2_UNSET == Span::unset);

    template <typename Out>
    void copy_spans(Out out) const {
        const PCRE2_SIZE* offsets = ovector();
        for (std::size_t i = 0; i < span_count(); ++i)
            *out++ = Span{offsets[2 * i], offsets[2 * i + 1]};
    }
};

Regex::Regex(std::unique_ptr<Compiled> compiled) : compiled_(std::move(compiled)) {}
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;
Regex::~Regex() = default;

std::optional<Regex> Regex::compile(std::u16string_view pattern, const CompileOptions& options) {
    auto compiled = std::make_unique<Compiled>();
    if (options.allow_jit) {
        compiled->code = compile_code(pattern, compile_flags(options) | jit_flags);
        if (!compiled->code) return std::nullopt;
        compiled->jit = pcre2_jit_compile(compiled->code.get(), PCRE2_JIT_COMPLETE) == 0;
    }
    if (!compiled->jit) {
        compiled->code = compile_code(pattern, compile_flags(options) | interpreter_flags);
        if (!compiled->code) return std::nullopt;
    }
    if (!compiled->set_up()) return std::nullopt;
    return Regex(std::move(compiled));
}

int Regex::group_count() const noexcept {
    return compiled_->group_count;
}

bool Regex::uses_jit() const noexcept {
    return compiled_->jit;
}

SearchResult Regex::find_next(std::u16string_view subject, std::size_t offset,
                              std::span<Span> groups) {
    if (groups.size() < compiled_->span_count()) return SearchResult::error;
    const SearchResult result = compiled_->search(subject, offset);
    if (result == SearchResult::matched) compiled_->copy_spans(groups.begin());
    return result;
}

SearchResult Regex::find_all(std::u16string_view subject, bool global, std::vector<Span>& spans) {
    const std::size_t given = spans.size();
    const uint32_t search_options =
        !compiled_->jit && is_valid_utf16(subject) ? PCRE2_NO_UTF_CHECK : 0;
    std::size_t offset = 0;
    for (;;) {
        const SearchResult result = compiled_->search(subject, offset, search_options);
        if (result == SearchResult::no_match) break;
        if (result != SearchResult::matched) {
            spans.resize(given);
            return result;
        }
        compiled_->copy_spans(std::back_inserter(spans));
        if (!global) break;
        const PCRE2_SIZE start = compiled_->ovector()[0];
        const PCRE2_SIZE end = compiled_->ovector()[1];
        // An empty match moves the next search on by one character rather
        // than retrying the same place for a non-empty match.
        offset = end > start ? end : next_character(subject, std::max(start, end));
    }
    return spans.size() > given ? SearchResult::matched : SearchResult::no_match;
}

}  // namespace orvu::pcre2
