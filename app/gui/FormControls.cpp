#include "app/gui/FormControls.h"

#include <QLabel>
#include <QWidget>

namespace app {

void setFixedDialogFrame(QWidget* window, QSize size) {
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(size);
    window->setFont(pixelFont("MS Sans Serif", 11, false));
}

QFont pixelFont(const char* family, int pixels, bool bold, bool italic, bool underline) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry,
              const QFont& font, const char* colour) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->setFont(font);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (colour != nullptr) l->setStyleSheet(QString("color: %1;").arg(colour));
    return l;
}

}  // namespace app
