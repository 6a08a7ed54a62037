#include "text/icu_converter.hpp"

#include <unicode/ucnv.h>
#include <unicode/unorm2.h>

#include <map>
#include <memory>

namespace orvu::icu {

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const noexcept { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter open_converter(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status)) converter.reset();
    return converter;
}

Converter open_code_page(int code_page) {
    switch (code_page) {
        case 0:  // the ANSI code page is taken to be GBK
        case 1:  // and so is the OEM code page
        case 936: return open_converter("windows-936");
        case 65001: return open_converter("UTF-8");
        default:
            if (code_page < 0) return nullptr;
            if (Converter c = open_converter("windows-" + std::to_string(code_page))) return c;
            return open_converter("ibm-" + std::to_string(code_page));
    }
}

// Opening a converter costs more than converting a short text, and the pattern
// matcher converts many short texts, so each thread keeps the ones it opened.
UConverter* converter_for(int code_page) {
    thread_local std::map<int, Converter> converters;
    auto found = converters.find(code_page);
    if (found == converters.end())
        found = converters.emplace(code_page, open_code_page(code_page)).first;
    if (found->second) ucnv_reset(found->second.get());
    return found->second.get();
}

// Runs one whole-input ICU conversion step function, growing the output until
// everything has been converted and flushed.
template <typename Out, typename In, typename Step>
Out convert_all(const In* source, const In* source_end, std::size_t first_guess, Step step) {
    Out out(first_guess + 16, typename Out::value_type{});
    auto* target = out.data();
    for (;;) {
        UErrorCode status = U_ZERO_ERROR;
        step(&target, out.data() + out.size(), &source, source_end, &status);
        if (status != U_BUFFER_OVERFLOW_ERROR) break;
        std::size_t used = static_cast<std::size_t>(target - out.data());
        out.resize(out.size() * 2);
        target = out.data() + used;
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
    return out;
}

}  // namespace

std::optional<std::u16string> decode(std::string_view bytes, int code_page) {
    UConverter* converter = converter_for(code_page);
    if (!converter) return std::nullopt;
    return convert_all<std::u16string>(
        bytes.data(), bytes.data() + bytes.size(), bytes.size(),
        [converter](char16_t** target, char16_t* target_end, const char** source,
                    const char* source_end, UErrorCode* status) {
            ucnv_toUnicode(converter, target, target_end, source, source_end, nullptr, true,
                           status);
        });
}

std::optional<std::string> encode(std::u16string_view units, int code_page) {
    UConverter* converter = converter_for(code_page);
    if (!converter) return std::nullopt;
    std::size_t per_unit = static_cast<std::size_t>(ucnv_getMaxCharSize(converter));
    return convert_all<std::string>(
        units.data(), units.data() + units.size(), units.size() * per_unit,
        [converter](char** target, char* target_end, const char16_t** source,
                    const char16_t* source_end, UErrorCode* status) {
            ucnv_fromUnicode(converter, target, target_end, source, source_end, nullptr, true,
                             status);
        });
}

std::u16string canonical_decomposition(std::u16string_view units) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);  // owned by ICU, never closed
    if (U_FAILURE(status)) return std::u16string(units);
    const auto length = static_cast<int32_t>(units.size());
    int32_t needed = unorm2_normalize(nfd, units.data(), length, nullptr, 0, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::u16string(units);
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    status = U_ZERO_ERROR;
    unorm2_normalize(nfd, units.data(), length, out.data(), needed, &status);
    return U_FAILURE(status) ? std::u16string(units) : out;
}

}  // namespace orvu::icu
