#include "app/qt_text.hpp"

#include <string>

#include "text/codepage.hpp"

namespace orvu::app {

// The toolkit's UTF-16 values are little-endian whatever the machine is.
QString utf16_to_qstring(const Bytes& utf16) {
    const std::string_view bytes = utf16.view();
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto low = static_cast<unsigned char>(bytes[at]);
        const auto high = static_cast<unsigned char>(bytes[at + 1]);
        const auto unit = static_cast<char16_t>(low | (high << 8));
        if (unit == u'\0') break;
        units.push_back(unit);
    }
    return QString::fromStdU16String(units);
}

QString to_qstring(const Text& text) {
    return utf16_to_qstring(text_to_utf16(text, cp_acp));
}

Text to_text(const QString& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2 + 2);
    for (const QChar unit : text) {
        if (unit.unicode() == 0) break;
        bytes.push_back(static_cast<char>(unit.unicode() & 0xff));
        bytes.push_back(static_cast<char>(unit.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return utf16_to_text(Bytes(std::move(bytes)), cp_acp);
}

}  // namespace orvu::app
