// Runs the reading pass for the batch timer, with the windows as the pass's and the dispatcher's host.
#pragma once

#include "ripping/spu_dispatch.h"
#include "ripping/vob_pass.h"

#include <QString>

#include <memory>

namespace glyfex::ripping::ui {

class App;

// The main window shows the progress, counters, clock and pictures; questions go through the app's
// prompt; the only-show action asks the Progression Controller after every picture.
class RunDriver : public VobPassHost, public DispatchHost {
public:
    explicit RunDriver(App &app);
    ~RunDriver() override;

    // A new run: the decoded-picture state (previous colours) starts afresh.
    void startRun();
    // One pass over the batch's current file, from its resume position.
    void readFile(const QString &path);

    // Pictures the recognise action handed on, until recognition takes them.
    const PictureRecorder &recognised() const { return m_recognised.recorder; }

    // VobPassHost
    void progress(int64_t done, int64_t total) override;
    core::PumpResult pump() override;
    core::Answer askBadPack(int64_t sectorNumber) override;
    void videoStandardChanged(const core::VideoStandard &standard, int width, int height) override;
    // VobPassHost and DispatchHost
    void warn(const QString &text) override;
    // DispatchHost
    void showPicture(const DecodedPicture &picture, const ExportedPicture *exported) override;
    StepChoice askStep() override;

private:
    void readOptions();
    void showCounts();

    App &m_app;
    DispatchOptions m_options;
    // Until recognition takes the pictures: each is kept and shown, as recognition shows what it reads.
    struct ShowingRecorder : PictureSink {
        explicit ShowingRecorder(RunDriver &driver) : driver(driver) {}
        core::Result<void> recognise(const DecodedPicture &picture, const SpuTimes &times, const ScreenRect &area) override
        {
            driver.showPicture(picture, nullptr);
            return recorder.recognise(picture, times, area);
        }
        RunDriver &driver;
        PictureRecorder recorder;
    };
    ShowingRecorder m_recognised{*this};
    std::unique_ptr<SpuDispatcher> m_dispatcher;
};

} // namespace glyfex::ripping::ui
