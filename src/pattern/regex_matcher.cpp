#include "pattern/regex_matcher.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pattern/pcre2_regex.hpp"
#include "text/codepage.hpp"
#include "text/extract.hpp"
#include "text/icu_converter.hpp"

namespace orvu {

namespace {

std::u16string widen(const Text& text) {
    return icu::decode(text.view(), cp_gbk).value_or(std::u16string());
}

Text narrow(std::u16string_view units) {
    return Text::adopt(icu::encode(units, cp_gbk).value_or(std::string()));
}

// Every "#引号" becomes a double quote. Compared byte for byte, so that a stray
// lead byte just before the marker cannot hide it.
Text with_quotes(const Text& pattern) {
    const std::string_view marker = quote_marker().view();
    std::string_view rest = pattern.view();
    std::string out;
    out.reserve(rest.size());
    for (std::size_t at; (at = rest.find(marker)) != std::string_view::npos;) {
        out.append(rest.substr(0, at)).push_back('"');
        rest.remove_prefix(at + marker.size());
    }
    out.append(rest);
    return Text::adopt(std::move(out));
}

bool is_digit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

// A replacement cut into literal text and group references.
struct Piece {
    std::u16string_view literal;
    int group = -1;  // 0 for the whole match, 1 and up for a group; -1 for literal text
};

struct Reference {
    int group;           // 0 for the whole match
    std::size_t length;  // in units, the "$" included
};

// The group that the "$" at replacement[at] names, if it names one. Two digits
// name a group when there are that many groups, else the first digit alone.
std::optional<Reference> read_reference(std::u16string_view replacement, std::size_t at,
                                        int group_count) {
    const std::u16string_view rest = replacement.substr(at + 1);
    if (rest.empty()) return std::nullopt;
    if (rest[0] == u'&') return Reference{0, 2};
    if (!is_digit(rest[0])) return std::nullopt;
    const int first = rest[0] - u'0';
    if (rest.size() > 1 && is_digit(rest[1])) {
        const int both = first * 10 + (rest[1] - u'0');
        if (both >= 1 && both <= group_count) return Reference{both, 3};
    }
    if (first >= 1 && first <= group_count) return Reference{first, 2};
    return std::nullopt;
}

std::vector<Piece> parse_replacement(std::u16string_view replacement, int group_count) {
    std::vector<Piece> pieces;
    std::size_t literal_start = 0;
    auto close_literal = [&](std::size_t end) {
        if (end > literal_start)
            pieces.push_back({replacement.substr(literal_start, end - literal_start)});
    };
    for (std::size_t at = 0; at < replacement.size(); ++at) {
        if (replacement[at] != u'$') continue;
        if (at + 1 < replacement.size() && replacement[at + 1] == u'$') {
            close_literal(at + 1);  // keeps the first "$", drops the second
            literal_start = ++at + 1;
            continue;
        }
        const std::optional<Reference> reference = read_reference(replacement, at, group_count);
        if (!reference) continue;
        close_literal(at);
        pieces.push_back({{}, reference->group});
        at += reference->length - 1;
        literal_start = at + 1;
    }
    close_literal(replacement.size());
    return pieces;
}

}  // namespace

struct RegexMatcher::State {
    Text pattern;
    std::u16string subject;
    int group_count = 0;
    // The spans of every match, group_count + 1 a match: the whole match first.
    std::vector<pcre2::Span> spans;

    std::size_t spans_per_match() const { return static_cast<std::size_t>(group_count) + 1; }
    int match_count() const { return static_cast<int>(spans.size() / spans_per_match()); }

    // The span of group of match (both 1-based, group 0 the whole match), or
    // nothing when there is no such match or group.
    const pcre2::Span* span(int match, int group) const {
        if (match < 1 || match > match_count() || group < 0 || group > group_count) return nullptr;
        const std::size_t index = static_cast<std::size_t>(match - 1) * spans_per_match() +
                                  static_cast<std::size_t>(group);
        return &spans[index];
    }

    std::u16string_view text_of(const pcre2::Span& span) const {
        if (!span.is_set()) return {};
        return std::u16string_view(subject).substr(span.start, span.end - span.start);
    }

    Text group_text(int match, int group) const {
        const pcre2::Span* found = span(match, group);
        return found ? narrow(text_of(*found)) : Text();
    }
};

RegexMatcher::RegexMatcher() : state_(std::make_unique<State>()) {}
RegexMatcher::~RegexMatcher() = default;

bool RegexMatcher::run(const Text& pattern, const Text& subject, bool case_sensitive,
                       bool multi_line, bool global, bool quote_marker) {
    auto fresh = std::make_unique<State>();
    fresh->pattern = quote_marker ? with_quotes(pattern) : pattern;
    fresh->subject = widen(subject);
    auto regex = pcre2::Regex::compile(
        widen(fresh->pattern), {.case_sensitive = case_sensitive, .multi_line = multi_line});
    bool completed = false;
    if (regex) {
        fresh->group_count = regex->group_count();
        const pcre2::SearchResult result = regex->find_all(fresh->subject, global, fresh->spans);
        completed =
            result == pcre2::SearchResult::matched || result == pcre2::SearchResult::no_match;
    }
    state_ = std::move(fresh);
    return completed;
}

Text RegexMatcher::pattern() const {
    return state_->pattern;
}

Text RegexMatcher::replace(const Text& replacement) const {
    const std::u16string units = widen(replacement);
    const std::vector<Piece> pieces = parse_replacement(units, state_->group_count);
    const std::u16string_view subject = state_->subject;
    std::u16string out;
    out.reserve(subject.size());
    std::size_t kept_up_to = 0;
    for (int match = 1; match <= match_count(); ++match) {
        const pcre2::Span& whole = *state_->span(match, 0);
        if (whole.start > kept_up_to)
            out.append(subject.substr(kept_up_to, whole.start - kept_up_to));
        for (const Piece& piece : pieces)
            out.append(piece.group < 0 ? piece.literal
                                       : state_->text_of(*state_->span(match, piece.group)));
        kept_up_to = whole.end;
    }
    out.append(subject.substr(kept_up_to));
    return narrow(out);
}

int RegexMatcher::match_count() const {
    return state_->match_count();
}

Text RegexMatcher::match_text(int match) const {
    return state_->group_text(match, 0);
}

Text RegexMatcher::sub_match_text(int match, int group) const {
    return group < 1 ? Text() : state_->group_text(match, group);
}

int RegexMatcher::sub_match_count() const {
    return match_count() > 0 ? state_->group_count : 0;
}

}  // namespace orvu
