// The school exchange document as the runs read it: blocks by their seq value, records by
// index, fields by their position among a record's "dato" children.
#include "stores/ExchangeDocument.h"

#include "text/Clipper.h"

namespace stores {

namespace {
constexpr std::string_view kFieldElement = "dato";
constexpr std::string_view kRootElement = "SERVICIO";
constexpr std::string_view kDataSectionPath = "/SERVICIO/BLOQUE_DATOS";
constexpr std::int32_t kSchoolYearLength = 4;
}  // namespace

std::string blockPath(std::string_view seq) {
    return "/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq=\"" + std::string(seq) + "\"]/grupo_datos";
}

std::string DocumentRecord::field(std::size_t position) const {
    return position < m_fields.size() ? m_fields[position].text() : std::string();
}

std::string DocumentRecord::trimmed(std::size_t position) const { return text::AllTrim(field(position)); }

ExchangeDocument ExchangeDocument::load(const std::filesystem::path& file) {
    return ExchangeDocument(XmlDocument::load(file));
}

std::vector<DocumentRecord> ExchangeDocument::records(std::string_view seq) {
    const std::vector<XmlNode> nodes = m_document.select(blockPath(seq));
    std::vector<DocumentRecord> result;
    result.reserve(nodes.size());
    for (const XmlNode& node : nodes) result.emplace_back(node.children(kFieldElement));
    return result;
}

bool ExchangeDocument::hasRoot() const {
    const XmlNode root = m_document.documentElement();
    return root && root.name() == kRootElement;
}

std::optional<std::string> ExchangeDocument::schoolYear() {
    const XmlNode dataSection = m_document.selectSingle(kDataSectionPath);
    if (!dataSection) return std::nullopt;
    const XmlNode first = dataSection.firstChild();
    if (!first) return std::nullopt;
    return text::Left(first.text(), kSchoolYearLength);
}

}  // namespace stores
