// The time-frame dialog over exportrun::FrameChoice, laid out as the form places its controls.
#include "app/gui/Plantihoras.h"

#include "app/gui/FormControls.h"
#include "app/gui/GradientPanel.h"
#include "text/Cp1252.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

namespace app {
namespace {

QString fromCp1252(const std::string& s) {
    return QString::fromStdString(text::utf8FromCp1252(s));
}

// The export run then tells that it stopped and what it left written.
const char kNothingToChoose[] =
    "El documento %1 no ofrece ningún Marco Horario que elegir: no se puede leer o tiene menos "
    "de dos.";

}  // namespace

TPlantillas::TPlantillas(std::filesystem::path document, Prompts& prompts, HelpViewer* help,
                         QWidget* parent)
    : QDialog(parent), m_document(std::move(document)), m_prompts(prompts), m_help(help) {
    setObjectName("Plantillas");
    setWindowTitle(kPlantillasCaption);
    setFixedDialogFrame(this, {370, 282});
    move(424, 285);
    buildControls();
}

TPlantillas::~TPlantillas() = default;

void TPlantillas::buildControls() {
    // Sky blue through white to the inactive caption colour.
    auto* draw3D4 = new GradientPanel(QColor("#A6CAF0"), QColor("#FFFFFF"), QColor("#BFCDDB"),
                                      QColor("#A6CAF0"), this);
    draw3D4->setObjectName("Draw3D4");
    draw3D4->setGeometry(0, 0, 369, 281);

    label(draw3D4, "LabelPlantillas",
          "Seleccione 1, o los 2 Marcos Horarios que quiere aplicar a su Horario en Horavia.",
          {16, 2, 321, 33}, pixelFont("Arial", 13, true), "#000000");
    label(draw3D4, "LabelSelec",
          "Para seleccionar mas de un Marco Horario, mantenga (Ctrl) pulsado y seleccione cada "
          "marco con 1 click del botón izquierdo del ratón.",
          {16, 36, 321, 50}, pixelFont("Arial", 13, true, true), "#FF0000");
    label(draw3D4, "LabelMarcos", "MARCOS", {40, 86, 74, 16}, pixelFont("Arial", 16, true), "#800000");
    label(draw3D4, "Label1", "HORAS", {215, 86, 67, 18}, pixelFont("Arial", 16, true), "#800000");

    m_listBox2 = new QListWidget(draw3D4);
    m_listBox2->setObjectName("ListBox2");
    m_listBox2->setGeometry(16, 103, 127, 45);
    // A click selects one frame; Ctrl-click adds or removes one.
    m_listBox2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listBox1 = new QListWidget(draw3D4);
    m_listBox1->setObjectName("ListBox1");
    m_listBox1->setGeometry(152, 103, 193, 146);

    m_labelNombre = label(draw3D4, "LabelNombre", "-", {9, 151, 120, 41},
                          pixelFont("Arial", 16, true, false, true), "#800000");
    m_labelPlanFec1 = label(draw3D4, "LabelPlanFec1", "-", {9, 196, 120, 23},
                            pixelFont("Arial", 16, true), "#800000");
    m_labelPlanFec2 = label(draw3D4, "LabelPlanFec2", "-", {9, 226, 120, 23},
                            pixelFont("Arial", 16, true), "#800000");

    m_comboBoxPlantilla = new QComboBox(draw3D4);
    m_comboBoxPlantilla->setObjectName("ComboBoxPlantilla");
    m_comboBoxPlantilla->setGeometry(150, 254, 81, 21);
    m_comboBoxPlantilla->setFont(pixelFont("MS Sans Serif", 11, true));
    m_comboBoxPlantilla->setStyleSheet("background: #FFFF00;");
    m_comboBoxPlantilla->hide();

    auto* continuar = new QPushButton("Continuar", draw3D4);
    continuar->setObjectName("BitBtnContinuar");
    continuar->setGeometry(255, 253, 89, 25);
    continuar->setFont(pixelFont("MS Sans Serif", 11, true));
    continuar->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    continuar->setDefault(true);

    connect(m_listBox2, &QListWidget::itemClicked, this, &TPlantillas::ListBox2Click);
    connect(m_listBox2, &QListWidget::currentRowChanged, this, &TPlantillas::ListBox2Click);
    connect(continuar, &QPushButton::clicked, this, &TPlantillas::BitBtnContinuarClick);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &TPlantillas::helpOnContext);
}

// The dialog reads the document once per showing. (Reading it again whenever the dialog became
// active again would throw away the user's selection after every switch to another window.)
void TPlantillas::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        FormActivate();
    }
}

void TPlantillas::FormActivate() {
    m_choice = std::make_unique<exportrun::FrameChoice>(m_document);
    const auto& codes = m_choice->frameCodes();
    if (codes.size() > 1) {
        const QSignalBlocker blockList(m_listBox2);
        m_comboBoxPlantilla->clear();
        m_listBox2->clear();
        m_items = codes;
        for (const std::string& code : codes) {
            m_comboBoxPlantilla->addItem(fromCp1252(code));
            m_listBox2->addItem(fromCp1252(code));
        }
    }
    m_comboBoxPlantilla->setCurrentIndex(m_items.empty() ? -1 : 0);
    ComboBoxPlantillaChange();
}

void TPlantillas::ComboBoxPlantillaChange() {
    if (!m_choice) return;
    const int index = m_comboBoxPlantilla->currentIndex();
    const std::string code = index >= 0 && index < int(m_items.size()) ? m_items[index] : std::string();
    const exportrun::FrameDetails details = m_choice->details(code);
    m_labelNombre->setText(fromCp1252(details.name));
    m_labelPlanFec1->setText(fromCp1252(details.startDate));
    m_labelPlanFec2->setText(fromCp1252(details.endDate));
    if (auto captions = m_choice->slotCaptions(code)) {
        m_listBox1->clear();
        for (const std::string& caption : *captions) m_listBox1->addItem(fromCp1252(caption));
    }
}

// The frame shown is the one clicked last (the list's current item), selected or not.
void TPlantillas::ListBox2Click() {
    m_comboBoxPlantilla->setCurrentIndex(m_listBox2->currentRow());
    ComboBoxPlantillaChange();
}

void TPlantillas::BitBtnContinuarClick() {
    close();
}

void TPlantillas::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

// The closing check. The dialog closes in every case; the caller shows a new one until the
// choice is valid. A document that offers nothing to choose would trap the user in that loop,
// so closing then cancels the export instead.
void TPlantillas::FormClose() {
    m_closedByUser = true;
    if (m_items.empty()) {
        m_cancelled = true;
        m_eleccionValida = false;
        m_marcosElegidos.clear();
        m_prompts.message(this, QString(kNothingToChoose).arg(QFile::decodeName(m_document.c_str())));
        return;
    }
    std::vector<bool> selected;
    for (int i = 0; i < m_listBox2->count(); ++i) selected.push_back(m_listBox2->item(i)->isSelected());
    const exportrun::ClosingCheck check = exportrun::FrameChoice::close(m_items, selected);
    m_eleccionValida = check.eleccionValida;
    m_marcosElegidos = check.marcosElegidos;
    if (!check.message.empty()) m_prompts.message(this, QString::fromStdString(check.message));
}

// Escape does not close the dialog: only Continuar and the close box do, through the check.
void TPlantillas::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPlantillas::helpOnContext() {
    if (m_help == nullptr) return;
    if (QString problem = m_help->showContext(kHelpContextMainWindow); !problem.isEmpty())
        m_prompts.message(this, problem);
}

exportrun::FrameAnswer TPlantillas::answer() const {
    exportrun::FrameAnswer result;
    result.cancelled = cancelled();
    result.eleccionValida = !result.cancelled && m_eleccionValida;
    result.marcosElegidos = m_marcosElegidos;
    return result;
}

}  // namespace app
