// The built help file: its context map sends 3 to the main window's topic, and the topics and
// the table of contents are inside.
#include <chm_lib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

struct ChmCloser {
    void operator()(chmFile* file) const { chm_close(file); }
};

std::string object(chmFile* file, const std::string& path) {
    chmUnitInfo info{};
    if (chm_resolve_object(file, path.c_str(), &info) != CHM_RESOLVE_SUCCESS) return {};
    std::string data(static_cast<std::size_t>(info.length), '\0');
    auto* buffer = reinterpret_cast<unsigned char*>(data.data());
    if (chm_retrieve_object(file, &info, buffer, 0, static_cast<LONGINT64>(info.length)) != static_cast<LONGINT64>(info.length))
        return {};
    return data;
}

std::uint32_t le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// /#IVB: a byte length, then (context id, offset into /#STRINGS) pairs.
std::map<std::uint32_t, std::string> contextMap(chmFile* file) {
    const std::string ivb = object(file, "/#IVB");
    const std::string strings = object(file, "/#STRINGS");
    std::map<std::uint32_t, std::string> map;
    if (ivb.size() < 4) return map;
    const std::size_t length = le32(ivb, 0);
    for (std::size_t at = 4; at + 8 <= 4 + length && at + 8 <= ivb.size(); at += 8) {
        const std::size_t offset = le32(ivb, at + 4);
        if (offset < strings.size()) map[le32(ivb, at)] = strings.c_str() + offset;
    }
    return map;
}

TEST(HelpFile, MapsContextThreeToTheMainWindowTopic) {
    const std::string path = std::string(BIN_DIR) + "/VELTRANA.chm";
    std::unique_ptr<chmFile, ChmCloser> file(chm_open(path.c_str()));
    ASSERT_TRUE(file) << "cannot open " << path;

    const auto contexts = contextMap(file.get());
    ASSERT_TRUE(contexts.count(3));
    EXPECT_EQ(contexts.at(3), "ventana.html");
    const std::string topic = object(file.get(), "/" + contexts.at(3));
    EXPECT_NE(topic.find("<title>La ventana principal</title>"), std::string::npos);

    for (const char* page : {"/inicio.html", "/exportar.html", "/marcos.html", "/importar.html", "/anfitrion.html"}) {
        SCOPED_TRACE(page);
        EXPECT_FALSE(object(file.get(), page).empty());
    }
    const std::string toc = object(file.get(), "/Default.hhc");
    EXPECT_NE(toc.find("ventana.html"), std::string::npos);
    EXPECT_NE(toc.find("Qu\xE9 hace DuzezErozaraDiruzidu"), std::string::npos);  // windows-1252
}

}  // namespace
