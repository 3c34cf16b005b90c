// The input dialog ("What to do?"): input files, stream, palette, action and options, and Start.
#pragma once

#include "core/result.h"
#include "core/time_code.h"
#include "ripping/batch_state.h"
#include "ripping/input_selection.h"
#include "ripping/start_request.h"

#include <QDialog>

#include <array>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace glyfex::core::ui {
class WordEdit;
}

namespace glyfex::app {
class App;
}

namespace glyfex::ripping::ui {

class InputDialog : public QDialog {
    Q_OBJECT
public:
    InputDialog(app::App &app, QWidget *parent);

    // Reads the stream names, palette and frame size of a chosen file and lists the files beside it.
    // A file that cannot be read is reported and leaves the dialog as it was, but for the rows of the
    // input before, which are no longer ticked.
    bool openInputFile(const QString &path);
    // Open IFO / Open Dir: asks for a file (filter 1 or 2) and opens it.
    void openWithDialog(int filterIndex, const QString &start = {});

    const std::vector<InputFileRow> &rows() const { return m_rows; }
    void setRowTicked(int row, bool ticked);
    // Moves the selected row one place up (-1) or down (+1) with its path and tick.
    void moveSelectedRow(int direction);
    QStringList streamItemTexts() const;
    void selectStream(int index);
    void setAction(picture::ActionMode action);
    void setWithTiming(bool on);

    // The start-time boxes as a time code (hours, minutes, seconds, milliseconds).
    core::TimeCode lastTimeCode() const;
    void setLastTimeCode(const core::TimeCode &t);

    // Start: gathers and checks everything, asks what must be asked, and only then arms the run.
    // Returns whether the run was armed.
    bool start();

    // The palette squares and the coloured work picture's palette follow app.input.palette.
    void updatePalette();
    // The other windows follow app.input.frameSize (preview height, bar limits, standard label).
    void applyFrameSize();
    // The input's video standard: what its frame height tells, else (HD) the scripts' frame rate.
    core::VideoStandard inputStandard() const;
    void fillStreamList();
    // Where the open dialog starts (kept in the configuration).
    QString openFolder() const { return m_openFolder; }
    void setOpenFolder(const QString &folder) { m_openFolder = folder; }

    // The matrix buttons, disabled until the run's matrix commands answer them.
    void enableMatrixCommands();
    // The matrix file's name as the field shows it; the bar follows a matrix being loaded.
    void setMatrixFileName(const QString &name);
    QProgressBar *matrixProgressBar() const { return m_matrixProgress; }

protected:
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    // Clear emptied the store after its question: the Subtitles window's list follows.
    void textCleared();
    // The matrix buttons: "- - -" opens a matrix file, "X" starts an empty matrix.
    void openMatrixRequested();
    void newMatrixRequested();

private:
    void buildLayout();
    void refreshRows(int selected);
    void actionChanged();
    void resetTimeContinuation();
    void timeBoxChanged();
    void verifyStreams();
    void clearText();
    std::optional<StartRequest> buildStartRequest();
    bool confirmKeepText(StartRequest &request);
    void commitStart(const StartRequest &request);
    void warnNothingSelected();

    app::App &m_app;
    std::vector<InputFileRow> m_rows;
    bool m_fillingRows = false;

    QGroupBox *m_langGroup = nullptr;
    QComboBox *m_language = nullptr;
    QCheckBox *m_showAll = nullptr;
    QPushButton *m_verify = nullptr;
    QPushButton *m_openIfo = nullptr;
    QLabel *m_vobPath = nullptr;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
    QCheckBox *m_selectAll = nullptr;
    QListWidget *m_vobList = nullptr;
    QPushButton *m_openDir = nullptr;
    QLineEdit *m_matrixFile = nullptr;
    QProgressBar *m_matrixProgress = nullptr;
    QPushButton *m_openMatrix = nullptr;
    QPushButton *m_newMatrix = nullptr;
    QButtonGroup *m_action = nullptr;
    QCheckBox *m_pictTiming = nullptr;
    QCheckBox *m_compress = nullptr; // the current bitmap-export preset's compression
    QPushButton *m_outputFormat = nullptr;
    QPushButton *m_clearText = nullptr;
    QPushButton *m_viewText = nullptr;
    std::array<core::ui::WordEdit *, 4> m_time{};
    QCheckBox *m_avoidTimeRestart = nullptr;
    QPushButton *m_resetTc = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_cancel = nullptr;
    std::array<QLabel *, 16> m_colours{};
    QString m_openFolder; // where the open dialog starts
};

} // namespace glyfex::ripping::ui
