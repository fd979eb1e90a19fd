// What every window of the program shares: the application title, Spanish texts in Qt's own
// dialogs, and the fonts of the original forms.
#pragma once

class QApplication;

namespace app {

// Call once, right after the QApplication is made.
void setUpApplication(QApplication& application);

}  // namespace app
