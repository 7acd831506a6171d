// The fonts the windows were designed with: Tahoma 8 pt for the forms, Times
// New Roman for the About labels. Debian's fonts-wine ships a Tahoma with the
// same metrics that fontconfig does not know, so it is loaded by hand; without
// it the desktop's sans font stands in.
#pragma once

#include <QFont>

namespace vexa {

// Tahoma at 11 pixels (8 points at 96 pixels per inch).
QFont formFont();

// Times New Roman (or its metric twin), bold, at `pixelSize`.
QFont aboutFont(int pixelSize);

}  // namespace vexa
