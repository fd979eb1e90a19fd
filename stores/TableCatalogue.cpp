// The layouts of the exchange tables, as Horavia expects them: names, order, types, widths.
#include "stores/TableCatalogue.h"

#include "stores/Files.h"
#include "stores/RunError.h"

#include <map>
#include <string>

namespace stores {
namespace {

using dbf::FieldDef;
using dbf::FieldType;
using dbf::TableDef;

FieldDef chr(std::string_view name, int width) {
    return {std::string(name), FieldType::Character, width};
}
FieldDef logical(std::string_view name) { return {std::string(name), FieldType::Logical, 0}; }
FieldDef integer(std::string_view name) { return {std::string(name), FieldType::Integer, 0}; }
FieldDef flt(std::string_view name) { return {std::string(name), FieldType::Float, 0}; }

TableDef table(std::string_view name, std::vector<FieldDef> fieldDefs) {
    return {std::string(name) + ".DBF", std::move(fieldDefs), {}, dbf::TableLevel::DBase4};
}

std::vector<FieldDef> diashorastFields() {
    using namespace fields;
    return {chr(DIHO, 10),     chr(CODDIHO, 10),  chr(DIA, 20),       chr(TEXTODIA, 20),
            chr(HORA, 8),      chr(TEXTOHOR, 15), chr(HORADESDE, 8),  chr(HORAHASTA, 8),
            chr(MINUTOS, 8),   chr(MARCO, 1),     chr(MARCOXML, 10)};
}

std::map<std::string_view, TableDef> buildLayouts() {
    using namespace fields;
    std::map<std::string_view, TableDef> layouts;
    layouts[tables::ASIGNOMT] = table(tables::ASIGNOMT,
        {chr(COD, 10), chr(CODLARGO, 10), chr(NOMBRE, 80), chr(MATERIA, 8), chr(CODTAREA, 12),
         logical(ESTAREA)});
    layouts[tables::PROFT] = table(tables::PROFT,
        {chr(ABREV, 10), chr(NOMBRE, 80), chr(DEPART, 40), chr(EMAIL, 100), integer(DNI),
         chr(X_EMPLEADO, 10), chr(F_TOMAPOS, 10)});
    layouts[tables::AULAT] = table(tables::AULAT,
        {chr(ABREV, 10), chr(NOMBRE, 80), chr(EDIFICIO, 1), integer(MAXALUM), chr(DEPCENTRO, 10)});
    layouts[tables::CURSOST] = table(tables::CURSOST,
        {chr(ABREV, 10), chr(TURNO, 1), chr(NIVEL, 5), chr(CURSO, 3), chr(CLAVE, 10),
         chr(ESTUD, 80)});
    layouts[tables::GRUPOST] = table(tables::GRUPOST,
        {chr(ABREV, 10), chr(TURNO, 1), chr(NIVEL, 5), chr(CURSO, 3), chr(GRUPO, 2),
         chr(DESCRIP, 80), chr(MARCO, 1), chr(CLAVE, 10), chr(CLAVECURSO, 10)});
    layouts[tables::ASIGT] = table(tables::ASIGT,
        {chr(CASIG, 10), chr(CPROF, 10), chr(CGRUP, 10), chr(CAULA, 10), chr(TURNO, 1),
         chr(NIVEL, 5), chr(CURSO, 3), chr(GRUPO, 2), flt(HORAS), chr(SESIONES, 20),
         chr(NCONEX, 4), chr(CLAVE, 10), chr(CLAVECURSO, 10), chr(CTAREA, 10)});
    layouts[tables::DIASHORAST] = table(tables::DIASHORAST, diashorastFields());
    auto grid2 = diashorastFields();
    grid2.push_back(integer(ORDEN));
    layouts[tables::DIASHORAST2] = table(tables::DIASHORAST2, std::move(grid2));
    layouts[tables::DIASHORAST2].indexes.push_back({std::string(ORDEN), std::string(ORDEN)});
    layouts[tables::PERIODOS] = table(tables::PERIODOS,
        {chr(CJORNADA, 10), chr(JORNADA, 40), chr(FECINI, 10), chr(FECFIN, 10)});
    return layouts;
}

const std::map<std::string_view, TableDef>& layouts() {
    static const auto all = buildLayouts();
    return all;
}

}  // namespace

const dbf::TableDef& exchangeTable(std::string_view table) {
    const auto found = layouts().find(table);
    if (found == layouts().end())
        throw RunError("La tabla " + std::string(table) + " no es una tabla de intercambio.");
    return found->second;
}

const std::vector<std::string_view>& exchangeTablesInCreationOrder() {
    static const std::vector<std::string_view> order = {
        tables::ASIGNOMT, tables::PROFT,      tables::AULAT,       tables::CURSOST,
        tables::GRUPOST,  tables::ASIGT,      tables::DIASHORAST,  tables::DIASHORAST2,
        tables::PERIODOS};
    return order;
}

std::vector<std::string> filesDeletedFirst(std::string_view table) {
    exchangeTable(table);
    if (table == tables::PERIODOS) return {};
    return {std::string(table) + ".DBF", std::string(table) + ".MDX"};
}

void deleteTableFiles(const std::filesystem::path& dir, std::string_view table) {
    for (const auto& file : filesDeletedFirst(table)) deleteFileIgnoringCase(dir, file);
}

void createExchangeTable(const std::filesystem::path& dir, std::string_view table) {
    dbf::Table::create(dir, exchangeTable(table));
}

const std::vector<TableComponent>& tableComponents() {
    static const std::vector<TableComponent> components = {
        {"wwTableSoluc", tables::SOLUC, true},      {"wwTableGrupos", tables::GRUPOST, true},
        {"wwTableCursos", tables::CURSOST, true},   {"wwTableProfesor", tables::PROFT, true},
        {"wwTableAulas", tables::AULAT, true},      {"wwTableNomAsg", tables::ASIGNOMT, true},
        {"wwTableTramos", tables::DIASHORAST, true}, {"wwTableAsig", tables::ASIGT, true},
        {"wwTableNIVELEX", tables::NIVELEX, false}};
    return components;
}

}  // namespace stores
