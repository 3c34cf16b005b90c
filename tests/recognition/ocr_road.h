// The whole recognition road for tests: reading pass, dispatcher, decoder and driver over one file, with pause and resume.
#pragma once

#include "recognition/char_matrix.h"
#include "recognition/recognition_driver.h"
#include "recognition/run_control.h"
#include "subtitles/store_subtitle_sink.h"
#include "ripping/spu_dispatch.h"
#include "ripping/vob_pass.h"
#include "subtitles/subtitle_store.h"
#include "ripping/vob_source_run.h"

#include <QFileInfo>

namespace glyfex::test {

// A picture without text is dropped without a question.
class DropSkippedItems : public subtitles::SkippedItemAsker {
public:
    Answer askSkippedItem() override
    {
        ++asked;
        return Answer{true, {}};
    }
    int asked = 0;
};

class QuietDispatchHost : public ripping::DispatchHost {
public:
    void showPicture(const picture::DecodedPicture &, const picture::ExportedPicture *) override {}
    ripping::StepChoice askStep() override { return ripping::StepChoice::Next; }
    void warn(const QString &) override {}
};

// One run over a VOB or a VobSub .sub: the pass resumes after every pause until the file is done.
struct OcrRoad {
    recognition::CharMatrix &matrix;
    ripping::RunState run;
    ripping::VobSourceRun source{run};
    subtitles::SubtitleStore store;
    DropSkippedItems skipped;
    recognition::OcrAssistState assist;
    core::SilentPrompt prompt{core::Answer::No};
    recognition::MainRunControl control{&source, assist, matrix, prompt};
    ripping::DispatchOptions dispatchOptions;
    subtitles::StoreSubtitleSink sink{store, skipped};
    ripping::PlainExport exporter;
    QuietDispatchHost dispatchHost;
    ripping::SilentVobPassHost passHost{core::Answer::YesToAll};
    recognition::RecognitionDriver driver;
    ripping::SpuDispatcher dispatcher{dispatchOptions, run, sink, driver, exporter, dispatchHost};
    int pauses = 0;

    // The fixtures' letters stand up to 10 pixels apart and their words 16: a space takes 11.
    static recognition::DriverOptions fixtureOptions()
    {
        recognition::DriverOptions o;
        o.match.settings.spaceWidth = 11;
        return o;
    }

    OcrRoad(recognition::CharMatrix &m, recognition::GlyphAsker &asker, const QString &file)
        : matrix(m), driver(recognition::DriverEnvironment{m, store, skipped, asker, assist, prompt, nullptr, &source},
                            fixtureOptions())
    {
        run.vobList = {file};
        run.vobSizes = {QFileInfo(file).size()};
        run.totalBytes = run.vobSizes[0];
        run.useMap = false;
    }

    ripping::PassOutcome runAll()
    {
        ripping::VobPass pass(run, passHost, dispatcher);
        ripping::PassOutcome last;
        while (!run.finished() && !run.stopped) {
            last = pass.readCurrentFile();
            if (last.end == ripping::PassEnd::Paused) {
                ++pauses;
                run.paused = false;
            }
        }
        ripping::closeLastSubtitle(sink, 5000);
        return last;
    }
};

} // namespace glyfex::test
