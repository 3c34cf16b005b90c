// The Progression Controller: after each shown picture the user steps on, pauses, stops asking, or saves it.
#pragma once

#include <QDialog>

class QPushButton;

namespace glyfex::app {
class App;
}

namespace glyfex::ripping::ui {

class ProgressController : public QDialog {
    Q_OBJECT
public:
    // The answers the caller reads after the window closes.
    enum Result { Paused = 3, Next = 6, NoStop = 10, SaveBitmap = 100, SaveRaw = 101 };

    ProgressController(app::App &app, QWidget *parent);

    // Shows the window modally and returns the answer (0 when the window was closed otherwise).
    int ask();
    // Set: the controller is not shown again for the rest of the run.
    bool noStop() const { return m_noStop; }
    void setNoStop(bool on) { m_noStop = on; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void saveClicked(QPushButton *button, int result);

    app::App &m_app;
    bool m_noStop = false;
    QPushButton *m_pause = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_noStopButton = nullptr;
    QPushButton *m_saveBmp = nullptr;
    QPushButton *m_saveSup = nullptr;
    QPushButton *m_changeColor = nullptr;
};

} // namespace glyfex::ripping::ui
