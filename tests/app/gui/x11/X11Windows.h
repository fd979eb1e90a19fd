// A second X connection of the test's own, unknown to Qt: it makes host windows and looks at
// the window tree the way Horavia and a window manager see it.
#pragma once

#include <xcb/xcb.h>

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace apptest {

class X11Windows {
public:
    X11Windows();
    ~X11Windows();
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    bool connected() const { return m_connection != nullptr; }
    xcb_window_t root() const { return m_root; }

    // A mapped top-level window, as the host program's.
    xcb_window_t createHost(int width = 700, int height = 320);
    void destroy(xcb_window_t window);

    xcb_window_t parentOf(xcb_window_t window);
    std::vector<xcb_window_t> childrenOf(xcb_window_t window);
    bool exists(xcb_window_t window);
    bool isViewable(xcb_window_t window);
    QString title(xcb_window_t window);                  // _NET_WM_NAME, else WM_NAME
    std::optional<std::uint32_t> pid(xcb_window_t window);  // _NET_WM_PID
    // A window manager's close box: WM_PROTOCOLS / WM_DELETE_WINDOW.
    void askToClose(xcb_window_t window);

private:
    xcb_atom_t atom(const char* name);
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
};

}  // namespace apptest
