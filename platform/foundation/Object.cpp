#include "platform/foundation/Object.h"

namespace platform {

Object::Object() = default;
Object::~Object() = default;

}  // namespace platform
