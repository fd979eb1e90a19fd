// The runs the window starts: the export and import runs on Horavia's exchange directory.
#pragma once

#include "app/gui/Runs.h"

#include <filesystem>
#include <optional>

namespace app {

class CoreRuns : public Runs {
public:
    // Unless given, the exchange directory is stores::defaultExchangeDir() and the reference
    // table is NIVELEX.DBF in the program folder, both looked up at every run.
    explicit CoreRuns(std::optional<std::filesystem::path> referenceTable = std::nullopt)
        : m_referenceTable(std::move(referenceTable)) {}

    stores::RunOutcome exportRun(const std::filesystem::path& document,
                                 exportrun::FrontEnd& frontEnd) override;
    stores::RunOutcome importRun(const std::filesystem::path& document,
                                 stores::RunFrontEnd& frontEnd) override;

private:
    std::optional<std::filesystem::path> m_referenceTable;
};

}  // namespace app
