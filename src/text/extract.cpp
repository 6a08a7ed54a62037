#include "text/extract.hpp"

#include "text/codepage.hpp"
#include "text/text_ops.hpp"

namespace orvu {

const Text& quote_marker() {
    static const Text marker = gbk_literal(u8"#引号");
    return marker;
}

namespace {
Text with_quotes(const Text& marker) {
    return text_replace(marker, quote_marker(), "\""_t);
}
}  // namespace

Text text_between(const Text& text, const Text& left, const Text& right, int start,
                  bool ignore_case) {
    const Text left_marker = with_quotes(left);
    const Text right_marker = with_quotes(right);
    int left_at = text_search(text, left_marker, start, ignore_case);
    if (left_at == -1) return {};
    int from = left_at + left_marker.length();
    int right_at = text_search(text, right_marker, from, ignore_case);
    if (right_at == -1) return {};
    return text_part(text, from, right_at - from);
}

Text header_line_value(const Text& line) {
    int colon = text_search(line, ":"_t);
    Text value = colon == -1 ? Text() : text_right(line, line.length() - colon);
    return text_trim(value);
}

Text replace_pairs(const Text& text, const ReplaceOptions& options, const FindReplace& pair1,
                   const FindReplace& pair2, const FindReplace& pair3, const FindReplace& pair4,
                   const FindReplace& pair5) {
    Text result = text;
    for (const FindReplace* pair : {&pair1, &pair2, &pair3, &pair4, &pair5}) {
        result = text_replace(result, pair->find, pair->replacement, options.start, options.count,
                              options.case_sensitive);
    }
    return result;
}

}  // namespace orvu
