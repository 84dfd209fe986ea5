#pragma once

#include <map>
#include <string>

namespace platform {
class LayoutConstraint;
class Object;
}  // namespace platform

namespace sprout {

// Compact constraint descriptions that name views and constraints by their debug keys, for
// every platform constraint once installed (the builder installs them on first use).
const std::map<long, std::string>& layoutRelationDescriptionsByValue();
const std::map<long, std::string>& layoutAttributeDescriptionsByValue();
const std::map<float, std::string>& layoutPriorityDescriptionsByValue();

// "Class:key" when the object has a key, else "Class:address".
std::string descriptionForObject(const platform::Object* object);
// <Class:key View:key.left == View:0x....left + 10 ^high>
std::string cm_description(const platform::LayoutConstraint& constraint);
void cm_installDebugDescriptions();

}  // namespace sprout
