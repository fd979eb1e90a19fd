// The school exchange document as the runs read it: blocks selected by their seq value,
// records visited by index, fields by their position among a record's "dato" children.
#pragma once

#include "stores/XmlDocument.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stores {

namespace blocks {
inline constexpr std::string_view MATERIAS = "MATERIAS";
inline constexpr std::string_view ACTIVIDADES = "ACTIVIDADES";
inline constexpr std::string_view EMPLEADOS = "EMPLEADOS";
inline constexpr std::string_view DEPENDENCIAS = "DEPENDENCIAS";
inline constexpr std::string_view CURSOS_DEL_CENTRO = "CURSOS_DEL_CENTRO";
inline constexpr std::string_view UNIDADES = "UNIDADES";
inline constexpr std::string_view JORNADAS_ESCOLARES = "JORNADAS_ESCOLARES";
inline constexpr std::string_view TRAMOS_HORARIOS = "TRAMOS_HORARIOS";
}  // namespace blocks

// /SERVICIO/BLOQUE_DATOS/grupo_datos[@seq="<seq>"]/grupo_datos
std::string blockPath(std::string_view seq);

// One record: its "dato" children, in document order.
class DocumentRecord {
public:
    explicit DocumentRecord(std::vector<XmlNode> fields) : m_fields(std::move(fields)) {}

    std::size_t fieldCount() const { return m_fields.size(); }
    // The steps that build codes use a record only when it has two or more fields.
    bool isUsed() const { return m_fields.size() >= 2; }
    // The field's text in cp1252, untrimmed; a position the record lacks reads as "".
    std::string field(std::size_t position) const;
    // The same, trimmed with AllTrim.
    std::string trimmed(std::size_t position) const;

private:
    std::vector<XmlNode> m_fields;
};

class ExchangeDocument {
public:
    explicit ExchangeDocument(XmlDocument document) : m_document(std::move(document)) {}
    static ExchangeDocument load(const std::filesystem::path& file);

    // The records of every block whose seq is exactly `seq`, in document order.
    std::vector<DocumentRecord> records(std::string_view seq);

    bool hasRoot() const;  // the document element is SERVICIO

    // The first four characters (or fewer) of the text of the first child of
    // /SERVICIO/BLOQUE_DATOS; nothing is trimmed. Nothing when the document has no such node
    // or the node has no child.
    std::optional<std::string> schoolYear();

    XmlDocument& xml() { return m_document; }

private:
    XmlDocument m_document;
};

}  // namespace stores
