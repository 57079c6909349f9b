// Resource ids of Quorrel: the shared icons and warning sound; its windows
// build their controls in code.
#pragma once

#include "common/suite_resources.h"
