#include "input/messages.h"

namespace vexa {

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
