// The designed geometry (app/form/geometry.h) as Qt's rectangles.
#pragma once

#include <QRect>

#include "app/form/geometry.h"

namespace vexa {

inline QRect toQRect(const form::Rect& rect) {
  return QRect(rect.left, rect.top, rect.width, rect.height);
}

}  // namespace vexa
