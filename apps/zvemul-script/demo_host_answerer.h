// The built-in demo reservation host as the driver's answerer.
#pragma once

#include <memory>

#include "apps/zvemul-script/entry_answerer.h"

namespace zv::script {

std::unique_ptr<EntryAnswerer> MakeDemoHostAnswerer();

}  // namespace zv::script
