#pragma once

#include "ports/win/WideText.h"

namespace discdeck::fw {

// UTF-8 to and from the wide text of the W-suffixed Win32 functions.
using discdeck::Utf8FromWide;
using discdeck::Widen;

}  // namespace discdeck::fw
