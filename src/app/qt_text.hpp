#pragma once

// The crossing between the program's GBK Text and Qt's UTF-16 strings, made
// at the window boundary only, as the ANSI window functions do it.

#include <QString>

#include "text/text.hpp"

namespace orvu::app {

QString to_qstring(const Text& text);
Text to_text(const QString& text);

// A UTF-16 value as the text toolkit gives it (little-endian units ending in a
// zero unit) as a QString, without the zero unit.
QString utf16_to_qstring(const Bytes& utf16);

}  // namespace orvu::app
