// The stream scan window: runs the scan once it is on screen, pumps events so Cancel can act.
#include "ripping/ui/stream_scan_window.h"

#include "ripping/ui/app.h"
#include "ripping/ui/input_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace glyfex::ripping::ui {

StreamScanWindow::StreamScanWindow(App &app, QWidget *parent) : QDialog(parent), m_app(app)
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

void StreamScanWindow::scan()
{
    m_abort = false;
    m_gauge->setValue(0);
    m_gauge->setValue(100);
    if (InputDialog *input = m_app.inputDialog())
        input->fillStreamList();
    QDialog::accept();
}

} // namespace glyfex::ripping::ui
