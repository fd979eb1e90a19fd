// The test's own X connection.
#include "gui/x11/X11Windows.h"

#include <cstdlib>
#include <cstring>

namespace apptest {

X11Windows::X11Windows() {
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

X11Windows::~X11Windows() {
    if (m_connection) xcb_disconnect(m_connection);
}

xcb_window_t X11Windows::createHost(int width, int height) {
    const xcb_window_t window = xcb_generate_id(m_connection);
    const auto* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 20, 20,
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char name[] = "HostWindow";
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof name - 1, name);
    xcb_map_window(m_connection, window);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return window;
}

void X11Windows::destroy(xcb_window_t window) {
    xcb_destroy_window(m_connection, window);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

xcb_window_t X11Windows::parentOf(xcb_window_t window) {
    auto* reply = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
    if (reply == nullptr) return XCB_WINDOW_NONE;
    const xcb_window_t parent = reply->parent;
    std::free(reply);
    return parent;
}

std::vector<xcb_window_t> X11Windows::childrenOf(xcb_window_t window) {
    auto* reply = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
    if (reply == nullptr) return {};
    const xcb_window_t* first = xcb_query_tree_children(reply);
    std::vector<xcb_window_t> children(first, first + xcb_query_tree_children_length(reply));
    std::free(reply);
    return children;
}

bool X11Windows::exists(xcb_window_t window) {
    auto* reply = xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
    std::free(reply);
    return reply != nullptr;
}

bool X11Windows::isViewable(xcb_window_t window) {
    auto* reply = xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

xcb_atom_t X11Windows::atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

QString X11Windows::title(xcb_window_t window) {
    for (xcb_atom_t property : {atom("_NET_WM_NAME"), xcb_atom_t(XCB_ATOM_WM_NAME)}) {
        auto* reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
        if (reply == nullptr) continue;
        const QString text = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                               xcb_get_property_value_length(reply));
        std::free(reply);
        if (!text.isEmpty()) return text;
    }
    return {};
}

std::optional<std::uint32_t> X11Windows::pid(xcb_window_t window) {
    auto* reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1), nullptr);
    std::optional<std::uint32_t> value;
    if (reply && xcb_get_property_value_length(reply) == 4)
        value = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

void X11Windows::askToClose(xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(m_connection);
}

}  // namespace apptest
