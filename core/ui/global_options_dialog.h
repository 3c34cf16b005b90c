// The Global Options dialog (Form16): program-wide options, changed in place as the user edits them.
#pragma once

#include "core/global_options.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace glyfex::core::ui {

// Edits the GlobalOptions record it is given; every change reaches the record at once, so the users
// of an option see it without the dialog being closed first. Component names are those the language
// files use.
class GlobalOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // options must outlive the dialog. The title is the main menu's item text without "&".
    GlobalOptionsDialog(GlobalOptions &options, const QString &menuItemText, QWidget *parent = nullptr);

    // The record the dialog edits.
    GlobalOptions &options() { return m_options; }

    // Puts the record's values into the controls (after the configuration was loaded); a number
    // outside a box's range is brought to its nearer bound, in the record too.
    void showOptions();

private:
    // Enables the fill-in controls exactly while "Fill in after" is chosen.
    void fillChoiceChanged();

    GlobalOptions &m_options;
    QSpinBox *m_minTime;
    QCheckBox *m_buildMap;
    QCheckBox *m_useFileOffsets;
    QCheckBox *m_wake;
    QCheckBox *m_forced;
    QCheckBox *m_rightToLeft;
    QSpinBox *m_maxTmp;
    QSpinBox *m_minTmp;
    QRadioButton *m_wait;
    QRadioButton *m_fill;
    QSpinBox *m_fillDelay;
    QLineEdit *m_fillNone;
    QLineEdit *m_before;
    QLineEdit *m_after;
    QCheckBox *m_addToMatrix;
    QList<QWidget *> m_fillControls;
    bool m_showing = false; // controls being filled from the record: no write-back meanwhile
};

} // namespace glyfex::core::ui
