// MForm, the program's only permanent window: the two runs, help, and the hand-off with the host
// program Horavia (embedding, the run of the direction word, the outcome in Horavia.ini).
#pragma once

#include "app/gui/HelpViewer.h"
#include "app/gui/HostEmbedder.h"
#include "app/gui/Prompts.h"
#include "app/gui/Runs.h"

#include <QStringList>
#include <QWidget>

#include <filesystem>
#include <functional>

class QLabel;
class QPushButton;

namespace app {

class WindowFrontEnd;

inline constexpr char kApplicationTitle[] = "DuzezErozaraDiruzidu";
inline constexpr char kMainCaption[] = "Exportar e importar datos entre Horavia y Veltrana";
inline constexpr char kIniSection[] = "Transformadores";
inline constexpr char kIniKey[] = "Transformado";

// What the window works with, handed in by the program start (or by a test).
struct FormServices {
    Prompts& prompts;
    Runs& runs;
    HelpViewer& help;
    HostEmbedder* host = nullptr;        // nothing: host mode is not available
    std::filesystem::path iniFile;       // Horavia.ini beside the program
    std::function<void()> endProgram;    // called when the window has closed
};

class TMForm : public QWidget {
    Q_OBJECT
public:
    // `arguments`: the command line without the program name.
    TMForm(QStringList arguments, FormServices services, QWidget* parent = nullptr);
    ~TMForm() override;

    const QString& archivoXML() const { return m_archivoXML; }
    int codigoResultado() const { return m_codigoResultado; }
    int modoHost() const { return m_modoHost; }

public slots:
    void BExportarClick();
    void BImportarClick();
    void Button1Click();
    void helpOnContext();
    // X took our window away with the host's: leave the outcome and end the program.
    void hostWindowDestroyed();

protected:
    void setVisible(bool visible) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void FormCreate();
    void FormShow();
    bool FormClose();
    void chooseDocument();
    void runAndEnd(const std::function<stores::RunOutcome(WindowFrontEnd&)>& run);
    void centreOnScreen();

    QStringList m_arguments;
    FormServices m_services;
    QString m_archivoXML;
    qint32 m_codigoResultado = 0;
    qint32 m_modoHost = 0;
    bool m_shown = false;
    bool m_closed = false;
    bool m_running = false;
    bool m_iniWriteFailed = false;
    QPushButton* m_exportar = nullptr;
    QPushButton* m_importar = nullptr;
};

}  // namespace app
