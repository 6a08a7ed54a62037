#include "text/text.hpp"

namespace orvu {

namespace {
std::string_view up_to_first_zero(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}
}  // namespace

Text::Text(std::string_view bytes) : bytes_(up_to_first_zero(bytes)) {}

Text Text::adopt(std::string&& bytes) {
    Text text;
    text.bytes_ = std::move(bytes);
    text.bytes_.resize(up_to_first_zero(text.bytes_).size());
    return text;
}

Text& Text::operator+=(const Text& more) {
    bytes_ += more.bytes_;
    return *this;
}

Text body_as_text(const Bytes& body) {
    return Text(body.view());
}

}  // namespace orvu
