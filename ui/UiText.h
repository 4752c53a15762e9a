#pragma once

#include "i18n/Messages.h"

#include <QString>
#include <string>
#include <string_view>

namespace cvt {

inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toStdString(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Gives a control or window its name (the name the window definitions and the tests use).
template <typename T>
T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A caption or message in the wording the language code chooses.
inline QString uiText(Msg id, std::string_view languageCode) {
    return QString::fromUtf8(message(id, languageCode));
}

} // namespace cvt
