// The host of a long loop in the window the user works in: a busy cursor, a progress dialog with Cancel once the work takes a while, and the interface kept running.
#pragma once

#include "core/pass_host.h"

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

namespace glyfex::core::ui {

// For its lifetime the cursor is busy. The dialog (modal to the program, so that no other command starts
// meanwhile) appears over owner's window when the work lasts longer than a moment; its Cancel, or closing
// it, cancels the loop at its next pump.
class ProgressDialogHost : public PassHost {
public:
    ProgressDialogHost(QWidget *owner, const QString &title, const QString &label);
    ~ProgressDialogHost() override;
    ProgressDialogHost(const ProgressDialogHost &) = delete;
    ProgressDialogHost &operator=(const ProgressDialogHost &) = delete;

    void progress(int64_t done, int64_t total) override;
    PumpResult pump() override;

    bool cancelled() const { return m_cancelled; }
    QProgressDialog &dialog() { return *m_dialog; }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
    bool m_cancelled = false;
};

} // namespace glyfex::core::ui
