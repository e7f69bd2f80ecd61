#pragma once

#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>

namespace quillora {

// Texts cross between the program and Qt in the local 8-bit encoding.
inline QString FromLocal(std::string_view bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string ToLocal(const QString& text) {
    QByteArray bytes = text.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace quillora
