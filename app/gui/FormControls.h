// What both windows are built from: the fixed dialog frame, fonts sized in pixels as the forms
// give them, and labels placed and wrapped as the forms place them.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

class QLabel;
class QWidget;

namespace app {

// A dialog frame with a title and a close button only, of a size the user cannot change, and
// the forms' default font (MS Sans Serif, 11 pixels).
void setFixedDialogFrame(QWidget* window, QSize size);

QFont pixelFont(const char* family, int pixels, bool bold, bool italic = false, bool underline = false);

// A word-wrapped label at the top left of its place; `colour` (none: the style's) for its text.
QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry,
              const QFont& font, const char* colour = nullptr);

}  // namespace app
