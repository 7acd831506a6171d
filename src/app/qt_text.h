// Conversions between the UTF-8 texts of the input and report code and Qt.
#pragma once

#include <QFile>
#include <QString>
#include <string>
#include <string_view>

namespace vexa {

inline QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toStdString(const QString& text) {
  return text.toUtf8().toStdString();
}

// A path as the file system wants it.
inline std::string toFileSystemPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace vexa
