// The rows of this family come with its pages (see config/MeasurementPages.cpp for the shape
// of a row).

#include "config/PageFamilies.h"

namespace flowcfg {

std::span<const PageDefinition> sensorPages() {
    return {};
}

} // namespace flowcfg
