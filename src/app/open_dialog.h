// The file-open dialog's filter in Qt's form.
#pragma once

#include <QString>
#include <string>

namespace vexa {

// "Vexa|*.csv" (pairs of a name and its patterns, ";" between patterns)
// gives "Vexa (*.csv)".
QString qtFilter(const std::string& filter);

}  // namespace vexa
