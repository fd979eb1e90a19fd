// The XML document service: load, select, read, build and save documents. No libxml2 type
// appears here; text crosses this interface as cp1252 (converted at every read and write).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stores {

class XmlDocument;

// A handle to a node of an XmlDocument; valid while its document lives. A default-constructed
// handle is "no node": selectSingle, firstChild and friends give it when they find nothing.
class XmlNode {
public:
    XmlNode() = default;
    explicit operator bool() const { return m_node != nullptr; }
    bool operator==(const XmlNode&) const = default;

    std::string name() const;                       // element name, empty for other nodes
    std::string text() const;                       // text of the node and all its descendants
    std::string attribute(std::string_view name) const;  // empty when absent

    // XPath, evaluated with this node as context; matches in document order.
    std::vector<XmlNode> select(std::string_view xpath) const;
    XmlNode selectSingle(std::string_view xpath) const;
    // The element children with this name (and no namespace), in order: select("dato"), faster.
    std::vector<XmlNode> children(std::string_view elementName) const;
    XmlNode firstChild() const;                     // any kind of node

    void removeChild(XmlNode child);
    void appendChild(XmlNode child);
    void setAttribute(std::string_view name, std::string_view value);
    void setAttribute(std::string_view name, std::int64_t value);
    void setText(std::string_view value);           // content becomes exactly this text

    // Turns this element, with everything in it, into the text that save() writes for it at this
    // place, and frees its nodes: a finished part of a large document then costs only its text.
    // The element must be placed in the document. A later save writes the same bytes as it would
    // have written without freezing. Afterwards:
    // - every use of this element is a RunError; handles to nodes inside it must not be used;
    // - it and every element above it keep their place: moving or removing one of them, or adding
    //   or taking text among their children, is a RunError (either would change the layout that
    //   save gives the frozen text); elements and attributes may still be added;
    // - text() and select() on its ancestors pass over what is inside it; a selection may still
    //   return the frozen element itself.
    void freeze();

private:
    friend class XmlDocument;
    XmlNode(void* node, XmlDocument* document) : m_node(node), m_document(document) {}
    void* m_node = nullptr;
    XmlDocument* m_document = nullptr;
};

class XmlDocument {
public:
    // Reads the file. Throws RunError naming the file, line and column when it cannot be read
    // or is not well-formed XML, or when it declares entities. Whitespace-only text between
    // elements is dropped; no network, no external entity and no DTD is ever loaded.
    static XmlDocument load(const std::filesystem::path& file);

    XmlDocument(XmlDocument&&) noexcept;
    XmlDocument& operator=(XmlDocument&&) noexcept;
    ~XmlDocument();

    XmlNode documentNode();     // the document itself: parent of the root, comments, PIs
    XmlNode documentElement() const;  // the root element, or no node

    std::vector<XmlNode> select(std::string_view xpath);
    XmlNode selectSingle(std::string_view xpath);

    // A new element that belongs to this document but has no place in the tree yet.
    XmlNode createElement(std::string_view name);

    // Writes the whole document in the encoding of the loaded file's declaration (UTF-8 without
    // one), keeping every node outside the root. The file is written beside `file` under a
    // temporary name and renamed over it, so a failed save leaves `file` as it was.
    void save(const std::filesystem::path& file);

    struct Impl;

private:
    friend class XmlNode;
    explicit XmlDocument(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace stores
