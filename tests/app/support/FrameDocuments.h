// Small school documents for the frame dialog: frames (JORNADAS_ESCOLARES) and their slots
// (TRAMOS_HORARIOS), written into a test's folder.
#pragma once

#include <filesystem>
#include <string>

namespace apptest {

// Three frames: "MAÑANA" (two slots), "TARDE" (one slot), "CODIGOLARGO12" (none, a 13-character
// code); the first frame's name is long enough to wrap.
inline const char kThreeFrames[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO><BLOQUE_DATOS>
<grupo_datos seq="JORNADAS_ESCOLARES" registros="3">
 <grupo_datos seq="ID_1"><dato nombre_dato="X_JORNADA">MAÑANA</dato><dato nombre_dato="D_JORNADA">Jornada de mañana</dato><dato nombre_dato="F_INICIO">01/09/2024</dato><dato nombre_dato="F_FIN">30/06/2025</dato></grupo_datos>
 <grupo_datos seq="ID_2"><dato nombre_dato="X_JORNADA">TARDE</dato><dato nombre_dato="D_JORNADA">Tarde</dato><dato nombre_dato="F_INICIO">15/09/2024</dato><dato nombre_dato="F_FIN">20/06/2025</dato></grupo_datos>
 <grupo_datos seq="ID_3"><dato nombre_dato="X_JORNADA">CODIGOLARGO12</dato><dato nombre_dato="D_JORNADA">Intensiva</dato><dato nombre_dato="F_INICIO">01/06/2025</dato><dato nombre_dato="F_FIN">30/06/2025</dato></grupo_datos>
</grupo_datos>
<grupo_datos seq="TRAMOS_HORARIOS" registros="3">
 <grupo_datos seq="ID_1"><dato>1</dato><dato>1ª 08:00-08:55</dato><dato>480</dato><dato>535</dato><dato>MAÑANA</dato></grupo_datos>
 <grupo_datos seq="ID_2"><dato>2</dato><dato>2ª 08:55-09:50</dato><dato>535</dato><dato>590</dato><dato>MAÑANA</dato></grupo_datos>
 <grupo_datos seq="ID_3"><dato>3</dato><dato>1ª 15:00-15:55</dato><dato>900</dato><dato>955</dato><dato>TARDE</dato></grupo_datos>
</grupo_datos>
</BLOQUE_DATOS></SERVICIO>
)";

inline const char kOneFrame[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO><BLOQUE_DATOS>
<grupo_datos seq="JORNADAS_ESCOLARES" registros="1">
 <grupo_datos seq="ID_1"><dato>UNICA</dato><dato>Jornada</dato><dato>01/09/2024</dato><dato>30/06/2025</dato></grupo_datos>
</grupo_datos>
</BLOQUE_DATOS></SERVICIO>
)";

}  // namespace apptest
