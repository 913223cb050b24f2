// A binding value as MessagePack, written independently of the plug-in
// (which only reads the format): the shortest form of every integer,
// string, array and map header, floats as 64-bit.
#pragma once

#include <string>

#include "binding/binding_value.h"

namespace kel::fuzz {

std::string WriteMsgPack(const BindingValue& value);

}  // namespace kel::fuzz
