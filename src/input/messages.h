// The texts the program shows to the user, and the exception that ends an
// action with one of them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vexa {

inline constexpr std::string_view kProgramTitle = "Vexa_Сhart";
inline constexpr std::string_view kRefusedNameMessage =
    "Файл данных этого формата не поддерживается программой Vexa_Сhart";
inline constexpr std::string_view kUnknownFormatMessage = "Не известный формат данных.";
inline constexpr std::string_view kThinningMessage =
    "Внимание! Число измерений больше 32000. Данные будут сжаты. Коэффициент сжатия - ";
inline constexpr std::string_view kBadIntervalMessage = "Неверный интервал времени.";
inline constexpr std::string_view kAttentionCaption = "Внимание!";
inline constexpr std::string_view kNoDataMessage = "Нет данных.";
inline constexpr std::string_view kSavedMessage = "Файл сохранен.";

// A report larger than the program can build without exhausting the
// computer's memory, or than a sheet holds.
inline constexpr int kMaxSheetColumns = 16384;
inline constexpr std::int64_t kMaxReportCells = 4'000'000;
std::string tooManyColumnsMessage(std::int64_t columns);
std::string tooMuchDataMessage(std::int64_t rows, std::int64_t columns);

// The text the user sees for an error that ended an action: its own text,
// or words for what the standard library only names in English (memory
// that ran out).
std::string messageOf(const std::exception& error);

// Ends an action with a message in a plain message box (not an error box);
// `caption` is empty for the program's own title.
class StopWithMessage : public std::runtime_error {
 public:
  explicit StopWithMessage(std::string_view text, std::string_view caption = {})
      : std::runtime_error(std::string(text)), caption_(caption) {}
  const std::string& caption() const { return caption_; }

 private:
  std::string caption_;
};

}  // namespace vexa
