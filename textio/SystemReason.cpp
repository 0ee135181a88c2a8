#include "textio/SystemReason.h"

#include <cerrno>
#include <cstring>

namespace textio {

std::string SystemReason(int error) {
  switch (error) {
    case EACCES:
      return "brak dostępu";
    case EPERM:
      return "operacja niedozwolona";
    case ENOENT:
      return "nie ma takiego pliku ani katalogu";
    case EISDIR:
      return "jest katalogiem";
    case ENOTDIR:
      return "nie jest katalogiem";
    case ENOSPC:
      return "brak miejsca na urządzeniu";
    case EROFS:
      return "system plików tylko do odczytu";
    case EEXIST:
      return "plik istnieje";
    case EIO:
      return "błąd wejścia/wyjścia";
#ifdef EDQUOT  // not a Windows error
    case EDQUOT:
      return "przekroczony przydział dyskowy";
#endif
    case ENAMETOOLONG:
      return "za długa nazwa pliku";
    case EMFILE:
    case ENFILE:
      return "za dużo otwartych plików";
    case EBUSY:
      return "urządzenie lub zasób zajęty";
  }
  return "błąd systemu " + std::to_string(error) + " (" + std::strerror(error) + ")";
}

}  // namespace textio
