#include "platform/foundation/Object.h"

namespace platform {

Object::Object(Key) {}
Object::~Object() = default;

}  // namespace platform
