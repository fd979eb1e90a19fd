// Placing the window inside a window of the host program (Horavia), given by its native handle.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

namespace app {

class HostEmbedder {
public:
    virtual ~HostEmbedder() = default;
    // Before the window's first showing: makes it a frameless child of the window `handle`, at
    // 0,0. Returns an empty text on success, otherwise what to tell the user (nothing changed).
    // `hostGone` is called if the host window is destroyed while ours is shown in it.
    virtual QString embed(QWidget& window, std::uint32_t handle, std::function<void()> hostGone) = 0;
    // After the first showing: take the keyboard, which a child window does not get by a click.
    virtual void shown(QWidget& window) = 0;
};

// No frame and no caption bar. The title and close-box hints go too: Qt would otherwise put the
// frame back.
inline void makeFrameless(QWidget& window) {
    window.setWindowFlags((window.windowFlags() & Qt::WindowType_Mask) | Qt::FramelessWindowHint);
}

// X11 (the xcb platform). The handle is an X window id. The embedder must outlive the window.
std::unique_ptr<HostEmbedder> makeX11HostEmbedder();

}  // namespace app
