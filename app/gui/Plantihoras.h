// Plantillas, the time-frame dialog: lists the document's frames, shows the details of the one
// clicked last, and on closing checks that one or two frames are selected.
#pragma once

#include "app/gui/HelpViewer.h"
#include "app/gui/Prompts.h"
#include "export/FrameChoice.h"

#include <QDialog>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace app {

inline constexpr char kPlantillasCaption[] = "Planillas, Marcos o Jornadas Horarias";

class TPlantillas : public QDialog {
    Q_OBJECT
public:
    // `document` is ArchivoXML; the dialog reads its own copy when it is first shown. Messages
    // of the closing check go through `prompts`; F1 asks `help` (may be null).
    TPlantillas(std::filesystem::path document, Prompts& prompts, HelpViewer* help,
                QWidget* parent = nullptr);
    ~TPlantillas() override;

    // Set by the closing check.
    bool EleccionValida() const { return m_eleccionValida; }
    const std::string& MarcosElegidos() const { return m_marcosElegidos; }
    // The document offered nothing to choose and the user closed the dialog, or the dialog was
    // taken down without being closed (the program is ending): the export run stops.
    bool cancelled() const { return m_cancelled || !m_closedByUser; }

    exportrun::FrameAnswer answer() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void ComboBoxPlantillaChange();
    void ListBox2Click();
    void BitBtnContinuarClick();
    void helpOnContext();

private:
    void buildControls();
    void FormActivate();
    void FormClose();

    std::filesystem::path m_document;
    Prompts& m_prompts;
    HelpViewer* m_help;
    std::unique_ptr<exportrun::FrameChoice> m_choice;  // DocPlantillas, read when first shown
    std::vector<std::string> m_items;                  // ListBox2's codes, cp1252
    bool m_activated = false;
    bool m_closedByUser = false;
    bool m_cancelled = false;
    bool m_eleccionValida = false;
    std::string m_marcosElegidos;

    QListWidget* m_listBox2 = nullptr;
    QListWidget* m_listBox1 = nullptr;
    QComboBox* m_comboBoxPlantilla = nullptr;
    QLabel* m_labelNombre = nullptr;
    QLabel* m_labelPlanFec1 = nullptr;
    QLabel* m_labelPlanFec2 = nullptr;
};

}  // namespace app
