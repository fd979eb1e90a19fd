// Embedding in a foreign X11 window: the window is checked first (Qt accepts any number and the
// X server's refusal would go unseen), then our window is created and reparented before it is
// first shown, so that it never appears as a top-level window.
#include "app/gui/HostEmbedder.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace app {
namespace {

QString hex(std::uint32_t handle) {
    return QString::number(handle, 16).toUpper();
}

// Ends our part when X destroys our window together with the host window.
class DestroyWatch : public QAbstractNativeEventFilter {
public:
    DestroyWatch(QWidget& window, std::function<void()> hostGone)
        : m_window(&window), m_id(static_cast<xcb_window_t>(window.winId())),
          m_hostGone(std::move(hostGone)) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
        auto* destroyed = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
        // Our window is destroyed by us only with the widget, and then the pointer is gone:
        // a window that dies while its widget lives went with its host (also while a run that
        // started before the first showing still has it hidden).
        if (destroyed->window == m_id && m_window && m_hostGone) {
            auto hostGone = std::move(m_hostGone);
            m_hostGone = nullptr;
            hostGone();
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    xcb_window_t m_id;
    std::function<void()> m_hostGone;
};

class X11HostEmbedder : public HostEmbedder {
public:
    ~X11HostEmbedder() override {
        if (m_watch) QCoreApplication::instance()->removeNativeEventFilter(m_watch.get());
    }

    QString embed(QWidget& window, std::uint32_t handle, std::function<void()> hostGone) override {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr)
            return "El convertidor no puede colocarse dentro de la ventana de Horavia: eso "
                   "necesita X11. Inícielo con QT_QPA_PLATFORM=xcb.";
        if (QString problem = checkHost(x11->connection(), handle); !problem.isEmpty())
            return problem;

        m_host.reset(QWindow::fromWinId(WId(handle)));
        makeFrameless(window);
        window.winId();
        window.windowHandle()->setParent(m_host.get());
        window.move(0, 0);
        // A round trip: the host sees our window as its child as soon as this returns.
        xcb_connection_t* connection = x11->connection();
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        m_watch = std::make_unique<DestroyWatch>(window, std::move(hostGone));
        QCoreApplication::instance()->installNativeEventFilter(m_watch.get());
        return {};
    }

    void shown(QWidget& window) override {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr || !m_host) return;
        xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_PARENT,
                            static_cast<xcb_window_t>(window.winId()), XCB_CURRENT_TIME);
        xcb_flush(x11->connection());
    }

private:
    static QString checkHost(xcb_connection_t* connection, std::uint32_t handle) {
        for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
             xcb_screen_next(&it)) {
            if (it.data->root == handle)
                return QString("El identificador %1 es el fondo de la pantalla, no una ventana "
                               "de Horavia. El convertidor se abre como ventana independiente.")
                    .arg(hex(handle));
        }
        xcb_generic_error_t* error = nullptr;
        auto* reply = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, handle), &error);
        std::free(error);
        if (reply == nullptr)
            return QString("No existe ninguna ventana con el identificador %1, así que el "
                           "convertidor no puede colocarse dentro de Horavia. Se abre como "
                           "ventana independiente.").arg(hex(handle));
        std::free(reply);
        return {};
    }

    std::unique_ptr<QWindow> m_host;  // the foreign window's wrapper; never destroys the window
    std::unique_ptr<DestroyWatch> m_watch;
};

}  // namespace

std::unique_ptr<HostEmbedder> makeX11HostEmbedder() {
    return std::make_unique<X11HostEmbedder>();
}

}  // namespace app
