// Empties the loaded document and builds the frame of the result around the teacher groups.
#include "import/ResultDocument.h"

namespace importrun {
namespace {

constexpr std::string_view kRootPath = "/SERVICIO";
constexpr std::string_view kDataPath = "/SERVICIO/BLOQUE_DATOS";

void emptyDocument(stores::XmlDocument& xml) {
    auto root = xml.documentElement();
    root.removeChild(root.selectSingle(kDataPath));
    xml.documentNode().removeChild(xml.selectSingle(kRootPath));
}

void appendSchoolYear(stores::XmlDocument& xml, const std::string& schoolYear) {
    auto data = xml.selectSingle(kDataPath);
    auto group = newGroup(xml, "ANNO_ACADEMICO");
    appendValue(xml, group, "C_ANNO", schoolYear);
    data.appendChild(group);
}

}  // namespace

stores::XmlNode newGroup(stores::XmlDocument& document, std::string_view seq) {
    auto group = document.createElement("grupo_datos");
    group.setAttribute("seq", seq);
    return group;
}

void appendValue(stores::XmlDocument& document, stores::XmlNode parent, std::string_view name,
                 std::string_view value) {
    auto dato = document.createElement("dato");
    dato.setAttribute("nombre_dato", name);
    dato.setText(value);
    parent.appendChild(dato);
}

stores::XmlNode rebuildDocument(stores::ExchangeDocument& document, const ResultHeader& header) {
    auto& xml = document.xml();
    emptyDocument(xml);

    auto servicio = xml.createElement("SERVICIO");
    servicio.setAttribute("modulo", "HORARIOS");
    servicio.setAttribute("tipo", "I");
    servicio.setAttribute("autor", "HORARIOS");
    servicio.setAttribute("fecha", header.fecha);
    xml.documentNode().appendChild(servicio);
    xml.selectSingle(kRootPath).appendChild(xml.createElement("BLOQUE_DATOS"));

    appendSchoolYear(xml, header.schoolYear);

    auto horarios = xml.createElement("grupo_datos");
    xml.selectSingle(kDataPath).appendChild(horarios);
    horarios.setAttribute("seq", "HORARIOS_REGULARES");
    horarios.setAttribute("registros", header.teacherCount);
    return horarios;
}

}  // namespace importrun
