#include "platform/Platform.h"

namespace platform {

Platform& os() {
    static Platform table;
    return table;
}

}  // namespace platform
