#include "app/SetupRun.h"

#include <windows.h>

namespace cvn {

bool RemoveEmptyFolder(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

} // namespace cvn
