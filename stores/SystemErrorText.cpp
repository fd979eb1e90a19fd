// The system's error numbers in the words the user reads.
#include "stores/SystemErrorText.h"

#include <cerrno>
#include <cstring>

namespace stores {

std::string systemErrorText(int error) {
    switch (error) {
    case ENOENT: return "no existe";
    case ENOTDIR: return "una parte de la ruta no es una carpeta";
    case EACCES:
    case EPERM: return "permiso denegado";
    case EISDIR: return "es una carpeta";
    case ENOSPC:
    case EDQUOT: return "no queda espacio en el disco";
    case EFBIG: return "el archivo supera el tamaño máximo permitido";
    case EROFS: return "el disco es de solo lectura";
    case ENAMETOOLONG: return "el nombre es demasiado largo";
    case EIO: return "error de entrada/salida";
    default: return std::strerror(error);
    }
}

}  // namespace stores
