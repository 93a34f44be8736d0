#include "app/SetupRun.h"

#include <unistd.h>

namespace cvn {

bool RemoveEmptyFolder(const std::string& path) {
    return rmdir(path.c_str()) == 0;
}

} // namespace cvn
