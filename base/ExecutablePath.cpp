#include "base/ExecutablePath.h"

#include "base/Paths.h"

namespace hx {

std::u16string ExecutableFolder() {
    return std::u16string(FolderPart(ExecutablePath()));
}

} // namespace hx
