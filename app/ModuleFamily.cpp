#include "app/ModuleFamily.h"

namespace corvane {

char ModuleFamily[3] = {};

}  // namespace corvane
