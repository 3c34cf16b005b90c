// The stream scan window: runs the scan once it is on screen, pumps events so Cancel can act.
#include "ripping/ui/stream_scan_window.h"

#include "app/app.h"
#include "ripping/stream_scan.h"
#include "ripping/ui/input_dialog.h"

#include "core/pass_host.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace glyfex::ripping::ui {

StreamScanWindow::StreamScanWindow(app::App &app, QWidget *parent) : QDialog(parent), m_app(app)
{
    setObjectName(QStringLiteral("Form19"));
    auto *v = new QVBoxLayout(this);
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("GaugeVerify"));
    m_gauge->setRange(0, 100);
    m_gauge->setMinimumWidth(320);
    m_currentFile = new QLabel(this);
    m_currentFile->setObjectName(QStringLiteral("LabelCurrentFile"));
    m_cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("BitBtnCancel"));
    v->addWidget(m_gauge);
    v->addWidget(m_currentFile);
    auto *h = new QHBoxLayout;
    h->addStretch(1);
    h->addWidget(m_cancel);
    v->addLayout(h);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_abort = true; });
}

void StreamScanWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    setWindowTitle(QString());
    // The scan starts once the window is on screen, so its gauge is seen moving.
    QTimer::singleShot(0, this, &StreamScanWindow::scan);
}

void StreamScanWindow::closeEvent(QCloseEvent *event)
{
    m_abort = true;
    if (m_scanning) {
        event->ignore(); // the scan closes the window itself when it has stopped
        return;
    }
    QDialog::closeEvent(event);
}

void StreamScanWindow::reject()
{
    m_abort = true;
    if (!m_scanning)
        QDialog::reject();
}

void StreamScanWindow::setProgress(int percent, int streamsFound)
{
    m_gauge->setValue(percent);
    setWindowTitle(QStringLiteral("%1 ").arg(streamsFound) + m_app.message(core::Msg::SubtitleStreamsFound));
}

void StreamScanWindow::setCurrentFile(const QString &name)
{
    m_currentFile->setText(name);
}

namespace {
// The scan's host: the gauge follows the bytes read, and every step lets Cancel and the close button act.
class ScanHost : public core::PassHost {
public:
    explicit ScanHost(StreamScanWindow &window) : m_window(window) {}
    void progress(int64_t done, int64_t total) override
    {
        m_percent = total > 0 ? int(std::min<int64_t>(100, done * 100 / total)) : 100;
    }
    core::PumpResult pump() override
    {
        QCoreApplication::processEvents();
        return m_window.aborted() ? core::PumpResult::Cancel : core::PumpResult::Continue;
    }
    int percent() const { return m_percent; }

private:
    StreamScanWindow &m_window;
    int m_percent = 0;
};
} // namespace

void StreamScanWindow::scan()
{
    if (m_scanning)
        return;
    m_abort = false;
    m_gauge->setValue(0);
    InputDialog *input = m_app.inputDialog();
    QStringList files;
    for (const InputFileRow &row : input->rows()) {
        if (row.ticked && QFileInfo::exists(row.path))
            files << row.path;
    }
    ScanHost host(*this);
    core::Result<StreamScanResult> result = [&] {
        m_scanning = true;
        auto r = scanSubpictureStreams(files, host, [&](const StreamScanStatus &status) {
            setCurrentFile(status.currentFile);
            setProgress(host.percent(), status.foundCount);
        });
        m_scanning = false;
        return r;
    }();
    if (!result) {
        // A file that cannot be read ends the scan and marks nothing: the names stay as they were.
        QDialog::reject();
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + result.error().message());
        return;
    }
    m_gauge->setValue(100);
    // A cancelled scan marks what it found, but a stream it did not reach keeps its name: the unread
    // part of the files may well carry it.
    StreamNames marked = m_app.input.streamNames;
    markScannedStreams(marked, result->found);
    if (result->cancelled) {
        for (size_t i = 0; i < marked.size(); ++i) {
            if (!result->found[i])
                marked[i] = m_app.input.streamNames[i];
        }
    }
    m_app.input.streamNames = marked;
    input->fillStreamList();
    QDialog::accept();
}

} // namespace glyfex::ripping::ui
