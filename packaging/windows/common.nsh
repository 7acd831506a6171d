; What the installer and the uninstaller of Vexa_Сhart share: the product's
; names, its registry keys, and the look of their windows.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Vexa_Сhart"
!define KEY "Vexa_Chart"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"
!define PROGID "VexaChart.csv"

BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1049 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "CompanyName" "Vexa_Chart Project"
VIAddVersionKey /LANG=1049 "LegalCopyright" "Vexa_Chart Project"

!define MUI_ICON "${SOURCE}\resources\vexa-chart.ico"
