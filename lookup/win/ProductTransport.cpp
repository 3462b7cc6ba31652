#include "lookup/win/ProductTransport.h"

#include "lookup/win/Win32WorkerRunner.h"
#include "lookup/win/WinInetHttpGet.h"

namespace discdeck {

std::unique_ptr<CddbTransport> CreateProductTransport(const std::string& applicationName) {
    return std::make_unique<CddbTransport>(std::make_shared<WinInetHttpGet>(applicationName),
                                           std::make_unique<Win32WorkerRunner>());
}

}  // namespace discdeck
