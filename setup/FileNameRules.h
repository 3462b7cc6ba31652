#pragma once

#include <string>
#include <vector>

namespace discdeck {

// File names inside a cabinet (and the program name in the trailer) come from the package, which
// may be damaged or hostile: each must name a plain file in the target directory and nothing else.
// Rules of the Windows file system:
// https://learn.microsoft.com/windows/win32/fileio/naming-a-file

// True for a name that is a plain file name: not empty, not "." or "..", no path separators or drive
// colon, no control characters or <>"|?*, no trailing dot or space, no reserved device name.
bool IsPlainFileName(const std::string& name);

// CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (and CONIN$, CONOUT$), in any case, with or without an
// extension: opening such a name reaches the device, not a file.
bool IsReservedDeviceName(const std::string& name);

// The name with ASCII letters in upper case: two names the file system takes for the same file fold
// to the same text. Bytes above 127 depend on the code page and stay as they are.
std::string FoldedFileName(const std::string& name);

// The name with control characters shown as \xNN, for error texts.
std::string PrintableName(const std::string& name);

}  // namespace discdeck
