// The Post OCR Correction dialog (Form10): the user picks the passes, and Correct! runs them over the whole subtitle store.
#pragma once

#include "core/pass_host.h"
#include "subtitles/post_ocr_correction.h"

#include <QDialog>
#include <QElapsedTimer>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace glyfex::app {
class App;
}

namespace glyfex::subtitles::ui {

class PostOcrDialog : public QDialog, private core::PassHost {
    Q_OBJECT
public:
    PostOcrDialog(app::App &app, QWidget *parent = nullptr);

    // The passes and the language as the controls show them.
    PostOcrOptions options() const;
    // Fills the dictionary list from the Dict folders, keeping the chosen dictionary when it is still there.
    void fillDictionaries();
    // Runs the chosen passes over the store (Correct!): both dictionaries load first, a file that cannot
    // be read is shown and nothing changes; then the Subtitles window shows the corrected text.
    void correct();

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void progress(int64_t done, int64_t total) override;
    core::PumpResult pump() override;
    void enableControls();

    app::App &m_app;
    QCheckBox *m_twiceAp;
    QCheckBox *m_il;
    QGroupBox *m_ilLanguage;
    QList<QRadioButton *> m_languages;
    QCheckBox *m_punctuation;
    QCheckBox *m_orthography;
    QComboBox *m_dictionary;
    QCheckBox *m_capitals;
    QCheckBox *m_lowerCase;
    QCheckBox *m_numbers;
    QCheckBox *m_wholeWords;
    QProgressBar *m_individual;
    QProgressBar *m_all;
    QPushButton *m_correct;
    QPushButton *m_cancel;
    bool m_running = false;
    bool m_cancelRequested = false;
    QElapsedTimer m_pumpClock;
};

} // namespace glyfex::subtitles::ui
