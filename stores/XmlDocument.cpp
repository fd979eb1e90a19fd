// The XML document service over libxml2: a guarded load (no network, no entities, size and
// depth limits), XPath selection, cp1252 text at every read and write, and a replacing save.
#include "stores/XmlDocument.h"

#include "stores/ReplacingFile.h"
#include "stores/RunError.h"
#include "text/Cp1252.h"

#include <libxml/SAX2.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace stores {
namespace {

// libxml2 refuses longer attribute values itself, but a text delivered in one piece escapes its
// check; the same limit is applied to text here.
constexpr std::size_t kMaxTextBytes = XML_MAX_TEXT_LENGTH;
constexpr std::size_t kMaxCachedPaths = 64;
// Saved documents are indented by depth; a frozen element is laid out the same way.
constexpr bool kIndentSaved = true;

const xmlChar* xml(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }
const char* chars(const xmlChar* s) { return reinterpret_cast<const char*>(s); }


struct Cp1252Table {
    std::array<std::string, 256> utf8;         // byte -> UTF-8
    std::unordered_map<std::uint32_t, unsigned char> bytes;  // code point of 0x80..0x9F -> byte
};

const Cp1252Table& cp1252Table() {
    static const Cp1252Table table = [] {
        Cp1252Table t;
        for (int b = 0; b < 256; ++b) {
            t.utf8[b] = text::utf8FromCp1252(std::string(1, static_cast<char>(b)));
            if (b >= 0x80 && b < 0xA0) {
                const auto& u = t.utf8[b];
                const std::uint32_t cp = u.size() == 2
                    ? ((u[0] & 0x1Fu) << 6) | (u[1] & 0x3Fu)
                    : ((u[0] & 0x0Fu) << 12) | ((u[1] & 0x3Fu) << 6) | (u[2] & 0x3Fu);
                t.bytes[cp] = static_cast<unsigned char>(b);
            }
        }
        return t;
    }();
    return table;
}

// Converts as much as fits; every byte has a character, so this never fails.
int decodeCp1252(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    if (in == nullptr) { *outlen = 0; *inlen = 0; return 0; }
    const auto& table = cp1252Table().utf8;
    int i = 0, o = 0;
    for (; i < *inlen; ++i) {
        const std::string& u = table[in[i]];
        if (o + static_cast<int>(u.size()) > *outlen) break;
        std::memcpy(out + o, u.data(), u.size());
        o += static_cast<int>(u.size());
    }
    *inlen = i;
    *outlen = o;
    return o;
}

// Stops with -2 at a character cp1252 lacks; libxml2 then writes it as a character reference.
int encodeCp1252(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    if (in == nullptr) { *outlen = 0; *inlen = 0; return 0; }
    const auto& high = cp1252Table().bytes;
    int i = 0, o = 0;
    while (i < *inlen && o < *outlen) {
        const unsigned char lead = in[i];
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (i + length > *inlen) break;
        std::uint32_t cp = length == 1 ? lead : lead & (0x7Fu >> length);
        for (int k = 1; k < length; ++k) cp = (cp << 6) | (in[i + k] & 0x3Fu);
        int byte = -1;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) byte = static_cast<int>(cp);
        else if (const auto it = high.find(cp); it != high.end()) byte = it->second;
        if (byte < 0) { *inlen = i; *outlen = o; return -2; }
        out[o++] = static_cast<unsigned char>(byte);
        i += length;
    }
    *inlen = i;
    *outlen = o;
    return o;
}

xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

void prepareLibrary() {
    static const bool ready = [] {
        xmlInitParser();
        cp1252Table();
        // Registers itself; registering it a second time would corrupt libxml2's table.
        xmlNewCharEncodingHandler("windows-1252", decodeCp1252, encodeCp1252);
        xmlAddEncodingAlias("windows-1252", "CP1252");
        xmlSetExternalEntityLoader(refuseExternalEntity);
        return true;
    }();
    (void)ready;
}


// The first error met while the scope below is active; later ones are mostly its consequences.
struct FirstError {
    bool set = false;
    int line = 0;
    int column = 0;
    std::string phrase;

    void keep(int l, int c, std::string p) {
        if (set) return;
        set = true;
        line = l;
        column = c;
        phrase = std::move(p);
    }
};

std::string orEmpty(const char* s) { return s ? std::string(s) : std::string(); }

bool contains(const char* haystack, const char* needle) {
    return haystack != nullptr && std::strstr(haystack, needle) != nullptr;
}

std::string englishMessage(const xmlError& e) {
    std::string m = orEmpty(e.message);
    while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
    return m;
}

// The user reads Spanish; libxml2's English text stays as the fallback for rare errors.
std::string spanishPhrase(const xmlError& e) {
    const std::string s1 = orEmpty(e.str1), s2 = orEmpty(e.str2);
    switch (e.code) {
    case XML_ERR_INTERNAL_ERROR:
        if (contains(e.message, "Excessive depth"))
            return "los elementos se anidan en más de " + std::to_string(e.int1) + " niveles";
        break;
    case XML_ERR_NO_MEMORY:
        if (contains(e.message, "huge text node"))
            return "un texto pasa de " + std::to_string(kMaxTextBytes) + " bytes";
        return "no hay memoria suficiente para leerlo";
    case XML_ERR_DOCUMENT_EMPTY:
        // libxml2 uses this code also for content that does not start with an element.
        if (contains(e.message, "Start tag expected"))
            return "no empieza con un elemento XML (falta '<')";
        return "el documento está vacío";
    case XML_ERR_DOCUMENT_END: return "hay contenido después del final del elemento raíz";
    case XML_ERR_INVALID_CHAR:
        if (s1.rfind("Bytes:", 0) == 0)
            return "el texto no está en UTF-8; la declaración XML debe indicar su codificación";
        if (e.int1 > 0) return "carácter no permitido (código " + std::to_string(e.int1) + ")";
        return "carácter no permitido";
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY: return "la entidad &" + s1 + "; no está definida";
    case XML_ERR_UNSUPPORTED_ENCODING: return "la codificación " + s1 + " no está admitida";
    case XML_ERR_LT_IN_ATTRIBUTE: return "un valor de atributo contiene '<'";
    case XML_ERR_ATTRIBUTE_NOT_STARTED: return "falta la comilla al principio de un valor de atributo";
    case XML_ERR_ATTRIBUTE_NOT_FINISHED:
        if (contains(e.message, "too long"))
            return "un valor de atributo pasa de " + std::to_string(kMaxTextBytes) + " bytes";
        return "falta la comilla al final de un valor de atributo";
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE: return "el atributo " + s1 + " no tiene valor";
    case XML_ERR_ATTRIBUTE_REDEFINED: return "el atributo " + s1 + " está repetido";
    case XML_ERR_COMMENT_NOT_FINISHED: return "un comentario no está cerrado";
    case XML_ERR_CDATA_NOT_FINISHED:
        if (contains(e.message, "too big"))
            return "una sección CDATA pasa de " + std::to_string(kMaxTextBytes) + " bytes";
        return "una sección CDATA no está cerrada";
    case XML_ERR_RESERVED_XML_NAME: return "la declaración XML solo puede ir al principio del archivo";
    case XML_ERR_NAME_REQUIRED:
        if (contains(e.message, "EntityRef"))
            return "un carácter & no empieza ninguna referencia (escríbalo como &amp;)";
        return "falta un nombre de elemento válido";
    case XML_ERR_GT_REQUIRED: return "la etiqueta de apertura <" + s1 + "> no termina con '>'";
    case XML_ERR_TAG_NAME_MISMATCH:
        return "la etiqueta de cierre </" + s2 + "> no corresponde a <" + s1 + "> (abierta en la línea " +
               std::to_string(e.int1) + ")";
    case XML_ERR_TAG_NOT_FINISHED:
        return "el archivo termina sin cerrar la etiqueta <" + s1 + "> (abierta en la línea " +
               std::to_string(e.int1) + ")";
    case XML_ERR_ENTITY_LOOP: return "las referencias de entidad forman un bucle";
    case XML_NS_ERR_UNDEFINED_NAMESPACE: return "el prefijo de espacio de nombres " + s1 + " no está declarado";
    case XML_ERR_INVALID_ENCODING:
    case XML_I18N_CONV_FAILED: return "el contenido no corresponde a la codificación declarada";
    case XML_XPATH_EXPR_ERROR: return "la expresión no es válida";
    case XML_XPATH_UNKNOWN_FUNC_ERROR: return "función desconocida";
    case XML_XPATH_UNDEF_VARIABLE_ERROR: return "variable no definida";
    case XML_XPATH_UNFINISHED_LITERAL_ERROR: return "falta cerrar un texto entre comillas";
    case XML_XPATH_INVALID_PREDICATE_ERROR: return "condición entre corchetes no válida";
    case XML_XPATH_UNDEF_PREFIX_ERROR: return "prefijo de espacio de nombres no declarado";
    default: break;
    }
    return englishMessage(e);
}

void keepFirstError(void* sink, xmlErrorPtr e) {
    if (e == nullptr || e->level < XML_ERR_ERROR) return;
    static_cast<FirstError*>(sink)->keep(e->line, e->int2, spanishPhrase(*e));
}

void ignoreGenericError(void*, const char*, ...) {}

// While alive, every libxml2 error of this thread goes to `sink`, and nothing reaches stderr.
class ErrorScope {
public:
    explicit ErrorScope(FirstError& sink)
        : m_structured(xmlStructuredError), m_structuredContext(xmlStructuredErrorContext),
          m_generic(xmlGenericError), m_genericContext(xmlGenericErrorContext) {
        xmlSetStructuredErrorFunc(&sink, keepFirstError);
        xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
    }
    ~ErrorScope() {
        xmlSetStructuredErrorFunc(m_structuredContext, m_structured);
        xmlSetGenericErrorFunc(m_genericContext, m_generic);
    }
    ErrorScope(const ErrorScope&) = delete;
    ErrorScope& operator=(const ErrorScope&) = delete;

private:
    xmlStructuredErrorFunc m_structured;
    void* m_structuredContext;
    xmlGenericErrorFunc m_generic;
    void* m_genericContext;
};

RunError notValid(const std::filesystem::path& file, const FirstError& e) {
    std::string where;
    if (e.line > 0)
        where = " (línea " + std::to_string(e.line) + ", columna " + std::to_string(e.column) + ")";
    return RunError("El archivo XML " + file.string() + " no es válido" + where + ": " + e.phrase);
}

[[noreturn]] void outOfMemory() { throw RunError("No hay memoria suficiente para el documento XML"); }

template <typename T>
T* made(T* p) {
    if (p == nullptr) outOfMemory();
    return p;
}


std::string readWholeFile(const std::filesystem::path& file) {
    const auto fail = [&](int error) {
        return RunError("No se puede leer el archivo XML " + file.string() + ": " + systemErrorText(error));
    };
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw fail(errno);
    const auto tooLarge = [&] {
        ::close(fd);
        return RunError("No se puede leer el archivo XML " + file.string() + ": es demasiado grande");
    };
    std::string bytes;
    if (struct stat info {}; ::fstat(fd, &info) == 0 && info.st_size > 0) {
        if (info.st_size > INT_MAX) throw tooLarge();
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    std::array<char, 1 << 16> chunk;
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) { const int error = errno; ::close(fd); throw fail(error); }
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > INT_MAX) throw tooLarge();  // xmlCtxtReadMemory's limit
        bytes.append(chunk.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

FirstError& loadProblem(void* parserContext) {
    return *static_cast<FirstError*>(static_cast<xmlParserCtxtPtr>(parserContext)->_private);
}

void refuse(void* parserContext, std::string phrase) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(parserContext);
    const int line = ctxt->input ? ctxt->input->line : 0;
    const int column = ctxt->input ? ctxt->input->col : 0;
    loadProblem(ctxt).keep(line, column, std::move(phrase));
    xmlStopParser(ctxt);
}

// Entities are how documents reach for outside files and blow up in memory; school documents
// never declare any, so the first declaration stops the load.
void refuseEntity(void* ctxt, const xmlChar* name, int, const xmlChar*, const xmlChar*, xmlChar*) {
    refuse(ctxt, "declara la entidad " + orEmpty(chars(name)) + ", y no se admiten entidades");
}

void refuseUnparsedEntity(void* ctxt, const xmlChar* name, const xmlChar*, const xmlChar*, const xmlChar*) {
    refuseEntity(ctxt, name, 0, nullptr, nullptr, nullptr);
}

bool textTooLong(void* parserContext, int len, xmlElementType type) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(parserContext);
    const xmlNode* last = ctxt->node ? ctxt->node->last : nullptr;
    const std::size_t pending = last && last->type == type ? static_cast<std::size_t>(ctxt->nodelen) : 0;
    if (pending + static_cast<std::size_t>(len) <= kMaxTextBytes) return false;
    refuse(ctxt, "un texto pasa de " + std::to_string(kMaxTextBytes) + " bytes");
    return true;
}

void limitedCharacters(void* ctxt, const xmlChar* ch, int len) {
    if (!textTooLong(ctxt, len, XML_TEXT_NODE)) xmlSAX2Characters(ctxt, ch, len);
}

void limitedCData(void* ctxt, const xmlChar* ch, int len) {
    if (!textTooLong(ctxt, len, XML_CDATA_SECTION_NODE)) xmlSAX2CDataBlock(ctxt, ch, len);
}

bool isBlank(const xmlChar* s) {
    if (s == nullptr) return true;
    for (; *s; ++s)
        if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') return false;
    return true;
}

// The next node in document order that is not below `node`, or nullptr.
xmlNodePtr nextOutside(xmlNodePtr node) {
    while (node->next == nullptr) {
        node = node->parent;
        if (node == nullptr || node->type == XML_DOCUMENT_NODE) return nullptr;
    }
    return node->next;
}

// Whitespace between elements is layout, not data. libxml2's blank option keeps it in leaf
// elements, so every text node of blanks goes here; CDATA sections stay. No recursion: a
// document may be deep.
void dropBlankText(xmlDocPtr doc) {
    xmlNodePtr node = doc->children;
    while (node != nullptr) {
        const bool descend = node->type == XML_ELEMENT_NODE && node->children != nullptr;
        xmlNodePtr next = descend ? node->children : nextOutside(node);
        if (node->type == XML_TEXT_NODE && isBlank(node->content)) {
            xmlUnlinkNode(node);
            xmlFreeNode(node);
        }
        node = next;
    }
}

struct DocFree { void operator()(xmlDocPtr d) const { xmlFreeDoc(d); } };
struct ParserFree { void operator()(xmlParserCtxtPtr c) const { xmlFreeParserCtxt(c); } };

std::unique_ptr<xmlDoc, DocFree> parse(const std::filesystem::path& file, const std::string& bytes) {
    FirstError problem;
    ErrorScope scope(problem);
    std::unique_ptr<xmlParserCtxt, ParserFree> ctxt(made(xmlNewParserCtxt()));
    ctxt->_private = &problem;
    ctxt->sax->entityDecl = refuseEntity;
    ctxt->sax->unparsedEntityDecl = refuseUnparsedEntity;
    ctxt->sax->characters = limitedCharacters;
    ctxt->sax->cdataBlock = limitedCData;
    std::unique_ptr<xmlDoc, DocFree> doc(xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()),
                                                           file.c_str(), nullptr,
                                                           XML_PARSE_NONET | XML_PARSE_NOBLANKS));
    if (!problem.set && doc == nullptr) problem.keep(0, 0, "no se ha podido leer");
    if (!problem.set && doc->intSubset && (doc->intSubset->entities || doc->intSubset->pentities))
        problem.keep(0, 0, "declara entidades, y no se admiten entidades");
    if (problem.set) throw notValid(file, problem);
    return doc;
}


// Marks kept in a node's _private, which libxml2 leaves to its user: a frozen element, and an
// element that holds one, with the layout that save gives its children (see XmlNode::freeze).
char frozenMark;
char holdsFrozenIndentedMark;
char holdsFrozenFlatMark;

bool isFrozen(const xmlNode* node) { return node->_private == &frozenMark; }

std::string qualifiedName(const xmlNode* element) {
    std::string name = element->ns && element->ns->prefix ? chars(element->ns->prefix) + std::string(":") : "";
    return name + chars(element->name);
}

xmlNodePtr nodeOf(void* handle) {
    if (handle == nullptr) throw RunError("Error interno: se ha usado un nodo XML inexistente");
    auto node = static_cast<xmlNodePtr>(handle);
    if (isFrozen(node))
        throw RunError("Error interno: el elemento XML <" + qualifiedName(node) + "> está congelado y ya no se puede usar");
    return node;
}

xmlNodePtr elementOf(void* handle) {
    xmlNodePtr node = nodeOf(handle);
    if (node->type != XML_ELEMENT_NODE) throw RunError("Error interno: el nodo XML no es un elemento");
    return node;
}

bool isDocument(const xmlNode* node) { return node->type == XML_DOCUMENT_NODE; }

std::string toCp1252(const xmlChar* s) { return s ? text::cp1252FromUtf8(chars(s)) : std::string(); }

// XML 1.0 has no way to write these control characters, not even as references.
std::string toXmlText(std::string_view cp1252) {
    std::string safe(cp1252);
    for (char& c : safe) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') c = '?';
    }
    return text::utf8FromCp1252(safe);
}

std::string checkedName(std::string_view name) {
    std::string utf8 = text::utf8FromCp1252(name);
    if (name.find('\0') != std::string_view::npos || xmlValidateName(xml(utf8), 0) != 0)
        throw RunError("Error interno: \"" + utf8 + "\" no es un nombre XML válido");
    return utf8;
}

}  // namespace


struct XmlDocument::Impl {
    xmlDocPtr doc = nullptr;
    XmlDocument* owner = nullptr;
    xmlXPathContextPtr xpath = nullptr;
    std::unordered_map<std::string, xmlXPathCompExprPtr> compiled;
    // Created or removed nodes that have no place in a tree now. Handles to them stay valid;
    // they are freed with the document.
    std::unordered_set<xmlNodePtr> loose;

    explicit Impl(xmlDocPtr d) : doc(d) { doc->_private = this; }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        for (auto& entry : compiled) xmlXPathFreeCompExpr(entry.second);
        if (xpath) xmlXPathFreeContext(xpath);
        for (xmlNodePtr n : loose)
            if (n->parent == nullptr) xmlFreeNode(n);
        xmlFreeDoc(doc);
    }

    static Impl& of(const xmlNode* node) { return *static_cast<Impl*>(node->doc->_private); }

    XmlNode handle(xmlNodePtr node) const { return node ? XmlNode(node, owner) : XmlNode(); }

    xmlXPathCompExprPtr compile(const std::string& path) {
        if (auto it = compiled.find(path); it != compiled.end()) return it->second;
        if (xpath == nullptr) xpath = made(xmlXPathNewContext(doc));
        xmlXPathCompExprPtr expr = xmlXPathCtxtCompile(xpath, xml(path));
        if (expr == nullptr) return nullptr;
        if (compiled.size() >= kMaxCachedPaths) {
            for (auto& entry : compiled) xmlXPathFreeCompExpr(entry.second);
            compiled.clear();
        }
        compiled.emplace(path, expr);
        return expr;
    }

    std::vector<XmlNode> select(xmlNodePtr context, std::string_view xpathText) {
        const std::string path = text::utf8FromCp1252(xpathText);
        FirstError error;
        ErrorScope scope(error);
        xmlXPathCompExprPtr expr = compile(path);
        xmlXPathObjectPtr result = nullptr;
        if (expr != nullptr) {
            xmlXPathSetContextNode(context, xpath);
            result = xmlXPathCompiledEval(expr, xpath);
        }
        if (result == nullptr) {
            throw RunError("La expresión XPath " + path + " no es válida: " +
                           (error.set ? error.phrase : std::string("error desconocido")));
        }
        std::unique_ptr<xmlXPathObject, void (*)(xmlXPathObjectPtr)> guard(result, xmlXPathFreeObject);
        if (result->type != XPATH_NODESET)
            throw RunError("La expresión XPath " + path + " no selecciona nodos");
        std::vector<XmlNode> nodes;
        if (const xmlNodeSet* set = result->nodesetval) {
            nodes.reserve(static_cast<std::size_t>(set->nodeNr));
            for (int i = 0; i < set->nodeNr; ++i) {
                const xmlNodePtr node = set->nodeTab[i];
                // Namespace nodes are copies that die with the result. What a frozen element
                // holds (its attributes, its saved text) is no longer part of the tree.
                if (node->type == XML_NAMESPACE_DECL || (node->parent && isFrozen(node->parent))) continue;
                nodes.push_back(handle(node));
            }
        }
        return nodes;
    }
};

namespace {

XmlDocument::Impl& implOf(const std::unique_ptr<XmlDocument::Impl>& impl) {
    if (!impl) throw RunError("Error interno: el documento XML ya no está disponible");
    return *impl;
}

bool mayHoldChildren(const xmlNode* node) { return node->type == XML_ELEMENT_NODE || isDocument(node); }

bool mayBeAppended(const xmlNode* child, const xmlNode* parent) {
    switch (child->type) {
    case XML_ELEMENT_NODE:
        return !isDocument(parent) || xmlDocGetRootElement(parent->doc) == nullptr;
    case XML_COMMENT_NODE:
    case XML_PI_NODE: return true;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE: return !isDocument(parent);
    default: return false;
    }
}

// Links without xmlAddChild, which merges adjacent text nodes and frees the one appended.
void linkLast(xmlNodePtr parent, xmlNodePtr child) {
    child->parent = parent;
    child->prev = parent->last;
    child->next = nullptr;
    if (parent->last) parent->last->next = child;
    else parent->children = child;
    parent->last = child;
}

void unlinkChildren(xmlNodePtr element) {
    auto& impl = XmlDocument::Impl::of(element);
    while (xmlNodePtr child = element->children) {
        xmlUnlinkNode(child);
        impl.loose.insert(child);
    }
}

// A frozen element holds the text that save gives it at its place. Save indents an element's
// children by their depth, unless the element or one above it has text among its children; then
// it writes them as they stand. So what holds a frozen element keeps its place, and no text
// joins or leaves its children.

bool holdsFrozen(const xmlNode* node) {
    if (isDocument(node)) {
        const xmlNode* root = xmlDocGetRootElement(node->doc);
        return root != nullptr && (isFrozen(root) || holdsFrozen(root));
    }
    return node->_private == &holdsFrozenIndentedMark || node->_private == &holdsFrozenFlatMark;
}

bool isTextLike(const xmlNode* node) {
    return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE || node->type == XML_ENTITY_REF_NODE;
}

bool hasTextChild(const xmlNode* element) {
    for (const xmlNode* c = element->children; c != nullptr; c = c->next)
        if (isTextLike(c)) return true;
    return false;
}

void keepFrozenInPlace(const xmlNode* parent, const xmlNode* child) {
    if (child->type == XML_ELEMENT_NODE && holdsFrozen(child))
        throw RunError("Error interno: el elemento XML <" + qualifiedName(child) +
                       "> contiene un elemento congelado y no se puede mover ni quitar");
    if (parent != nullptr && !isDocument(parent) && isTextLike(child) && holdsFrozen(parent))
        throw RunError("Error interno: el elemento XML <" + qualifiedName(parent) +
                       "> contiene un elemento congelado y no se le puede añadir ni quitar texto");
}

struct Layout {
    int level;      // elements above it; the root element has level 0
    bool indented;  // whether save indents its lines
};

// The layout that save gives `element`, which must have a place in the document. Every element
// above it is marked with the layout of its children, worked out once, since it keeps it.
Layout pinAncestors(xmlNodePtr element) {
    std::vector<xmlNodePtr> ancestors;  // nearest first
    xmlNodePtr above = element->parent;
    for (; above != nullptr && above->type == XML_ELEMENT_NODE; above = above->parent) ancestors.push_back(above);
    if (above == nullptr || !isDocument(above))
        throw RunError("Error interno: solo se puede congelar un elemento XML colocado en el documento");
    Layout layout{static_cast<int>(ancestors.size()), kIndentSaved};
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        xmlNodePtr ancestor = *it;
        if (!holdsFrozen(ancestor))
            ancestor->_private = layout.indented && !hasTextChild(ancestor) ? &holdsFrozenIndentedMark : &holdsFrozenFlatMark;
        layout.indented = ancestor->_private == &holdsFrozenIndentedMark;
    }
    return layout;
}

// Where the start tag of a serialised element ends: its first '>' outside a quoted value.
std::size_t startTagLength(std::string_view saved) {
    char quote = 0;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        const char c = saved[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

struct OutputFree { void operator()(xmlOutputBufferPtr out) const { xmlOutputBufferClose(out); } };

// What save writes between the start and end tags of `element` at its place, as a text node
// that save writes without escaping it again. Unencodable characters are left to the save's
// encoder, which writes them as character references there as it would have done anyway.
xmlNodePtr savedContent(xmlNodePtr element, const Layout& layout) {
    std::unique_ptr<xmlOutputBuffer, OutputFree> out(made(xmlAllocOutputBuffer(nullptr)));
    xmlDocPtr doc = element->doc;
    const xmlChar* declared = doc->encoding;
    // A save gives the document an encoding; without one, libxml2 would write every non-ASCII
    // character of an attribute as a reference. No document is passed: never the XHTML rules.
    if (declared == nullptr) doc->encoding = reinterpret_cast<const xmlChar*>("UTF-8");
    xmlNodeDumpOutput(out.get(), nullptr, element, layout.level, layout.indented ? 1 : 0, "UTF-8");
    doc->encoding = declared;
    if (out->error != 0) outOfMemory();
    const std::string_view saved(chars(xmlOutputBufferGetContent(out.get())), xmlOutputBufferGetSize(out.get()));
    const std::string endTag = "</" + qualifiedName(element) + ">";
    const std::size_t start = startTagLength(saved);
    if (start == std::string_view::npos || start + endTag.size() > saved.size() || !saved.ends_with(endTag))
        throw RunError("Error interno: no se ha podido congelar el elemento XML <" + qualifiedName(element) + ">");
    const std::string_view content = saved.substr(start, saved.size() - start - endTag.size());
    xmlNodePtr text = made(xmlNewDocTextLen(doc, reinterpret_cast<const xmlChar*>(content.data()),
                                            static_cast<int>(content.size())));
    text->name = xmlStringTextNoenc;
    return text;
}

// Text of the descendants, as xmlNodeGetContent gives it, passing over frozen elements.
std::string textOutsideFrozen(const xmlNode* top) {
    std::string utf8;
    const xmlNode* node = top->children;
    while (node != nullptr) {
        if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) && node->content)
            utf8 += chars(node->content);
        if (node->type == XML_ELEMENT_NODE && node->children != nullptr && !isFrozen(node)) {
            node = node->children;
            continue;
        }
        while (node != top && node->next == nullptr) node = node->parent;
        node = node == top ? nullptr : node->next;
    }
    return utf8;
}

}  // namespace

std::string XmlNode::name() const {
    const xmlNode* node = nodeOf(m_node);
    if (node->type != XML_ELEMENT_NODE) return {};
    if (node->ns && node->ns->prefix) return toCp1252(node->ns->prefix) + ":" + toCp1252(node->name);
    return toCp1252(node->name);
}

std::string XmlNode::text() const {
    xmlNodePtr node = nodeOf(m_node);
    if (holdsFrozen(node)) return toCp1252(xml(textOutsideFrozen(node)));
    xmlChar* content = xmlNodeGetContent(node);
    std::string result = toCp1252(content);
    xmlFree(content);
    return result;
}

std::string XmlNode::attribute(std::string_view name) const {
    const xmlNode* node = nodeOf(m_node);
    if (node->type != XML_ELEMENT_NODE) return {};
    const std::string wanted = text::utf8FromCp1252(name);
    for (xmlAttrPtr a = node->properties; a != nullptr; a = a->next) {
        if (a->ns == nullptr && wanted == chars(a->name)) {
            xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a));
            std::string result = toCp1252(value);
            xmlFree(value);
            return result;
        }
    }
    return {};
}

std::vector<XmlNode> XmlNode::select(std::string_view xpath) const {
    xmlNodePtr node = nodeOf(m_node);
    return XmlDocument::Impl::of(node).select(node, xpath);
}

XmlNode XmlNode::selectSingle(std::string_view xpath) const {
    auto nodes = select(xpath);
    return nodes.empty() ? XmlNode() : nodes.front();
}

std::vector<XmlNode> XmlNode::children(std::string_view elementName) const {
    xmlNodePtr node = nodeOf(m_node);
    const auto& impl = XmlDocument::Impl::of(node);
    const std::string wanted = text::utf8FromCp1252(elementName);
    std::vector<XmlNode> found;
    for (xmlNodePtr c = node->children; c != nullptr; c = c->next)
        if (c->type == XML_ELEMENT_NODE && c->ns == nullptr && wanted == chars(c->name))
            found.push_back(impl.handle(c));
    return found;
}

XmlNode XmlNode::firstChild() const {
    xmlNodePtr node = nodeOf(m_node);
    return XmlDocument::Impl::of(node).handle(node->children);
}

void XmlNode::removeChild(XmlNode child) {
    xmlNodePtr parent = nodeOf(m_node);
    xmlNodePtr c = nodeOf(child.m_node);
    if (c->parent != parent || c->type == XML_ATTRIBUTE_NODE)
        throw RunError("Error interno: el nodo XML que se quita no es hijo de este nodo");
    keepFrozenInPlace(parent, c);
    xmlUnlinkNode(c);
    XmlDocument::Impl::of(parent).loose.insert(c);
}

void XmlNode::appendChild(XmlNode child) {
    xmlNodePtr parent = nodeOf(m_node);
    xmlNodePtr c = nodeOf(child.m_node);
    if (c->doc != parent->doc) throw RunError("Error interno: el nodo XML pertenece a otro documento");
    if (!mayHoldChildren(parent) || !mayBeAppended(c, parent))
        throw RunError("Error interno: ese nodo XML no se puede añadir aquí");
    for (const xmlNode* p = parent; p != nullptr; p = p->parent)
        if (p == c) throw RunError("Error interno: un nodo XML no se puede añadir dentro de sí mismo");
    keepFrozenInPlace(c->parent, c);
    keepFrozenInPlace(parent, c);
    if (c->parent != nullptr) xmlUnlinkNode(c);
    XmlDocument::Impl::of(parent).loose.erase(c);
    linkLast(parent, c);
}

void XmlNode::setAttribute(std::string_view name, std::string_view value) {
    xmlNodePtr element = elementOf(m_node);
    const std::string utf8Name = checkedName(name);
    const std::string utf8Value = toXmlText(value);
    made(xmlSetProp(element, xml(utf8Name), xml(utf8Value)));
}

void XmlNode::setAttribute(std::string_view name, std::int64_t value) {
    setAttribute(name, std::to_string(value));
}

void XmlNode::setText(std::string_view value) {
    xmlNodePtr element = elementOf(m_node);
    if (holdsFrozen(element))
        throw RunError("Error interno: el elemento XML <" + qualifiedName(element) +
                       "> contiene un elemento congelado y no se puede cambiar su texto");
    unlinkChildren(element);
    if (value.empty()) return;
    // A text node, never parsed: "A & B <x>" must stay exactly that.
    const std::string utf8 = toXmlText(value);
    linkLast(element, made(xmlNewDocText(element->doc, xml(utf8))));
}

void XmlNode::freeze() {
    xmlNodePtr element = elementOf(m_node);
    const Layout layout = pinAncestors(element);
    if (element->children != nullptr) {
        xmlNodePtr saved = savedContent(element, layout);
        xmlFreeNodeList(element->children);
        element->children = element->last = nullptr;
        linkLast(element, saved);
    }
    element->_private = &frozenMark;
}

XmlDocument::XmlDocument(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) { m_impl->owner = this; }

XmlDocument::XmlDocument(XmlDocument&& other) noexcept : m_impl(std::move(other.m_impl)) {
    if (m_impl) m_impl->owner = this;
}

XmlDocument& XmlDocument::operator=(XmlDocument&& other) noexcept {
    m_impl = std::move(other.m_impl);
    if (m_impl) m_impl->owner = this;
    return *this;
}

XmlDocument::~XmlDocument() = default;

XmlDocument XmlDocument::load(const std::filesystem::path& file) {
    prepareLibrary();
    const std::string bytes = readWholeFile(file);
    auto doc = parse(file, bytes);
    dropBlankText(doc.get());
    auto impl = std::make_unique<Impl>(doc.release());
    return XmlDocument(std::move(impl));
}

XmlNode XmlDocument::documentNode() {
    auto& impl = implOf(m_impl);
    return impl.handle(reinterpret_cast<xmlNodePtr>(impl.doc));
}

XmlNode XmlDocument::documentElement() const {
    auto& impl = implOf(m_impl);
    return impl.handle(xmlDocGetRootElement(impl.doc));
}

std::vector<XmlNode> XmlDocument::select(std::string_view xpath) { return documentNode().select(xpath); }

XmlNode XmlDocument::selectSingle(std::string_view xpath) { return documentNode().selectSingle(xpath); }

XmlNode XmlDocument::createElement(std::string_view name) {
    auto& impl = implOf(m_impl);
    const std::string utf8 = checkedName(name);
    xmlNodePtr element = made(xmlNewDocNode(impl.doc, nullptr, xml(utf8), nullptr));
    impl.loose.insert(element);
    return impl.handle(element);
}


namespace {

int writeOut(void* file, const char* data, int length) {
    return static_cast<ReplacingFile*>(file)->write(data, static_cast<std::size_t>(length)) ? length : -1;
}

int keepOpen(void*) { return 0; }  // the ReplacingFile closes it

}  // namespace

void XmlDocument::save(const std::filesystem::path& file) {
    auto& impl = implOf(m_impl);
    // standalone -1: the loaded file had no declaration; then none is written, and UTF-8 needs none.
    const bool declared = impl.doc->standalone != -1;
    const char* encoding = declared && impl.doc->encoding ? chars(impl.doc->encoding) : "UTF-8";
    const int options = (kIndentSaved ? XML_SAVE_FORMAT : 0) | XML_SAVE_NO_XHTML | (declared ? 0 : XML_SAVE_NO_DECL);

    ReplacingFile out(file);
    FirstError error;
    {
        ErrorScope scope(error);
        xmlSaveCtxtPtr save = xmlSaveToIO(writeOut, keepOpen, &out, encoding, options);
        if (save == nullptr) error.keep(0, 0, "no se puede escribir en la codificación " + std::string(encoding));
        const long saved = save ? xmlSaveDoc(save, impl.doc) : -1;
        const int closed = save ? xmlSaveClose(save) : -1;
        if (out.failed()) throw out.failure();
        if (saved < 0 || closed < 0) throw out.failure(error.set ? error.phrase : "error al escribir el XML");
    }
    out.commit();
}

}  // namespace stores
