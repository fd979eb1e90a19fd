// The main window: its controls as the form lays them out, its handlers and the host hand-off.
#include "app/gui/MainForm.h"

#include "app/gui/CommandLine.h"
#include "app/gui/FormControls.h"
#include "app/gui/GradientPanel.h"
#include "app/gui/ProfileWriter.h"
#include "app/gui/WindowFrontEnd.h"
#include "stores/RunError.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>

#include <new>
#include <string>
#include <vector>

namespace app {
namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                    QStyle::StandardPixmap glyph = QStyle::SP_CustomBase) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    if (glyph != QStyle::SP_CustomBase) b->setIcon(parent->style()->standardIcon(glyph));
    return b;
}

}  // namespace

TMForm::TMForm(QStringList arguments, FormServices services, QWidget* parent)
    : QWidget(parent), m_arguments(std::move(arguments)), m_services(std::move(services)) {
    setObjectName("MForm");
    setWindowTitle(kMainCaption);
    setFixedDialogFrame(this, {632, 266});
    buildControls();
    FormCreate();
}

TMForm::~TMForm() = default;

void TMForm::buildControls() {
    auto* draw3D1 = new GradientPanel(QColor("#C2CDFE"), QColor("#CFF2FE"), QColor("#CCD8E6"),
                                      QColor("#CCD8E6"), this);
    draw3D1->setObjectName("Draw3D1");
    draw3D1->setGeometry(0, 168, 633, 97);
    label(draw3D1, "Label1", "DuzezErozaraDiruzidu v1.0", {8, 72, 230, 13},
          pixelFont("MS Sans Serif", 11, true), "#FF0000");
    auto* bClose = button(draw3D1, "BClose", "&Salir", {256, 32, 89, 25},
                          QStyle::SP_DialogCloseButton);
    auto* button1 = button(draw3D1, "Button1", "F1 Ayuda", {264, 64, 75, 25});
    // Enter presses the focused button, as it does on any push button of a dialog.
    bClose->setAutoDefault(true);
    button1->setAutoDefault(true);

    const QColor white("#FFFFFF");
    auto* draw3D2 = new GradientPanel(QColor("#F9D37D"), white, QColor("#FFEEDD"),
                                      QColor("#00FF00"), this);
    draw3D2->setObjectName("Draw3D2");
    draw3D2->setGeometry(1, 0, 315, 169);
    label(draw3D2, "Label3", "Transformar datos desde Veltrana hacia Horavia ", {24, 24, 265, 57},
          pixelFont("Arial", 16, true));
    m_exportar = button(draw3D2, "BExportar", "OK", {96, 120, 89, 25}, QStyle::SP_DialogOkButton);

    auto* draw3D3 = new GradientPanel(QColor("#F9D37D"), white, QColor("#FFEEDD"),
                                      QColor("#00FF00"), this);
    draw3D3->setObjectName("Draw3D3");
    draw3D3->setGeometry(316, 0, 317, 169);
    label(draw3D3, "Label4", "Transformar datos desde Horavia hacia Veltrana", {8, 24, 305, 57},
          pixelFont("Arial", 16, true));
    m_importar = button(draw3D3, "BImportar", "OK", {96, 120, 89, 25}, QStyle::SP_DialogOkButton);

    // Both run buttons are default buttons: each shows the frame and answers Enter.
    m_exportar->setDefault(true);
    m_importar->setDefault(true);

    connect(m_exportar, &QPushButton::clicked, this, &TMForm::BExportarClick);
    connect(m_importar, &QPushButton::clicked, this, &TMForm::BImportarClick);
    connect(bClose, &QPushButton::clicked, this, &QWidget::close);
    connect(button1, &QPushButton::clicked, this, &TMForm::Button1Click);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &TMForm::helpOnContext);
}

void TMForm::FormCreate() {
    m_codigoResultado = 0;
    std::vector<std::string> words;
    for (const QString& argument : m_arguments) words.push_back(argument.toStdString());
    if (!isHostCommandLine(words)) return;
    const QString& handleText = m_arguments[1];
    const auto handle = parseWindowHandle(handleText.toStdString());
    if (!handle) {
        m_services.prompts.error(this, QString::fromStdString(handleConversionError(handleText.toStdString())));
        return;
    }
    QString problem = m_services.host
        ? m_services.host->embed(*this, *handle, [this] { hostWindowDestroyed(); })
        : QString("El convertidor no puede colocarse dentro de la ventana de Horavia en esta "
                  "plataforma. Se abre como ventana independiente.");
    if (!problem.isEmpty()) {
        m_services.prompts.error(this, problem);
        return;
    }
    m_modoHost = 2;
}

// The direction word starts its run before the window becomes visible, so that in host mode the
// first thing the user sees is the run's open dialog; a run that closes the window keeps it
// from ever showing.
void TMForm::setVisible(bool visible) {
    if (visible && !m_shown) {
        m_shown = true;
        if (m_modoHost != 2) centreOnScreen();
        FormShow();
        if (m_closed) return;
        QWidget::setVisible(true);
        if (m_modoHost == 2 && m_services.host) m_services.host->shown(*this);
        return;
    }
    QWidget::setVisible(visible);
}

void TMForm::FormShow() {
    // The command line decides, not ModoHost: with a handle that did not convert, the run
    // still starts in a stand-alone window.
    if (m_arguments.size() != 2) return;
    const Direction direction = directionOf(m_arguments[0].toStdString());
    if (direction == Direction::Import) BImportarClick();
    if (direction == Direction::Export && !m_closed) BExportarClick();
}

void TMForm::closeEvent(QCloseEvent* event) {
    if (m_closed) {  // the host window went away and the outcome is written
        event->accept();
        return;
    }
    if (!FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
    m_closed = true;
    // The close of this window ends the program. Qt's quit on the last window closed is not
    // used: an embedded window's close does not trigger it, and the dialogs of a run started
    // before the window shows would trigger it too early.
    if (m_services.endProgram) m_services.endProgram();
}

// Writes the outcome for Horavia. A failed write keeps the window open once, so the user can
// make the file writable and close again; a second failure lets the window close.
bool TMForm::FormClose() {
    if (m_modoHost != 2) return true;
    const std::filesystem::path& ini = m_services.iniFile;
    if (writeProfileString(ini, kIniSection, kIniKey, std::to_string(m_codigoResultado)))
        return true;
    const QString path = QFile::decodeName(ini.c_str());
    if (!m_iniWriteFailed) {
        m_iniWriteFailed = true;
        m_services.prompts.error(this, QString("No se puede escribir en %1.\nHoravia no recibirá el "
            "resultado (%2). Compruebe que el archivo y su carpeta se pueden escribir y cierre la "
            "ventana otra vez.").arg(path).arg(m_codigoResultado));
        return false;
    }
    m_services.prompts.error(this, QString("No se puede escribir en %1.\nLa ventana se cierra sin "
        "dejar el resultado a Horavia.").arg(path));
    return true;
}

void TMForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        for (QPushButton* b : {m_exportar, m_importar}) {
            if (b->isEnabled()) {
                b->click();
                return;
            }
        }
    }
    QWidget::keyPressEvent(event);
}

void TMForm::chooseDocument() {
    if (auto chosen = m_services.prompts.openXmlFile(this, m_archivoXML)) m_archivoXML = *chosen;
}

void TMForm::BExportarClick() {
    if (m_running) return;
    chooseDocument();
    const auto document = std::filesystem::path(QFile::encodeName(m_archivoXML).toStdString());
    runAndEnd([&](WindowFrontEnd& frontEnd) { return m_services.runs.exportRun(document, frontEnd); });
}

void TMForm::BImportarClick() {
    if (m_running) return;
    chooseDocument();
    const auto document = std::filesystem::path(QFile::encodeName(m_archivoXML).toStdString());
    runAndEnd([&](WindowFrontEnd& frontEnd) { return m_services.runs.importRun(document, frontEnd); });
}

// The ends a run shares: a failure in the error box with its own text (buttons stay, outcome
// kept); a missing document gives -1 in host mode; a finished run gives 1 and disables both
// run buttons. In host mode those two ends close the window. The cursor is restored on every end.
void TMForm::runAndEnd(const std::function<stores::RunOutcome(WindowFrontEnd&)>& run) {
    m_running = true;
    stores::RunOutcome outcome = stores::RunOutcome::Stopped;
    QString failure;
    {
        WindowFrontEnd frontEnd(this, m_services.prompts);
        try {
            outcome = run(frontEnd);
        } catch (const std::bad_alloc&) {
            failure = "No hay memoria suficiente para terminar el proceso.";
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
    }
    m_running = false;
    if (!failure.isEmpty()) {
        m_services.prompts.error(this, failure);
        return;
    }
    if (outcome == stores::RunOutcome::NoDocument && m_modoHost == 2) {
        m_codigoResultado = -1;
        close();
    } else if (outcome == stores::RunOutcome::Finished) {
        m_codigoResultado = 1;
        m_exportar->setEnabled(false);
        m_importar->setEnabled(false);
        if (m_modoHost == 2) close();
    }
}

void TMForm::Button1Click() {
    if (QString problem = m_services.help.showContents(); !problem.isEmpty())
        m_services.prompts.message(this, problem);
}

void TMForm::helpOnContext() {
    if (QString problem = m_services.help.showContext(kHelpContextMainWindow); !problem.isEmpty())
        m_services.prompts.message(this, problem);
}

void TMForm::hostWindowDestroyed() {
    if (m_closed) return;
    m_closed = true;
    writeProfileString(m_services.iniFile, kIniSection, kIniKey, std::to_string(m_codigoResultado));
    if (m_services.endProgram) m_services.endProgram();
}

void TMForm::centreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

}  // namespace app
