#include "input/system_reason.h"

#include <cerrno>

#include "platform/files.h"

namespace vexa {

std::string systemReason(int error) {
  switch (error) {
    case ENOENT:
      return "файл или папка не найдены";
    case EACCES:
    case EPERM:
      return "нет прав доступа";
    case EISDIR:
      return "это папка, а не файл";
    case ENOTDIR:
      return "часть пути — не папка";
    case ELOOP:
      return "символические ссылки замкнуты в кольцо";
    case ENAMETOOLONG:
      return "слишком длинное имя файла";
    case EROFS:
      return "диск доступен только для чтения";
    case ENOSPC:
#ifdef EDQUOT  // a disk quota: not on every system
    case EDQUOT:
#endif
      return "на диске не хватает места";
    case EFBIG:
      return "файл слишком велик";
    case EIO:
      return "ошибка чтения или записи на диске";
    case EMFILE:
    case ENFILE:
      return "открыто слишком много файлов";
    case ENOMEM:
      return "не хватает памяти";
    case EBUSY:
    case ETXTBSY:
      return "файл занят другой программой";
    case EXDEV:
      return "файл нельзя перенести на другой диск";
    case EEXIST:
      return "файл с таким именем уже есть";
    case EINVAL:
      return "недопустимое имя файла";
    case platform::kFileInUse:
      return "файл открыт в другой программе";
    case platform::kReadOnlyFile:
      return "файл доступен только для чтения";
    default:
      if (error >= platform::kWindowsError) {
        return "системная ошибка Windows " + std::to_string(error - platform::kWindowsError);
      }
      return "системная ошибка " + std::to_string(error);
  }
}

}  // namespace vexa
