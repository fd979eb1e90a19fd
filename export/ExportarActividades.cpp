// Second step: the activities that are not subjects, appended to the ASIGNOMT of the first step
// with the code Veltrana gives them.
#include "export/ExportSteps.h"

#include "stores/TableCatalogue.h"
#include "text/Clipper.h"

namespace exportrun {

void ExportarActividades(ExportContext& context) {
    using namespace stores::fields;
    auto records = context.document.records(stores::blocks::ACTIVIDADES);
    auto table = stores::dbf::Table::open(context.exchangeDir, "ASIGNOMT.DBF");
    for (const auto& record : records) {
        if (!record.isUsed()) continue;
        const std::string name = record.trimmed(2);
        const std::string code = record.trimmed(1);
        table.append();
        table.setText(COD, code);
        table.setText(CODLARGO, text::Left(name, 8));
        table.setText(NOMBRE, name);
        table.setText(CODTAREA, code);
        table.setLogical(ESTAREA, true);
        table.post();
    }
    table.close();
    // The subject lists serve the subject step of this run only.
    context.codigosUsados = UsedCodes(UsedCodes::LetterCase::Counts);
    context.nombresUsados.clear();
}

}  // namespace exportrun
