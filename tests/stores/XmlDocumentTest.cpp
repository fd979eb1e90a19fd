#include "stores/XmlDocument.h"

#include "stores/RunError.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's allocator; GCC ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

using stores::RunError;
using stores::XmlDocument;
using stores::XmlNode;
using testsupport::ScratchFolder;

// The message of the RunError that `action` throws; fails the test when it throws none.
template <typename Action>
std::string errorOf(Action action) {
    try {
        action();
    } catch (const RunError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no RunError";
    return {};
}

std::vector<std::string> texts(const std::vector<XmlNode>& nodes) {
    std::vector<std::string> result;
    for (const auto& n : nodes) result.push_back(n.text());
    return result;
}

std::vector<std::string> entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(XmlDocument, BlankTextBetweenElementsGoesAndValuesKeepTheirBlanks) {
    ScratchFolder dir;
    const auto file = dir.write("blank.xml",
                                "<SERVICIO>\r\n  <BLOQUE_DATOS>\n\t<grupo_datos seq=\"A\">\n"
                                "    <dato>   </dato>\n"
                                "    <dato>  a  </dato>\n"
                                "    <dato>\tx</dato>\n"
                                "    <dato><![CDATA[   ]]></dato>\n"
                                "    <dato>l1\r\n  l2</dato>\n"
                                "    <dato>a <b>b</b> <i>c</i></dato>\n"
                                "  </grupo_datos>\n  </BLOQUE_DATOS>\n</SERVICIO>\n");
    auto doc = XmlDocument::load(file);
    const XmlNode section = doc.selectSingle("/SERVICIO/BLOQUE_DATOS");
    ASSERT_TRUE(section);
    EXPECT_EQ(section.firstChild().name(), "grupo_datos");
    const auto fields = section.firstChild().children("dato");
    const std::vector<std::string> expected = {"", "  a  ", "\tx", "   ", "l1\n  l2", "a bc"};
    EXPECT_EQ(texts(fields), expected);
    EXPECT_FALSE(fields[0].firstChild());
}

TEST(XmlDocument, TextIsThatOfTheNodeAndAllItsDescendants) {
    struct Case { const char* content; const char* text; };
    const Case cases[] = {
        {"a &amp; b &#225;&#xE9; &lt;&gt;&quot;&apos;", "a & b \xE1\xE9 <>\"'"},
        {"pre<![CDATA[<raw> & ]]>post", "pre<raw> & post"},
        {"one<!--c--><?pi x?>two<sub>three<sub2>four</sub2></sub>five", "onetwothreefourfive"},
        // Read as cp1252: what it lacks becomes '?'.
        {"\xE2\x82\xAC \xC3\xB1 \xC4\x81 \xE2\x80\x9Cq\xE2\x80\x9D", "\x80 \xF1 ? \x93q\x94"},
    };
    ScratchFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        auto doc = XmlDocument::load(dir.write("t.xml", std::string("<r>") + c.content + "</r>"));
        EXPECT_EQ(doc.documentElement().text(), c.text);
    }
}

TEST(XmlDocument, SelectionFindsNodesInDocumentOrder) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write(
        "sel.xml",
        "<r xmlns:x=\"urn:x\"><g n=\"1\"><dato>a</dato><otro><dato>no</dato></otro><x:dato>ns</x:dato>"
        "<dato>b</dato></g><g n=\"2\"/><g n=\"3\"><dato>c</dato></g></r>"));
    const auto groups = doc.select("/r/g");
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[2].attribute("n"), "3");
    EXPECT_EQ(groups[2].attribute("missing"), "");
    EXPECT_EQ(texts(groups[0].select("dato")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(groups[0].children("dato"), groups[0].select("dato"));
    EXPECT_TRUE(groups[1].children("dato").empty());
    EXPECT_FALSE(groups[1].firstChild());
    // An absolute path means the same from any node.
    EXPECT_EQ(groups[1].selectSingle("/r/g[@n='3']"), groups[2]);
    EXPECT_FALSE(doc.selectSingle("/r/nothing"));
    EXPECT_TRUE(doc.select("//g[@n='1']/namespace::*").empty());
    EXPECT_EQ(doc.documentNode().firstChild(), doc.documentElement());

    const auto xpathError = [&](const char* path) { return errorOf([&] { doc.select(path); }); };
    EXPECT_EQ(xpathError("/r/g["), "La expresión XPath /r/g[ no es válida: la expresión no es válida");
    EXPECT_EQ(xpathError("count(/r/g)"), "La expresión XPath count(/r/g) no selecciona nodos");
    EXPECT_NE(xpathError("/r/g[nofunction()]").find("no es válida"), std::string::npos);
}

TEST(XmlDocument, AMissingOrUnreadableFileIsNamed) {
    ScratchFolder dir;
    const auto missing = dir.path() / "none.xml";
    EXPECT_EQ(errorOf([&] { XmlDocument::load(missing); }),
              "No se puede leer el archivo XML " + missing.string() + ": no existe");
    EXPECT_EQ(errorOf([&] { XmlDocument::load(dir.path()); }),
              "No se puede leer el archivo XML " + dir.path().string() + ": es una carpeta");
    const auto huge = dir.write("huge.xml", "<a>");
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 31);  // sparse: takes no disk space
    EXPECT_EQ(errorOf([&] { XmlDocument::load(huge); }),
              "No se puede leer el archivo XML " + huge.string() + ": es demasiado grande");
}

TEST(XmlDocument, AMalformedDocumentIsReportedWithItsLineAndColumn) {
    struct Case { const char* name; std::string content; const char* where; const char* phrase; };
    const Case cases[] = {
        {"tag mismatch", "<a>\n <b>\n  <dato>x</datos>\n</b></a>", "(línea 3, columna 18)",
         "la etiqueta de cierre </datos> no corresponde a <dato> (abierta en la línea 3)"},
        {"cut short", "<a>\n <b>\n  <dato>x</dato>\n", "(línea 4, columna 1)",
         "el archivo termina sin cerrar la etiqueta <b> (abierta en la línea 2)"},
        {"bare ampersand", "<a>\n<b>x & y</b></a>", "(línea 2, columna 7)",
         "un carácter & no empieza ninguna referencia (escríbalo como &amp;)"},
        {"undefined entity", "<a>&ntilde;</a>", "(línea 1, columna 12)", "la entidad &ntilde; no está definida"},
        {"unquoted attribute", "<a b=c/>", "(línea 1, columna 6)",
         "falta la comilla al principio de un valor de atributo"},
        {"duplicate attribute", "<a seq=\"1\" seq=\"2\"/>", "(línea 1, columna 19)", "el atributo seq está repetido"},
        {"two roots", "<a/>\n<b/>", "(línea 2, columna 1)", "hay contenido después del final del elemento raíz"},
        {"empty", "", "(línea 1, columna 1)", "el documento está vacío"},
        {"text before the root", "Exportado\n<a/>", "(línea 1, columna 1)",
         "no empieza con un elemento XML (falta '<')"},
        {"utf-16 declared, utf-8 written", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>",
         "(línea 1, columna 38)", "el contenido no corresponde a la codificación declarada"},
        {"latin-1 without declaration", "<a>\xE1</a>", "(línea 1, columna 4)",
         "el texto no está en UTF-8; la declaración XML debe indicar su codificación"},
        {"control character", "<a>x\x01</a>", "(línea 1, columna 5)", "carácter no permitido (código 1)"},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"x-nada\"?><a/>", "(línea 1, columna 38)",
         "la codificación x-nada no está admitida"},
        {"undeclared prefix", "<a><y:b/></a>", "(línea 1, columna 8)",
         "el prefijo de espacio de nombres y no está declarado"},
    };
    ScratchFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = dir.write("bad.xml", c.content);
        EXPECT_EQ(errorOf([&] { XmlDocument::load(file); }),
                  "El archivo XML " + file.string() + " no es válido " + c.where + ": " + c.phrase);
    }
}

TEST(XmlDocument, HostileDocumentsAreRefusedWithoutReadingAnythingElse) {
    ScratchFolder dir;
    const auto secret = dir.write("secret.txt", "SECRETO");
    const std::string secretUrl = "file://" + secret.string();
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY lol0 \"lol\">";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) laughs += "&lol" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "]><l>&lol9;</l>";
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<e>";
    for (int i = 0; i < 100000; ++i) deep += "</e>";
    const std::string longText(10'000'001, 'x');
    std::string longPieces = "<a>";  // in many pieces, as references split it
    for (int i = 0; i < 10'000; ++i) longPieces += std::string(1000, 'y') + "&amp;";
    longPieces += "</a>";
    std::string longSections = "<a>";
    for (int i = 0; i < 10'001; ++i) longSections += "<![CDATA[" + std::string(1000, 'z') + "]]>";
    longSections += "</a>";

    struct Case { const char* name; std::string content; const char* phrase; };
    const Case cases[] = {
        {"external entity", "<!DOCTYPE a [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><a>&x;</a>",
         "declara la entidad x, y no se admiten entidades"},
        {"external parameter entity", "<!DOCTYPE a [<!ENTITY % p SYSTEM \"" + secretUrl + "\"> %p;]><a/>",
         "declara la entidad p, y no se admiten entidades"},
        {"unparsed entity", "<!DOCTYPE a [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"" + secretUrl +
         "\" NDATA n>]><a/>", "declara la entidad u, y no se admiten entidades"},
        {"internal entity", "<!DOCTYPE a [<!ENTITY e \"texto\">]><a>&e;</a>",
         "declara la entidad e, y no se admiten entidades"},
        {"billion laughs", laughs, "declara la entidad lol0, y no se admiten entidades"},
        {"deep nesting", deep, "los elementos se anidan en más de 256 niveles"},
        {"long text", "<a>" + longText + "</a>", "un texto pasa de 10000000 bytes"},
        {"long text in pieces", longPieces, "un texto pasa de 10000000 bytes"},
        {"long CDATA", "<a><![CDATA[" + longText + "]]></a>", "una sección CDATA pasa de 10000000 bytes"},
        {"long CDATA in sections", longSections, "un texto pasa de 10000000 bytes"},
        {"long attribute", "<a v=\"" + longText + "\"/>", "un valor de atributo pasa de 10000000 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = dir.write("hostile.xml", c.content);
        const std::string message = errorOf([&] { XmlDocument::load(file); });
        EXPECT_EQ(message.rfind("El archivo XML " + file.string() + " no es válido (línea ", 0), 0u) << message;
        EXPECT_NE(message.find(std::string("): ") + c.phrase), std::string::npos) << message;
        EXPECT_EQ(message.find("SECRETO"), std::string::npos);
    }
}

TEST(XmlDocument, AnExternalDtdIsNeitherLoadedNorAnObstacle) {
    ScratchFolder dir;
    dir.write("school.dtd", "<!ENTITY nombre \"SECRETO\">");
    auto doc = XmlDocument::load(dir.write("d.xml", "<!DOCTYPE a SYSTEM \"school.dtd\"><a>x</a>"));
    EXPECT_EQ(doc.documentElement().text(), "x");
    EXPECT_NE(errorOf([&] { XmlDocument::load(dir.write("e.xml", "<!DOCTYPE a SYSTEM \"school.dtd\"><a>&nombre;</a>")); })
                  .find("la entidad &nombre; no está definida"),
              std::string::npos);
}

// Each input is read, saved and read again: the value keeps its characters, and the saved
// file keeps the declaration and encoding of the input.
TEST(XmlDocument, EveryCommonEncodingIsReadAndSavedInKind) {
    struct Case {
        const char* name;
        std::string input;
        const char* value;    // cp1252, as read
        std::string start;    // the saved file begins with these bytes
        std::string written;  // and holds the value as these bytes
    };
    const auto utf16 = [](const std::u16string& s) {
        std::string out = "\xFF\xFE";
        for (char16_t c : s) { out += static_cast<char>(c & 0xFF); out += static_cast<char>(c >> 8); }
        return out;
    };
    const Case cases[] = {
        {"utf-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><v>A\xC3\xB1o \xE2\x82\xAC</v>", "A\xF1o \x80",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<v>", "A\xC3\xB1o \xE2\x82\xAC"},
        {"utf-8 with BOM, no declaration", "\xEF\xBB\xBF<v>A\xC3\xB1o \xE2\x82\xAC</v>", "A\xF1o \x80", "<v>",
         "A\xC3\xB1o \xE2\x82\xAC"},
        {"iso-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?><v>A\xF1o</v>", "A\xF1o",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n<v>", "A\xF1o"},
        {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><v>\x80 \x81 \x93q\x94 \xF1</v>",
         "\x80 \x81 \x93q\x94 \xF1", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<v>",
         "\x80 \x81 \x93q\x94 \xF1"},
        {"utf-16 with BOM", utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><v>A\u00F1o \u20AC</v>"), "A\xF1o \x80",
         utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<v>"), utf16(u"A\u00F1o \u20AC").substr(2)},
    };
    ScratchFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = XmlDocument::load(dir.write("in.xml", c.input));
        EXPECT_EQ(doc.documentElement().text(), c.value);
        const auto saved = dir.path() / "out.xml";
        doc.save(saved);
        const std::string bytes = ScratchFolder::read(saved);
        EXPECT_EQ(bytes.substr(0, c.start.size()), c.start);
        EXPECT_NE(bytes.find(c.written), std::string::npos);
        EXPECT_EQ(XmlDocument::load(saved).documentElement().text(), c.value);
    }
}

TEST(XmlDocument, ALongWindows1252DocumentIsDecodedWhole) {
    // Far more than one conversion buffer, every value full of bytes that grow in UTF-8.
    std::string content = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>";
    for (int i = 0; i < 20000; ++i) content += "<dato>\x80\xF1\x93" + std::to_string(i) + "\x94</dato>";
    content += "</r>";
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write("long.xml", content));
    const auto fields = doc.documentElement().children("dato");
    ASSERT_EQ(fields.size(), 20000u);
    EXPECT_EQ(fields[12345].text(), "\x80\xF1\x93" "12345\x94");
    EXPECT_EQ(fields.back().text(), "\x80\xF1\x93" "19999\x94");
}

// The import run's rebuilding of a loaded document, step by step.
TEST(XmlDocument, ADocumentRebuiltInPlaceKeepsItsPrologAndSavesInItsEncoding) {
    ScratchFolder dir;
    const auto input = dir.write("horario.xml",
                                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n"
                                 "<!-- documento de intercambio -->\n"
                                 "<?xml-stylesheet type=\"text/xsl\" href=\"ver.xsl\"?>\n"
                                 "<SERVICIO modulo=\"X\"><BLOQUE_DATOS><grupo_datos seq=\"MATERIAS\"/>"
                                 "</BLOQUE_DATOS><otro/></SERVICIO>\n"
                                 "<!-- comentario final -->\n");
    auto doc = XmlDocument::load(input);
    XmlNode oldRoot = doc.documentElement();
    XmlNode oldSection = oldRoot.selectSingle("/SERVICIO/BLOQUE_DATOS");
    oldRoot.removeChild(oldSection);
    doc.documentNode().removeChild(doc.selectSingle("/SERVICIO"));
    EXPECT_FALSE(doc.documentElement());
    EXPECT_EQ(oldSection.firstChild().attribute("seq"), "MATERIAS");  // removed, still readable

    XmlNode root = doc.createElement("SERVICIO");
    root.setAttribute("modulo", "HORARIOS");
    root.setAttribute("tipo", "I");
    root.setAttribute("autor", "HORARIOS");
    root.setAttribute("fecha", "11/12/2025 10:40:00");
    doc.documentNode().appendChild(root);
    doc.selectSingle("/SERVICIO").appendChild(doc.createElement("BLOQUE_DATOS"));
    XmlNode section = doc.selectSingle("/SERVICIO/BLOQUE_DATOS");
    XmlNode year = doc.createElement("grupo_datos");
    year.setAttribute("seq", "ANNO_ACADEMICO");
    XmlNode value = doc.createElement("dato");
    value.setAttribute("nombre_dato", "C_ANNO");
    value.setText("2023");
    year.appendChild(value);
    section.appendChild(year);
    XmlNode regular = doc.createElement("grupo_datos");
    section.appendChild(regular);
    regular.setAttribute("seq", "HORARIOS_REGULARES");
    regular.setAttribute("registros", std::int64_t{1});
    XmlNode teacher = doc.createElement("grupo_datos");
    regular.appendChild(teacher);
    teacher.setAttribute("seq", "HORARIO_REGULAR_PROFESOR_1");
    teacher.setAttribute("registros", std::int64_t{0});
    teacher.setAttribute("seq", "HORARIO_REGULAR_PROFESOR_01");  // replaced where it stands
    XmlNode name = doc.createElement("dato");
    teacher.appendChild(name);
    name.setAttribute("nombre_dato", "X_EMPLEADO");
    name.setText("Mu\xF1oz & Pe\xF1" "a <\x80> \"x\"");
    doc.createElement("dato").setText("never placed");

    const auto output = dir.path() / "ZuzezivedOvivizuhorario.xml";
    doc.save(output);
    EXPECT_EQ(ScratchFolder::read(output),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n"
              "<!-- documento de intercambio -->\n"
              "<?xml-stylesheet type=\"text/xsl\" href=\"ver.xsl\"?>\n"
              "<!-- comentario final -->\n"
              "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"HORARIOS\" fecha=\"11/12/2025 10:40:00\">\n"
              "  <BLOQUE_DATOS>\n"
              "    <grupo_datos seq=\"ANNO_ACADEMICO\">\n"
              "      <dato nombre_dato=\"C_ANNO\">2023</dato>\n"
              "    </grupo_datos>\n"
              "    <grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"1\">\n"
              "      <grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_01\" registros=\"0\">\n"
              "        <dato nombre_dato=\"X_EMPLEADO\">Mu\xF1oz &amp; Pe\xF1" "a &lt;&#8364;&gt; \"x\"</dato>\n"
              "      </grupo_datos>\n"
              "    </grupo_datos>\n"
              "  </BLOQUE_DATOS>\n"
              "</SERVICIO>\n");

    auto again = XmlDocument::load(output);
    EXPECT_EQ(again.selectSingle("//dato[@nombre_dato='X_EMPLEADO']").text(), "Mu\xF1oz & Pe\xF1" "a <\x80> \"x\"");
    EXPECT_EQ(again.selectSingle("/SERVICIO/BLOQUE_DATOS").firstChild().text(), "2023");
}

TEST(XmlDocument, WrittenTextIsKeptAsGivenAndNeverParsed) {
    struct Case { const char* name; std::string given; std::string read; };
    const Case cases[] = {
        {"markup characters", "A & B <x>&amp; ]]>", "A & B <x>&amp; ]]>"},
        {"blanks and line breaks", "  a\tb\r\nc  ", "  a\tb\r\nc  "},
        {"cp1252 upper half", "\x80\x81\x8D\x9F\xA0\xFF", "\x80\x81\x8D\x9F\xA0\xFF"},
        // XML cannot carry these at all, so they go the way of characters a code page lacks.
        {"control characters", std::string("a\x01" "b\x1A", 4) + std::string(1, '\0') + "c", "a?b??c"},
    };
    ScratchFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = XmlDocument::load(dir.write("w.xml", "<r><old>x<b/></old></r>"));
        XmlNode element = doc.selectSingle("/r/old");
        element.setText(c.given);
        element.setAttribute("v", c.given);
        EXPECT_EQ(element.text(), c.read);
        doc.save(dir.path() / "w.xml");
        auto again = XmlDocument::load(dir.path() / "w.xml");
        EXPECT_EQ(again.selectSingle("/r/old").text(), c.read);
        EXPECT_EQ(again.selectSingle("/r/old").attribute("v"), c.read);
    }
}

TEST(XmlDocument, IntegerAttributesAreDecimalDigits) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write("i.xml", "<r/>"));
    XmlNode r = doc.documentElement();
    r.setAttribute("a", std::int64_t{0});
    r.setAttribute("b", std::int64_t{-42});
    r.setAttribute("c", std::int64_t{9'000'000'000});
    EXPECT_EQ(r.attribute("a") + "," + r.attribute("b") + "," + r.attribute("c"), "0,-42,9000000000");
}

TEST(XmlDocument, MisusedHandlesAreErrorsNotCrashes) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write("a.xml", "<r><a>x</a><b/></r>"));
    auto other = XmlDocument::load(dir.write("b.xml", "<s/>"));
    XmlNode r = doc.documentElement();
    XmlNode a = r.firstChild();
    XmlNode b = doc.selectSingle("/r/b");
    XmlNode text = a.firstChild();
    struct Case { const char* name; std::function<void()> action; const char* message; };
    const Case cases[] = {
        {"no node", [&] { XmlNode().text(); }, "Error interno: se ha usado un nodo XML inexistente"},
        {"append no node", [&] { r.appendChild(XmlNode()); }, "Error interno: se ha usado un nodo XML inexistente"},
        {"other document", [&] { r.appendChild(other.documentElement()); },
         "Error interno: el nodo XML pertenece a otro documento"},
        {"remove a grandchild", [&] { r.removeChild(text); },
         "Error interno: el nodo XML que se quita no es hijo de este nodo"},
        {"remove from other document", [&] { other.documentElement().removeChild(a); },
         "Error interno: el nodo XML que se quita no es hijo de este nodo"},
        {"into itself", [&] { a.appendChild(r); }, "Error interno: un nodo XML no se puede añadir dentro de sí mismo"},
        {"second root", [&] { doc.documentNode().appendChild(doc.createElement("otra")); },
         "Error interno: ese nodo XML no se puede añadir aquí"},
        {"text at document level", [&] { doc.documentNode().appendChild(text); },
         "Error interno: ese nodo XML no se puede añadir aquí"},
        {"child of a text", [&] { text.appendChild(b); }, "Error interno: ese nodo XML no se puede añadir aquí"},
        {"text of a text", [&] { text.setText("y"); }, "Error interno: el nodo XML no es un elemento"},
        {"bad element name", [&] { doc.createElement("dos palabras"); },
         "Error interno: \"dos palabras\" no es un nombre XML válido"},
        {"bad attribute name", [&] { r.setAttribute("", "v"); }, "Error interno: \"\" no es un nombre XML válido"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorOf(c.action), c.message);
    }
    EXPECT_EQ(r.text(), "x");  // nothing above changed the tree

    // Appending a placed node moves it; a text node appended beside another stays its own node.
    r.appendChild(a);
    EXPECT_EQ(r.firstChild(), b);
    b.setText("y");
    b.appendChild(text);
    EXPECT_EQ(b.firstChild().text(), "y");
    EXPECT_EQ(text.text(), "x");
    EXPECT_EQ(r.text(), "yx");
    EXPECT_FALSE(a.firstChild());
}

TEST(XmlDocument, HandlesStayValidWhenTheDocumentMoves) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write("m.xml", "<r><a>x</a></r>"));
    XmlNode a = doc.selectSingle("/r/a");
    XmlDocument moved(std::move(doc));
    XmlDocument target = XmlDocument::load(dir.write("n.xml", "<s/>"));
    target = std::move(moved);
    XmlNode b = target.createElement("b");
    a.appendChild(b);
    b.setText("y");
    EXPECT_EQ(a.text(), "xy");
    EXPECT_EQ(a.select("b").size(), 1u);
    // Replacing the text takes the children out, but a handle to one still works.
    a.setText("z");
    EXPECT_EQ(b.name(), "b");
    EXPECT_EQ(b.text(), "y");
    target.documentElement().appendChild(b);
    EXPECT_EQ(target.documentElement().text(), "zy");
    EXPECT_THROW(doc.documentElement(), RunError);
}

TEST(XmlDocument, AFailedSaveLeavesTheTargetAndNoTemporaryFile) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write("src.xml", "<r>nuevo</r>"));
    const auto plainFile = dir.write("plain.txt", "texto");
    const auto folder = dir.path() / "carpeta";
    std::filesystem::create_directory(folder);
    struct Case { const char* name; std::filesystem::path target; const char* reason; };
    const Case cases[] = {
        {"parent is a file", plainFile / "out.xml", "una parte de la ruta no es una carpeta"},
        {"folder does not exist", dir.path() / "nada" / "out.xml", "no existe"},
        {"target is a folder", folder, "es una carpeta"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorOf([&] { doc.save(c.target); }),
                  "No se puede escribir el archivo " + c.target.string() + ": " + c.reason);
    }
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"carpeta", "plain.txt", "src.xml"}));
    EXPECT_EQ(ScratchFolder::read(plainFile), "texto");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(XmlDocument, SavingReplacesAnExistingFileWhole) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write("src.xml", "<r>nuevo</r>"));
    const auto target = dir.write("out.xml", std::string(5000, 'v'));
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read);
    doc.save(target);
    EXPECT_EQ(ScratchFolder::read(target), "<r>nuevo</r>\n");
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"out.xml", "src.xml"}));
}

// Compares two saved files; on a difference, shows where it starts instead of both files.
::testing::AssertionResult sameBytes(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const auto around = [&](const std::string& s) { return s.substr(at < 60 ? 0 : at - 60, 120); };
    return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size()
                                         << ", first difference at byte " << at << ":\n"
                                         << around(expected) << "\n---\n" << around(actual);
}

XmlNode appendElement(XmlDocument& doc, XmlNode parent, const char* name) {
    XmlNode element = doc.createElement(name);
    parent.appendChild(element);
    return element;
}

XmlNode appendValue(XmlDocument& doc, XmlNode parent, const std::string& name, const std::string& value) {
    XmlNode dato = appendElement(doc, parent, "dato");
    dato.setAttribute("nombre_dato", name);
    dato.setText(value);
    return dato;
}

// The same content every time; with `freeze`, each part is frozen once it is complete. The
// values hold what escaping and encoding must get right, in text and in attributes.
void buildForFreezing(XmlDocument& doc, bool freeze) {
    const std::string values[] = {
        "Mu\xF1oz & Pe\xF1" "a <\x80> \"x\" 'y'",
        "\x93" "comillas\x94 \x96 \x8E \x81",
        "  l\xEDnea 1\r\nl\xEDnea 2\t ",
        std::string("ctl\x01\x1F", 5),
        "",
    };
    const auto done = [&](XmlNode element) {
        if (freeze) element.freeze();
    };
    XmlNode root = doc.documentElement();
    XmlNode foreign = doc.selectSingle("/r/ajeno");  // characters that cp1252 lacks
    XmlNode horarios = appendElement(doc, root, "grupo_datos");
    horarios.setAttribute("seq", values[0]);
    for (int t = 0; t < 120; ++t) {
        XmlNode teacher = appendElement(doc, horarios, "grupo_datos");
        teacher.setAttribute("seq", "HORARIO_REGULAR_PROFESOR_" + std::to_string(t));
        teacher.setAttribute("nota", values[t % 5]);
        appendValue(doc, teacher, "X_EMPLEADO", values[(t + 1) % 5]);
        for (int a = 0; a < 3; ++a) {
            XmlNode activity = appendElement(doc, teacher, "grupo_datos");
            activity.setAttribute("seq", "ACTIVIDAD_" + std::to_string(a + 1));
            for (int v = 0; v < 11; ++v) appendValue(doc, activity, "V" + std::to_string(v), values[(t + a + v) % 5]);
        }
        if (t == 7) teacher.appendChild(foreign);
        done(teacher);
    }
    done(appendElement(doc, horarios, "vacio"));
    XmlNode mixed = appendElement(doc, horarios, "mixto");  // text among its children
    mixed.setText(values[0]);
    appendValue(doc, mixed, "DENTRO", values[1]);
    done(mixed);
    appendValue(doc, horarios, "FIN", "fin");

    XmlNode flat = appendElement(doc, root, "plano");  // below text: nothing is indented
    flat.setText("antes ");
    XmlNode inFlat = appendElement(doc, flat, "grupo_datos");
    appendValue(doc, appendElement(doc, inFlat, "grupo_datos"), "V", values[2]);
    done(inFlat);

    std::vector<XmlNode> chain{root};  // deeper than the indentation goes
    for (int depth = 0; depth < 35; ++depth) chain.push_back(appendElement(doc, chain.back(), "nivel"));
    appendValue(doc, chain.back(), "V", values[0]);
    appendValue(doc, chain.back(), "W", values[2]);
    done(chain.back());
    done(chain[4]);  // a frozen element inside
}

TEST(XmlDocument, FreezingLeavesTheSavedFileByteForByteAsItWas) {
    const auto utf16 = [](const std::string& ascii) {
        std::string out = "\xFF\xFE";
        for (char c : ascii) { out += c; out += '\0'; }
        return out;
    };
    const std::string body = "<!-- antes de la ra\xC3\xADz -->\n"
                             "<r><ajeno v=\"&#257; &#20013; &#128512;\">&#257; &#20013; &#128512;</ajeno></r>\n";
    const std::string asciiBody = "<!-- antes -->\n"
                                  "<r><ajeno v=\"&#257; &#20013; &#128512;\">&#257; &#20013; &#128512;</ajeno></r>\n";
    struct Case { const char* name; std::string input; };
    const Case cases[] = {
        {"utf-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body},
        {"utf-8 without declaration", body},
        {"iso-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n" + asciiBody},
        {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n" + asciiBody},
        {"utf-16", utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + asciiBody)},
    };
    ScratchFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto input = dir.write("in.xml", c.input);
        auto plain = XmlDocument::load(input);
        buildForFreezing(plain, false);
        plain.save(dir.path() / "plain.xml");
        auto frozen = XmlDocument::load(input);
        buildForFreezing(frozen, true);
        EXPECT_EQ(frozen.selectSingle("/r/grupo_datos").text(), "fin");  // the rest is frozen
        frozen.documentElement().freeze();                                // and now all of it
        EXPECT_EQ(frozen.documentNode().text(), "");
        frozen.save(dir.path() / "frozen.xml");

        const std::string saved = ScratchFolder::read(dir.path() / "frozen.xml");
        EXPECT_TRUE(sameBytes(ScratchFolder::read(dir.path() / "plain.xml"), saved));
        auto again = XmlDocument::load(dir.path() / "frozen.xml");
        EXPECT_EQ(again.select("/r/grupo_datos/grupo_datos").size(), 120u);
        EXPECT_EQ(again.selectSingle("//grupo_datos[@seq='HORARIO_REGULAR_PROFESOR_7']/ajeno").attribute("v"), "? ? ?");
        EXPECT_EQ(again.selectSingle("//grupo_datos[@seq='HORARIO_REGULAR_PROFESOR_3']").attribute("nota"),
                  "ctl??");
    }
}

TEST(XmlDocument, AFrozenElementRefusesEveryUseAndWhatHoldsItStaysInPlace) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write("f.xml", "<r><g n=\"1\"><f n=\"2\"><a>x</a></f></g><h>t<k/></h><otro/></r>"));
    XmlNode r = doc.documentElement();
    XmlNode g = doc.selectSingle("/r/g");
    XmlNode f = doc.selectSingle("/r/g/f");
    XmlNode h = doc.selectSingle("/r/h");
    XmlNode hText = h.firstChild();
    XmlNode otro = doc.selectSingle("/r/otro");
    XmlNode unplaced = doc.createElement("suelto");
    unplaced.setText("suelto");
    XmlNode looseText = unplaced.firstChild();
    f.freeze();
    doc.selectSingle("/r/h/k").freeze();

    const std::string frozenUse = "Error interno: el elemento XML <f> está congelado y ya no se puede usar";
    const auto holder = [](const char* name, const char* what) {
        return "Error interno: el elemento XML <" + std::string(name) + "> contiene un elemento congelado y " + what;
    };
    struct Case { const char* name; std::function<void()> action; std::string message; };
    const Case cases[] = {
        {"name", [&] { f.name(); }, frozenUse},
        {"text", [&] { f.text(); }, frozenUse},
        {"attribute", [&] { f.attribute("n"); }, frozenUse},
        {"select", [&] { f.select("a"); }, frozenUse},
        {"children", [&] { f.children("a"); }, frozenUse},
        {"first child", [&] { f.firstChild(); }, frozenUse},
        {"set an attribute", [&] { f.setAttribute("n", "3"); }, frozenUse},
        {"set its text", [&] { f.setText("y"); }, frozenUse},
        {"append to it", [&] { f.appendChild(doc.createElement("b")); }, frozenUse},
        {"freeze again", [&] { f.freeze(); }, frozenUse},
        {"remove it", [&] { g.removeChild(f); }, frozenUse},
        {"move it", [&] { otro.appendChild(f); }, frozenUse},
        {"move what holds it", [&] { otro.appendChild(g); }, holder("g", "no se puede mover ni quitar")},
        {"remove what holds it", [&] { r.removeChild(g); }, holder("g", "no se puede mover ni quitar")},
        {"remove the root", [&] { doc.documentNode().removeChild(r); }, holder("r", "no se puede mover ni quitar")},
        {"replace the text above it", [&] { g.setText("y"); }, holder("g", "no se puede cambiar su texto")},
        {"add text above it", [&] { g.appendChild(looseText); }, holder("g", "no se le puede añadir ni quitar texto")},
        {"take text from above it", [&] { h.removeChild(hText); }, holder("h", "no se le puede añadir ni quitar texto")},
        {"move text from above it", [&] { otro.appendChild(hText); }, holder("h", "no se le puede añadir ni quitar texto")},
        {"freeze an unplaced element", [&] { unplaced.freeze(); },
         "Error interno: solo se puede congelar un elemento XML colocado en el documento"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorOf(c.action), c.message);
    }

    // Elements and attributes may still be added around it.
    g.appendChild(doc.createElement("nuevo"));
    g.setAttribute("m", "4");
    otro.appendChild(looseText);
    doc.save(dir.path() / "f.xml");
    EXPECT_EQ(ScratchFolder::read(dir.path() / "f.xml"),
              "<r>\n"
              "  <g n=\"1\" m=\"4\">\n"
              "    <f n=\"2\">\n"
              "      <a>x</a>\n"
              "    </f>\n"
              "    <nuevo/>\n"
              "  </g>\n"
              "  <h>t<k/></h>\n"
              "  <otro>suelto</otro>\n"
              "</r>\n");
}

TEST(XmlDocument, TextAndSelectionsPassOverWhatIsFrozen) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(
        dir.write("s.xml", "<r><g n=\"1\"><dato>a</dato><f n=\"2\"><dato>b</dato>c</f><dato>d</dato></g></r>"));
    XmlNode g = doc.selectSingle("/r/g");
    XmlNode f = doc.selectSingle("/r/g/f");
    f.freeze();
    EXPECT_EQ(doc.documentElement().text(), "ad");
    EXPECT_EQ(doc.documentNode().text(), "ad");
    EXPECT_EQ(texts(doc.select("//dato")), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(texts(doc.select("//text()")), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(texts(doc.select("//@n")), (std::vector<std::string>{"1"}));
    EXPECT_EQ(doc.select("//f"), (std::vector<XmlNode>{f}));
    EXPECT_EQ(g.children("dato").size(), 2u);
}

// What the allocator holds for the program now.
std::size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

TEST(XmlDocument, FreezingFreesTheNodesAndKeepsOnlyTheirText) {
    ScratchFolder dir;
    auto doc = XmlDocument::load(dir.write("m.xml", "<r/>"));
    XmlNode root = doc.documentElement();
    std::vector<XmlNode> groups;
    groups.reserve(400);
    const auto before = static_cast<double>(heapInUse());
    for (int g = 0; g < 400; ++g) {
        XmlNode group = appendElement(doc, root, "grupo_datos");
        group.setAttribute("seq", "ACTIVIDAD_" + std::to_string(g));
        for (int v = 0; v < 11; ++v) appendValue(doc, group, "X_VALOR", "valor " + std::to_string(v));
        groups.push_back(group);
    }
    const auto built = static_cast<double>(heapInUse());
    for (auto& group : groups) group.freeze();
    const auto frozen = static_cast<double>(heapInUse());
    // The saved text of an activity is about a tenth of the memory its nodes take.
    EXPECT_LT(frozen - before, (built - before) / 4) << "before " << before << ", built " << built;
}

}  // namespace
