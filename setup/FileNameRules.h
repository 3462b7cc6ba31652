#pragma once

#include <string>
#include <vector>

namespace discdeck {

// File names inside a cabinet (and the program name in the trailer) come from the package, which
// may be damaged or hostile: each must name a plain file in the target directory and nothing else.
// Names are UTF-8. The rules of the Windows file system stand in FileNameRules.def, which the
// package builder reads too.

// True for a name that is a plain file name: not empty, not "." or "..", no path separators or drive
// colon, no control characters or <>"|?*, no trailing dot or space, no reserved device name.
bool IsPlainFileName(const std::string& name);

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-COM9, LPT1-LPT9 (and COM or LPT with a superscript
// digit), in any case, with or without an extension: opening such a name reaches the device.
bool IsReservedDeviceName(const std::string& name);

// The name with ASCII letters in upper case: two names the file system takes for the same file fold
// to the same text. Other letters stay as they are.
std::string FoldedFileName(const std::string& name);

// The name with control characters shown as \xNN, for error texts.
std::string PrintableName(const std::string& name);

}  // namespace discdeck
