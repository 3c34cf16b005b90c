// The host of a long loop in the window the user works in: busy cursor, progress dialog, Cancel.
#include "core/ui/progress_dialog_host.h"

#include "core/ui/dialog_owner.h"

#include <QApplication>
#include <QProgressDialog>

#include <algorithm>

namespace glyfex::core::ui {

ProgressDialogHost::ProgressDialogHost(QWidget *owner, const QString &title, const QString &label)
    : m_dialog(std::make_unique<QProgressDialog>(label, QStringLiteral("Cancel"), 0, 1000))
{
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    // Short work shows no dialog at all, only the busy cursor.
    m_dialog->setMinimumDuration(500);
    prepareOver(*m_dialog, workingWindow(owner));
    m_dialog->setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

ProgressDialogHost::~ProgressDialogHost()
{
    QApplication::restoreOverrideCursor();
}

void ProgressDialogHost::progress(int64_t done, int64_t total)
{
    const int64_t scaled = total > 0 ? std::clamp<int64_t>(done * 1000 / total, 0, 1000) : 0;
    // Setting the value also shows the dialog once the minimum duration has passed.
    if (scaled > m_dialog->value())
        m_dialog->setValue(int(scaled));
}

PumpResult ProgressDialogHost::pump()
{
    QCoreApplication::processEvents();
    m_cancelled = m_cancelled || m_dialog->wasCanceled();
    return m_cancelled ? PumpResult::Cancel : PumpResult::Continue;
}

} // namespace glyfex::core::ui
