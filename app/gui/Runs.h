// The two conversion runs as the window starts them. The program's implementation calls the
// export and import runs on the exchange directory; tests may script outcomes instead.
#pragma once

#include "export/ExportRun.h"
#include "stores/RunFrontEnd.h"

#include <filesystem>

namespace app {

class Runs {
public:
    virtual ~Runs() = default;
    // `document` is ArchivoXML (possibly empty). Failures are thrown (stores::RunError).
    virtual stores::RunOutcome exportRun(const std::filesystem::path& document,
                                         exportrun::FrontEnd& frontEnd) = 0;
    virtual stores::RunOutcome importRun(const std::filesystem::path& document,
                                         stores::RunFrontEnd& frontEnd) = 0;
};

}  // namespace app
