// The desktop work area (screen minus task bar) that window places and
// settings defaults are made from.
#pragma once
#include <windows.h>

#include "settings_file.h"

namespace suite {

inline WorkArea CurrentWorkArea() {
    RECT r = {0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return WorkArea{r.left, r.top, r.right, r.bottom};
}

}  // namespace suite
