#include "input/messages.h"

#include <new>
#include <stdexcept>

namespace vexa {

std::string messageOf(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr ||
      dynamic_cast<const std::length_error*>(&error) != nullptr) {
    return "Не хватает памяти: данных слишком много для одного отчёта. Выберите интервал "
           "времени короче.";
  }
  return error.what();
}

std::string tooManyColumnsMessage(std::int64_t columns) {
  return "В файле " + std::to_string(columns) + " столбцов, а лист вмещает не больше " +
         std::to_string(kMaxSheetColumns) + ". Отчёт по такому файлу не построить.";
}

std::string tooMuchDataMessage(std::int64_t rows, std::int64_t columns) {
  return "Слишком много данных для одного отчёта: таблица " + std::to_string(rows) + " × " +
         std::to_string(columns) +
         " ячеек, а в отчёте помещается не больше 4 000 000. Выберите "
         "интервал времени короче.";
}

}  // namespace vexa
