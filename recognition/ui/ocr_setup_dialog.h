// The Advanced OCR Setup dialog (Form4): edits the recognition tuning block within each value's range.
#pragma once

#include "core/result.h"
#include "core/user_prompt.h"
#include "recognition/ocr_settings.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QPushButton;
class QSlider;

namespace glyfex::core::ui {
class NumericEdit;
}

namespace glyfex::recognition::ui {

// The controls are the working copy between showing and OK or Cancel; "Reload Default Values" and
// "Save these Values" change the block at once, which is why they disable Cancel.
class OcrSetupDialog : public QDialog {
    Q_OBJECT
public:
    // Writes the block into the configuration file ("Save these Values").
    using Saver = std::function<core::Result<void>(const OcrSettings &)>;
    // Where range warnings and a failed save go.
    using PromptSource = std::function<core::UserPrompt &()>;

    // settings must outlive the dialog.
    OcrSetupDialog(OcrSettings &settings, Saver saver, PromptSource prompt, QWidget *parent = nullptr);

    // Every control takes its field's value.
    void loadOcrSettings();
    // Every field takes its control's value; an entry out of range (typed, pasted, or left by Enter
    // or an accelerator key before the field lost the focus) is warned about and set to the nearer
    // bound first, so the block never holds a value outside its range.
    void storeOcrSettings();

    void reloadDefaults();
    // Stores and writes the block; a failed write is reported (the block keeps the values all the same).
    void saveValues();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Field {
        core::ui::NumericEdit *edit;
        int OcrSettings::*value;
    };

    OcrSettings &m_settings;
    Saver m_saver;
    PromptSource m_prompt;
    std::vector<Field> m_fields;
    core::ui::NumericEdit *m_sensibility = nullptr;
    QSlider *m_sensibilityBar = nullptr;
    QCheckBox *m_detached = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_followingBar = false; // the edit and the track bar are setting each other
};

} // namespace glyfex::recognition::ui
