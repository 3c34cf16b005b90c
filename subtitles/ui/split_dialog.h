// The Split Text File dialog (Form17): the time range the Subtitles window renders and saves, and the automatic two-part split by an AVI's length.
#pragma once

#include "core/time_code.h"
#include "core/ui/time_code_fields.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

namespace glyfex::app {
class App;
}

namespace glyfex::subtitles::ui {

class SubtitlesWindow;

class SplitDialog : public QDialog {
    Q_OBJECT
public:
    SplitDialog(app::App &app, SubtitlesWindow &subtitles, QWidget *parent);

    // OK: stores the range in the Subtitles window and closes; false (the dialog stays) when the
    // split is on and its stop comes before its start.
    bool applyAndClose();
    // Open AVI: saves " Part01" up to the video's length and " Part02" after it, then switches the
    // split off again, however it ends.
    void splitByAvi();

    core::TimeCode startTime() const { return m_start.timeCode(); }
    core::TimeCode stopTime() const { return m_stop.timeCode(); }
    const core::TimeCode &endOfFileTime() const { return m_endOfFile; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void splitToggled();
    void updateSplitBar(const core::TimeCode &start, const core::TimeCode &stop);
    // Split off, range zero, edits zero, the window's file name back to base.
    void resetSplit(const QString &base);
    void warn(int message, const QString &detail = {});
    // Saves one part of the range; the saved path, or empty (and the split reset) when nothing was saved.
    QString savePart(const core::TimeCode &from, const core::TimeCode &to, const QString &name, const QString &base);

    app::App &m_app;
    SubtitlesWindow &m_subtitles;
    core::TimeCode m_endOfFile;

    QCheckBox *m_split = nullptr;
    QWidget *m_startPanel = nullptr;
    QWidget *m_stopPanel = nullptr;
    core::ui::TimeCodeFields m_start;
    core::ui::TimeCodeFields m_stop;
    QToolButton *m_copyStopToStart = nullptr;
    QPushButton *m_openAvi = nullptr;
    QFrame *m_fullFile = nullptr;
    QFrame *m_fill = nullptr;
    QLabel *m_barStart = nullptr;
    QLabel *m_barStop = nullptr;
    QLabel *m_endOfFileLabel = nullptr;
    QLabel *m_startLabel = nullptr;
    QLabel *m_stopLabel = nullptr;
};

} // namespace glyfex::subtitles::ui
