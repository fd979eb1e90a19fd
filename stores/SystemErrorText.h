// Spanish words for the system's error numbers, to follow a file name in a message.
#pragma once

#include <string>

namespace stores {

// "no existe", "permiso denegado", "no queda espacio en el disco" ... for an errno value; the
// system's own (English) text for the rare ones.
std::string systemErrorText(int error);

}  // namespace stores
