// The Time correction dialog (Form14): offset, stretch, durations, minimum interval and the authoring repair of every subtitle.
#pragma once

#include "core/ui/time_code_fields.h"
#include "subtitles/time_correction.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QPushButton;

namespace glyfex::app {
class App;
}

namespace glyfex::subtitles::ui {

class SubtitlesWindow;

class TimeCorrectionDialog : public QDialog {
    Q_OBJECT
public:
    TimeCorrectionDialog(app::App &app, SubtitlesWindow &subtitles, QWidget *parent);

    // What the controls say now.
    TimeCorrectionOptions options() const;
    // Correct Time: applies the options to the store and rebuilds the Subtitles window's text.
    void correctTime();
    // What the command line does instead of showing the dialog: the fields of a new showing, the
    // authoring repair ticked, then Correct Time.
    void correctForCommandLine();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Offset, stretch and the duration box start afresh at every showing; the rest is kept.
    void resetForShowing();
    void durationMethodChanged();

    app::App &m_app;
    SubtitlesWindow &m_subtitles;

    core::ui::TimeCodeFields m_offset;
    QCheckBox *m_minusOffset = nullptr;
    core::ui::TimeCodeFields m_stretch;
    QCheckBox *m_minusStretch = nullptr;
    QCheckBox *m_subDuration = nullptr;
    QButtonGroup *m_method = nullptr;
    QWidget *m_fixedPanel = nullptr;
    QWidget *m_proportionalPanel = nullptr;
    core::ui::WordEdit *m_fixedDuration = nullptr;
    core::ui::WordEdit *m_offsetDuration = nullptr;
    core::ui::WordEdit *m_msPerChar = nullptr;
    core::ui::WordEdit *m_minInterval = nullptr;
    QCheckBox *m_timeAuthor = nullptr;
    QPushButton *m_modify = nullptr;
};

} // namespace glyfex::subtitles::ui
