#include "app/file_names.hpp"

#include <QRegularExpression>
#include <algorithm>

namespace orvu::app {

namespace {

bool is_forbidden(QChar c) {
    const char16_t unit = c.unicode();
    if (unit < 0x20 || unit == 0x7f || (unit >= 0x80 && unit < 0xa0)) return true;
    if (c.category() == QChar::Other_Format || c.category() == QChar::Other_Surrogate) {
        return !c.isSurrogate();  // bidi and zero-width controls; surrogate pairs stay
    }
    return QStringView(u"/\\:*?\"<>|").contains(c);
}

// Names that some systems keep for devices, whatever the extension.
bool is_device_name(const QString& name) {
    static const QRegularExpression device(
        QStringLiteral("^(con|prn|aux|nul|com[0-9]|lpt[0-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return device.match(name).hasMatch();
}

// Cuts the stem so that the whole name fits, keeping a short extension and
// never splitting a surrogate pair.
QString shortened(const QString& name) {
    if (name.toUtf8().size() <= max_file_name_bytes) return name;
    const int dot = name.lastIndexOf(u'.');
    const QString extension = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QString();
    QString stem = name.left(name.size() - extension.size());
    const int room = max_file_name_bytes - extension.toUtf8().size();
    while (!stem.isEmpty() && stem.toUtf8().size() > room) {
        stem.chop(stem.size() >= 2 && stem.back().isLowSurrogate() ? 2 : 1);
    }
    return stem + extension;
}

}  // namespace

QString safe_file_name(const QString& suggested) {
    // Only the last part of a path counts, whichever separator it uses.
    QString name = suggested;
    const int last_separator = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    name = name.mid(last_separator + 1);

    QString cleaned;
    cleaned.reserve(name.size());
    for (const QChar c : name)
        cleaned.append(is_forbidden(c) ? QChar(u'_') : c);

    // Leading dots and blanks would hide the file or make "." and "..";
    // trailing ones are dropped by other systems.
    static const QRegularExpression leading(QStringLiteral("^[.\\s]+"));
    static const QRegularExpression trailing(QStringLiteral("[.\\s]+$"));
    cleaned.remove(leading);
    cleaned.remove(trailing);
    if (cleaned.isEmpty() || cleaned.count(u'_') == cleaned.size()) return fallback_file_name;
    if (is_device_name(cleaned)) cleaned.prepend(u'_');
    return shortened(cleaned);
}

}  // namespace orvu::app
