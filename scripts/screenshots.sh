#!/bin/sh
# Screenshots of the window program under Xvfb, for a person to look at: the main window, the
# time-frame dialog over a three-frame document, the window inside a host window (an xmessage
# window stands in for Horavia's) and the open dialog that an import in host mode starts with.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build; results in BUILD_DIR/screenshots)
set -eu
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
out="$build/screenshots"
program="$build/bin/DuzezErozaraDiruzidu"
preview="$build/bin/plantihoras_preview"
for f in "$program" "$preview"; do
    [ -x "$f" ] || { echo "Falta $f: compile primero (cmake --build $build -j2)." >&2; exit 1; }
done
for tool in xvfb-run xwininfo xmessage import; do
    command -v "$tool" >/dev/null || { echo "Falta $tool: sudo apt-get install xvfb xauth x11-utils imagemagick" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/horario.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO><BLOQUE_DATOS>
<grupo_datos seq="JORNADAS_ESCOLARES" registros="3">
 <grupo_datos seq="ID_1"><dato>ORDINARIA</dato><dato>Jornada ordinaria de mañana</dato><dato>01/09/2024</dato><dato>21/06/2025</dato></grupo_datos>
 <grupo_datos seq="ID_2"><dato>TARDE</dato><dato>Jornada de tarde</dato><dato>15/09/2024</dato><dato>20/06/2025</dato></grupo_datos>
 <grupo_datos seq="ID_3"><dato>INTENSIVA</dato><dato>Jornada intensiva</dato><dato>01/06/2025</dato><dato>30/06/2025</dato></grupo_datos>
</grupo_datos>
<grupo_datos seq="TRAMOS_HORARIOS" registros="5">
 <grupo_datos seq="ID_1"><dato>1</dato><dato>1ª 08:00-08:55</dato><dato>480</dato><dato>535</dato><dato>ORDINARIA</dato></grupo_datos>
 <grupo_datos seq="ID_2"><dato>2</dato><dato>2ª 08:55-09:50</dato><dato>535</dato><dato>590</dato><dato>ORDINARIA</dato></grupo_datos>
 <grupo_datos seq="ID_3"><dato>3</dato><dato>1ª 15:00-15:55</dato><dato>900</dato><dato>955</dato><dato>TARDE</dato></grupo_datos>
 <grupo_datos seq="ID_4"><dato>4</dato><dato>2ª 15:55-16:50</dato><dato>955</dato><dato>1010</dato><dato>TARDE</dato></grupo_datos>
 <grupo_datos seq="ID_5"><dato>5</dato><dato>Recreo 16:50-17:10</dato><dato>1010</dato><dato>1030</dato><dato>TARDE</dato></grupo_datos>
</grupo_datos>
</BLOQUE_DATOS></SERVICIO>
XML

# Runs inside Xvfb: starts a program, waits for its window by name, captures it, ends it.
cat > "$work/shoot.sh" <<'SH'
#!/bin/sh
set -eu
shoot() {  # shoot <png> <window name> <command...>
    png=$1; name=$2; shift 2
    "$@" >/dev/null 2>&1 &
    pid=$!
    i=0
    until id=$(xwininfo -root -tree | grep -F "\"$name\"" | awk '{print $1}' | head -n 1) && [ -n "$id" ]; do
        i=$((i + 1)); [ $i -lt 100 ] || { echo "No aparece la ventana \"$name\"" >&2; kill $pid; return 1; }
        sleep 0.1
    done
    sleep 0.5
    import -window "$id" "$png"
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
}
export QT_QPA_PLATFORM=xcb
shoot "$OUT/main-window.png" "Exportar e importar datos entre Horavia y Veltrana" "$PROGRAM"
shoot "$OUT/frame-dialog.png" "Planillas, Marcos o Jornadas Horarias" "$PREVIEW" "$WORK/horario.xml"

xmessage -name HostWindow -geometry 660x300 "Horavia" >/dev/null 2>&1 &
host_pid=$!
sleep 1
host=$(xwininfo -root -tree | grep -F '"HostWindow"' | awk '{print $1}' | head -n 1)
"$PROGRAM" abrir "${host#0x}" >/dev/null 2>&1 &
sleep 2
import -window "$host" "$OUT/host-mode.png"
kill $! 2>/dev/null || true
shoot "$OUT/open-dialog.png" "Archivo XML" "$PROGRAM" importar "${host#0x}"
kill $host_pid 2>/dev/null || true
SH
chmod +x "$work/shoot.sh"
OUT="$out" PROGRAM="$program" PREVIEW="$preview" WORK="$work" \
    xvfb-run -a -s "-screen 0 1024x768x24" "$work/shoot.sh"
echo "Capturas en $out:"
ls -1 "$out"
