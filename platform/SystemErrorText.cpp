#include "platform/SystemErrorText.h"

#include <cerrno>

namespace flowcfg {

std::string systemErrorText(int err) {
    switch (err) {
    case ENOENT:
        return "нет такого файла или папки";
    case EACCES:
    case EPERM:
        return "нет доступа";
    case ENOSPC:
        return "нет места на диске";
    case EDQUOT:
        return "превышена дисковая квота";
    case EROFS:
        return "файловая система только для чтения";
    case EISDIR:
        return "это папка, а не файл";
    case ENOTDIR:
        return "часть пути не является папкой";
    case ENAMETOOLONG:
        return "слишком длинное имя";
    case EIO:
        return "ошибка ввода-вывода";
    case EBUSY:
        return "занято другой программой";
    case EEXIST:
        return "файл уже существует";
    case EMFILE:
    case ENFILE:
        return "открыто слишком много файлов";
    case ENXIO:
    case ENODEV:
        return "нет такого устройства";
    case ELOOP:
        return "слишком много символических ссылок";
    case ENOTTY:
        return "это не последовательный порт";
    case EINVAL:
        return "недопустимый параметр";
    default:
        return "системная ошибка " + std::to_string(err);
    }
}

} // namespace flowcfg
