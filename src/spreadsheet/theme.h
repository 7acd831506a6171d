// The theme part of every workbook (xl/theme/theme1.xml).
#pragma once

#include <string_view>

namespace vexa::sheet {

extern const std::string_view kOfficeTheme;

}  // namespace vexa::sheet
