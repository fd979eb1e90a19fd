// Shows the help file VELTRANA.chm: at its table of contents, or at a context number.
#pragma once

#include <QString>

namespace app {

inline constexpr int kHelpContextMainWindow = 3;

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Each returns an empty text when the viewer was started, otherwise what to tell the user.
    virtual QString showContents() = 0;
    virtual QString showContext(int context) = 0;
};

// Opens the file with xchm ("xchm <file>", "xchm -c <context> <file>"), started detached.
class XchmHelpViewer : public HelpViewer {
public:
    explicit XchmHelpViewer(QString helpFile) : m_helpFile(std::move(helpFile)) {}
    QString showContents() override;
    QString showContext(int context) override;

private:
    QString launch(const QStringList& arguments);
    QString m_helpFile;
};

}  // namespace app
