// The new-version check: its step window, the questions it asks, and the download page it may open.
#pragma once

#include "core/version_check.h"

#include <QDialog>

class QLabel;

namespace glyfex::app {
class App;
}

namespace glyfex::ripping::ui {

// A tool window over the main window that shows the step in progress in bold with "..." while the
// version files are fetched in the background; the interface stays responsive meanwhile.
class VersionCheckWindow : public QDialog {
    Q_OBJECT
public:
    VersionCheckWindow(app::App &app, QWidget *parent = nullptr);

    // Starts a check; does nothing while one is running.
    void start();
    bool isRunning() const { return m_fetcher->isRunning(); }

    // Where the check asks; tests point it at their own servers.
    void setServers(const core::VersionServers &servers) { m_servers = servers; }
    void setTimeout(int milliseconds) { m_fetcher->setTimeout(milliseconds); }

Q_SIGNALS:
    // The check is over and the window closed: what was found and which page was opened (if any).
    void finished(core::VersionCheckOutcome outcome, QUrl opened);

private:
    void fetched(const core::VersionFetcher::Results &results);
    void setStep(QLabel *label, bool active);
    void end(const core::VersionCheckOutcome &outcome, const QUrl &opened = {});

    app::App &m_app;
    core::VersionFetcher *m_fetcher;
    core::VersionServers m_servers;
    QLabel *m_connect;
    QLabel *m_checkVersion;
    QLabel *m_openWeb;
};

} // namespace glyfex::ripping::ui
