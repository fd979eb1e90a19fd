// Every table the converter touches, written down once: names, field layouts, the files each
// step deletes before it writes, and the settings of the window's table components.
#pragma once

#include "stores/dbf/Table.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace stores {

namespace tables {
inline constexpr std::string_view ASIGNOMT = "ASIGNOMT";
inline constexpr std::string_view PROFT = "PROFT";
inline constexpr std::string_view AULAT = "AULAT";
inline constexpr std::string_view CURSOST = "CURSOST";
inline constexpr std::string_view GRUPOST = "GRUPOST";
inline constexpr std::string_view ASIGT = "ASIGT";
inline constexpr std::string_view DIASHORAST = "DIASHORAST";
inline constexpr std::string_view DIASHORAST2 = "DIASHORAST2";
inline constexpr std::string_view PERIODOS = "PERIODOS";
inline constexpr std::string_view SOLUC = "SOLUC";
inline constexpr std::string_view NIVELEX = "NIVELEX";
inline constexpr std::string_view JORNADAS = "JORNADAS";  // only ever deleted
}  // namespace tables

namespace fields {
// ASIGNOMT
inline constexpr std::string_view COD = "COD";
inline constexpr std::string_view CODLARGO = "CODLARGO";
inline constexpr std::string_view NOMBRE = "NOMBRE";
inline constexpr std::string_view MATERIA = "MATERIA";
inline constexpr std::string_view CODTAREA = "CODTAREA";
inline constexpr std::string_view ESTAREA = "ESTAREA";
// PROFT
inline constexpr std::string_view ABREV = "ABREV";
inline constexpr std::string_view DEPART = "DEPART";
inline constexpr std::string_view EMAIL = "EMAIL";
inline constexpr std::string_view DNI = "DNI";
inline constexpr std::string_view X_EMPLEADO = "X_EMPLEADO";
inline constexpr std::string_view F_TOMAPOS = "F_TOMAPOS";
// AULAT
inline constexpr std::string_view EDIFICIO = "EDIFICIO";
inline constexpr std::string_view MAXALUM = "MAXALUM";
inline constexpr std::string_view DEPCENTRO = "DEPCENTRO";
// CURSOST, GRUPOST
inline constexpr std::string_view TURNO = "TURNO";
inline constexpr std::string_view NIVEL = "NIVEL";
inline constexpr std::string_view CURSO = "CURSO";
inline constexpr std::string_view CLAVE = "CLAVE";
inline constexpr std::string_view ESTUD = "ESTUD";
inline constexpr std::string_view GRUPO = "GRUPO";
inline constexpr std::string_view DESCRIP = "DESCRIP";
inline constexpr std::string_view MARCO = "MARCO";
inline constexpr std::string_view CLAVECURSO = "CLAVECURSO";
// ASIGT
inline constexpr std::string_view CASIG = "CASIG";
inline constexpr std::string_view CPROF = "CPROF";
inline constexpr std::string_view CGRUP = "CGRUP";
inline constexpr std::string_view CAULA = "CAULA";
inline constexpr std::string_view HORAS = "HORAS";
inline constexpr std::string_view SESIONES = "SESIONES";
inline constexpr std::string_view NCONEX = "NCONEX";
inline constexpr std::string_view CTAREA = "CTAREA";
// DIASHORAST, DIASHORAST2
inline constexpr std::string_view DIHO = "DIHO";
inline constexpr std::string_view CODDIHO = "CODDIHO";
inline constexpr std::string_view DIA = "DIA";
inline constexpr std::string_view TEXTODIA = "TEXTODIA";
inline constexpr std::string_view HORA = "HORA";
inline constexpr std::string_view TEXTOHOR = "TEXTOHOR";
inline constexpr std::string_view HORADESDE = "HORADESDE";
inline constexpr std::string_view HORAHASTA = "HORAHASTA";
inline constexpr std::string_view MINUTOS = "MINUTOS";
inline constexpr std::string_view MARCOXML = "MARCOXML";
inline constexpr std::string_view ORDEN = "ORDEN";
// PERIODOS
inline constexpr std::string_view CJORNADA = "CJORNADA";
inline constexpr std::string_view JORNADA = "JORNADA";
inline constexpr std::string_view FECINI = "FECINI";
inline constexpr std::string_view FECFIN = "FECFIN";
// SOLUC
inline constexpr std::string_view PROF = "PROF";
inline constexpr std::string_view ASIG = "ASIG";
inline constexpr std::string_view CODGRUPO = "CODGRUPO";
inline constexpr std::string_view TAREA = "TAREA";
inline constexpr std::string_view AULA = "AULA";
// NIVELEX
inline constexpr std::string_view X_OFERTAMATRIG = "X_OFERTAMATRIG";
inline constexpr std::string_view NIVEL_ABREV = "NIVEL_ABREV";
inline constexpr std::string_view ESTUDIO = "ESTUDIO";
}  // namespace fields

// The layout of one of the nine exchange tables, by name (tables::ASIGNOMT ...).
const dbf::TableDef& exchangeTable(std::string_view table);

// The nine exchange tables in the order an export run creates them.
const std::vector<std::string_view>& exchangeTablesInCreationOrder();

// The files of a table that are deleted, in this order and each only if present, before the
// table is created anew: "X.DBF" then "X.MDX". PERIODOS has none (its creation replaces it).
std::vector<std::string> filesDeletedFirst(std::string_view table);

// Deletes those files in `dir` (any letter case).
void deleteTableFiles(const std::filesystem::path& dir, std::string_view table);

// Creates the exchange table anew in `dir` from its layout (replacing it), left closed.
void createExchangeTable(const std::filesystem::path& dir, std::string_view table);

// The main window's table components: which table each opens, and whether exclusively.
struct TableComponent {
    std::string_view component;  // "wwTableNomAsg"
    std::string_view table;      // "ASIGNOMT"
    bool exclusive;
};
// In the order the import run opens them (SOLUC first) and then wwTableNIVELEX.
const std::vector<TableComponent>& tableComponents();

// The reference table that comes with the program: "NIVELEX.DBF" in the program folder.
inline constexpr std::string_view kReferenceTableFile = "NIVELEX.DBF";

}  // namespace stores
