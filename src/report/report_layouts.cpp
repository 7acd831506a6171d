#include "report/report_layouts.h"

namespace vexa {

void buildLayout(LayoutContext&) {}

}  // namespace vexa
