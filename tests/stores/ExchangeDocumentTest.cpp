#include "stores/ExchangeDocument.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using stores::DocumentRecord;
using stores::ExchangeDocument;
using testsupport::ScratchFolder;

ExchangeDocument loadText(const ScratchFolder& dir, const std::string& content) {
    return ExchangeDocument::load(dir.write("doc.xml", content));
}

std::vector<std::string> firstFields(const std::vector<DocumentRecord>& records) {
    std::vector<std::string> result;
    for (const auto& r : records) result.push_back(r.field(0));
    return result;
}

// Blocks and records as Veltrana writes them, with the odd cases a reader must not take.
constexpr const char* kBlocks = R"(<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO>
  <BLOQUE_DATOS>
    <grupo_datos seq="MATERIAS">
      <grupo_datos><dato>M1</dato><dato>k1</dato>
        <grupo_datos><dato>nested</dato><dato>x</dato></grupo_datos>
      </grupo_datos>
      <grupo_datos><dato>M2</dato></grupo_datos>
    </grupo_datos>
    <grupo_datos seq="materias"><grupo_datos><dato>lower case</dato></grupo_datos></grupo_datos>
    <grupo_datos seq="MATERIAS "><grupo_datos><dato>trailing blank</dato></grupo_datos></grupo_datos>
    <grupo_datos seq="EMPLEADOS"><grupo_datos><dato>E1</dato></grupo_datos></grupo_datos>
    <grupo_datos seq="MATERIAS"><grupo_datos><dato>M3</dato></grupo_datos></grupo_datos>
  </BLOQUE_DATOS>
  <grupo_datos seq="MATERIAS"><grupo_datos><dato>outside the data section</dato></grupo_datos></grupo_datos>
  <BLOQUE_DATOS>
    <grupo_datos seq="MATERIAS"><grupo_datos><dato>M4</dato></grupo_datos></grupo_datos>
  </BLOQUE_DATOS>
</SERVICIO>
)";

TEST(ExchangeDocument, RecordsComeFromEveryBlockWithExactlyThatSeq) {
    ScratchFolder dir;
    auto doc = loadText(dir, kBlocks);
    EXPECT_EQ(firstFields(doc.records("MATERIAS")), (std::vector<std::string>{"M1", "M2", "M3", "M4"}));
    EXPECT_EQ(firstFields(doc.records("materias")), (std::vector<std::string>{"lower case"}));
    EXPECT_EQ(firstFields(doc.records("EMPLEADOS")), (std::vector<std::string>{"E1"}));
    EXPECT_TRUE(doc.records("UNIDADES").empty());
}

TEST(ExchangeDocument, FieldsArePositionsAmongTheDatoChildrenAlone) {
    ScratchFolder dir;
    auto doc = loadText(dir, R"(<SERVICIO><BLOQUE_DATOS><grupo_datos seq="EMPLEADOS">
      <grupo_datos>
        <dato>  clave  </dato><nota>no</nota><dato>&#9;tab </dato>
        <otro><dato>inside a foreign element</dato></otro>
        <dato nombre_dato="X">   </dato><dato><b>a</b> &amp; <b>b</b></dato>
      </grupo_datos>
      <grupo_datos><dato>solo</dato></grupo_datos>
      <grupo_datos/>
    </grupo_datos></BLOQUE_DATOS></SERVICIO>)");
    const auto records = doc.records("EMPLEADOS");
    ASSERT_EQ(records.size(), 3u);
    const DocumentRecord& r = records[0];
    EXPECT_EQ(r.fieldCount(), 4u);
    struct Case { std::size_t position; const char* field; const char* trimmed; };
    const Case cases[] = {
        {0, "  clave  ", "clave"},
        {1, "\ttab ", "\ttab"},  // only blanks are trimmed
        {2, "", ""},             // blanks alone are layout and are gone
        {3, "a & b", "a & b"},
        {4, "", ""},             // a position the record lacks
        {99, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(r.field(c.position), c.field);
        EXPECT_EQ(r.trimmed(c.position), c.trimmed);
    }
    EXPECT_TRUE(records[0].isUsed());
    EXPECT_FALSE(records[1].isUsed());
    EXPECT_FALSE(records[2].isUsed());
    EXPECT_EQ(records[2].field(0), "");
}

TEST(ExchangeDocument, FieldsAreReadAsWindows1252) {
    ScratchFolder dir;
    auto doc = loadText(dir, "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"DEPENDENCIAS\"><grupo_datos>"
                             "<dato>Aula \xC3\xB1 \xE2\x82\xAC</dato><dato>\xE2\x88\x9E</dato>"
                             "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    const auto records = doc.records("DEPENDENCIAS");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].field(0), "Aula \xF1 \x80");
    EXPECT_EQ(records[0].field(1), "?");
}

TEST(ExchangeDocument, TheSchoolYearIsTheStartOfTheFirstBlocksText) {
    struct Case { const char* name; const char* content; std::optional<std::string> year; };
    const Case cases[] = {
        {"year and more", R"(<SERVICIO><BLOQUE_DATOS>
            <grupo_datos seq="ANNO_ACADEMICO"><dato>2023</dato><dato>-24</dato></grupo_datos>
            <grupo_datos seq="MATERIAS"/></BLOQUE_DATOS></SERVICIO>)", "2023"},
        {"whichever block comes first", R"(<SERVICIO><BLOQUE_DATOS>
            <grupo_datos seq="MATERIAS"><grupo_datos><dato>ABCDEF</dato></grupo_datos></grupo_datos>
            <grupo_datos seq="ANNO_ACADEMICO"><dato>2023</dato></grupo_datos></BLOQUE_DATOS></SERVICIO>)", "ABCD"},
        {"shorter than four", "<SERVICIO><BLOQUE_DATOS><grupo_datos><dato>23</dato></grupo_datos></BLOQUE_DATOS></SERVICIO>",
         "23"},
        {"nothing trimmed", "<SERVICIO><BLOQUE_DATOS><g><dato> 2023</dato></g></BLOQUE_DATOS></SERVICIO>", " 202"},
        {"empty first block", "<SERVICIO><BLOQUE_DATOS><g/><h>2023</h></BLOQUE_DATOS></SERVICIO>", ""},
        {"first of two sections", "<SERVICIO><BLOQUE_DATOS><g>1999</g></BLOQUE_DATOS><BLOQUE_DATOS><g>2023</g>"
         "</BLOQUE_DATOS></SERVICIO>", "1999"},
        {"no block, only layout", "<SERVICIO>\n  <BLOQUE_DATOS>\n  </BLOQUE_DATOS>\n</SERVICIO>", std::nullopt},
        {"no data section", "<SERVICIO><OTRO><g>2023</g></OTRO></SERVICIO>", std::nullopt},
        {"another root", "<HORARIOS><BLOQUE_DATOS><g>2023</g></BLOQUE_DATOS></HORARIOS>", std::nullopt},
    };
    ScratchFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = loadText(dir, c.content);
        EXPECT_EQ(doc.schoolYear(), c.year);
    }
}

TEST(ExchangeDocument, TheRootMustBeServicio) {
    ScratchFolder dir;
    EXPECT_TRUE(loadText(dir, "<SERVICIO/>").hasRoot());
    EXPECT_FALSE(loadText(dir, "<servicio/>").hasRoot());
    auto doc = loadText(dir, "<SERVICIO/>");
    doc.xml().documentNode().removeChild(doc.xml().documentElement());
    EXPECT_FALSE(doc.hasRoot());
}

}  // namespace
