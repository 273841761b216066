// The page objects of the system.
#pragma once

#include <memory>

#include "frame/page_object.h"

namespace ravadid {

std::shared_ptr<const PageRegistry> makeStandardPages();

}  // namespace ravadid
