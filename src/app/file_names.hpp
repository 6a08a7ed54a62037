#pragma once

#include <QString>

namespace orvu::app {

// A file name to propose for a download, taken from what the server or the
// address suggests, that cannot leave the folder it is saved in: no path
// separators, no "." or ".." of its own, no control characters, none of the
// characters other systems forbid, no leading dot (no hidden file), at most
// max_file_name_bytes of UTF-8 with the extension kept. Nothing usable gives
// fallback_file_name.
QString safe_file_name(const QString& suggested);

inline constexpr int max_file_name_bytes = 200;
inline const QString fallback_file_name = QStringLiteral("download.txt");

}  // namespace orvu::app
