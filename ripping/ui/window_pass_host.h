// The windows as the reading pass's and the dispatcher's host: progress, counters, questions, pictures and the controller.
#pragma once

#include "ripping/spu_dispatch.h"
#include "ripping/vob_pass.h"

namespace glyfex::app {
class App;
}

namespace glyfex::ripping::ui {

// The main window shows the progress, counters, clock and pictures; questions go through the app's
// prompt; the only-show action asks the Progression Controller after every picture.
class WindowPassHost : public VobPassHost, public DispatchHost {
public:
    // options: the run's dispatch options; a picture save in the controller may name their picture base.
    WindowPassHost(app::App &app, DispatchOptions &options);

    // The main window's counters and clocks as the run's state has them.
    void showCounts();

    // VobPassHost
    void progress(int64_t done, int64_t total) override;
    core::PumpResult pump() override;
    core::Answer askBadPack(int64_t sectorNumber) override;
    void videoStandardChanged(const core::VideoStandard &standard, int width, int height) override;
    // VobPassHost and DispatchHost
    void warn(const QString &text) override;
    // DispatchHost
    void showPicture(const picture::DecodedPicture &picture, const picture::ExportedPicture *exported) override;
    StepChoice askStep() override;
    bool adjustBeforeExport() override;
    void unitCounted() override;
    void skippedCounted() override;

private:
    app::App &m_app;
    DispatchOptions &m_options;
};

} // namespace glyfex::ripping::ui
