// The machine the program runs on.
#pragma once

#include "platform/machine.h"

#include <memory>

namespace qnb::win32 {

std::unique_ptr<Machine> OpenRealMachine();

}  // namespace qnb::win32
