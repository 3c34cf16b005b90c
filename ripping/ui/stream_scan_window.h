// The stream scan window: which subtitle streams the ticked files really carry, with a gauge and Cancel.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace glyfex::app {
class App;
}

namespace glyfex::ripping::ui {

class StreamScanWindow : public QDialog {
    Q_OBJECT
public:
    StreamScanWindow(app::App &app, QWidget *parent);

    // Runs the scan over the input dialog's ticked files, marks the stream names and refills the list.
    void scan();
    bool aborted() const { return m_abort; }
    void setProgress(int percent, int streamsFound);
    void setCurrentFile(const QString &name);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    app::App &m_app;
    bool m_abort = false;
    bool m_scanning = false;
    QProgressBar *m_gauge = nullptr;
    QLabel *m_currentFile = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace glyfex::ripping::ui
