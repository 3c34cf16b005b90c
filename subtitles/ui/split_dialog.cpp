// The Split Text File dialog.
#include "subtitles/ui/split_dialog.h"

#include "core/ui/named_widget.h"
#include "app/app.h"
#include "subtitles/avi_header.h"
#include "subtitles/split_range.h"
#include "subtitles/subtitle_saver.h"
#include "subtitles/ui/subtitles_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace glyfex::subtitles::ui {

namespace {

// The bar's geometry inside its area: room at the left for "0" and at the right for the end time.
constexpr int kBarLeft = 24;
constexpr int kBarTop = 30;
constexpr int kBarWidth = 400;
constexpr int kBarHeight = 14;
constexpr int kAreaWidth = kBarLeft + kBarWidth + 96;
constexpr int kAreaHeight = kBarTop + kBarHeight + 30;

using core::ui::named;
using core::ui::runTimeText;

bool later(const core::TimeCode &a, const core::TimeCode &b)
{
    return core::timeCodeToMilliseconds(a) > core::timeCodeToMilliseconds(b);
}

} // namespace

SplitDialog::SplitDialog(app::App &app, SubtitlesWindow &subtitles, QWidget *parent)
    : QDialog(parent)
    , m_app(app)
    , m_subtitles(subtitles)
    , m_start({"Word_uHour1", "Word_uMin1", "Word_uSec1", "Word_uMSec1"}, this)
    , m_stop({"Word_uHour2", "Word_uMin2", "Word_uSec2", "Word_uMSec2"}, this)
{
    setObjectName(QStringLiteral("Form17"));
    setWindowTitle(QStringLiteral("Split Text File"));
    setModal(true);

    m_split = named("CheckBoxSplit", new QCheckBox(QStringLiteral("Split Output File:"), this));

    m_startPanel = named("PanelStartSplit", new QWidget(this));
    auto *startRow = new QHBoxLayout(m_startPanel);
    startRow->setContentsMargins(0, 0, 0, 0);
    startRow->addWidget(named("LabelStart", new QLabel(QStringLiteral("Start:"), m_startPanel)));
    m_start.addTo(startRow);
    auto *resetStart = named("ButtonResetStartSplit", new QPushButton(QStringLiteral("&Reset"), m_startPanel));
    startRow->addWidget(resetStart);
    startRow->addStretch(1);

    m_copyStopToStart = named("SpeedButtonCopyStopToStart", new QToolButton(this));
    m_copyStopToStart->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    m_copyStopToStart->setToolTip(QStringLiteral("Stop time to start time (for the next part)"));

    m_stopPanel = named("PanelStopSplit", new QWidget(this));
    auto *stopRow = new QHBoxLayout(m_stopPanel);
    stopRow->setContentsMargins(0, 0, 0, 0);
    stopRow->addWidget(named("LabelStop", new QLabel(QStringLiteral("Stop:"), m_stopPanel)));
    m_stop.addTo(stopRow);
    auto *endOfFile = named("ButtonEndOfFile", new QPushButton(QStringLiteral("&Last Sub."), m_stopPanel));
    stopRow->addWidget(endOfFile);
    stopRow->addStretch(1);

    // The bar: the whole file, the part's fill over it, marks at the fill's edges and the times.
    auto *barArea = new QWidget(this);
    barArea->setFixedSize(kAreaWidth, kAreaHeight);
    m_fullFile = named("ShapeFullFile", new QFrame(barArea));
    m_fullFile->setGeometry(kBarLeft, kBarTop, kBarWidth, kBarHeight);
    m_fullFile->setFrameShape(QFrame::Box);
    m_fullFile->setAutoFillBackground(true);
    m_fullFile->setStyleSheet(QStringLiteral("QFrame { background: white; border: 1px solid black; }"));
    m_fill = named("ShapeSplitFill", new QFrame(barArea));
    m_fill->setStyleSheet(QStringLiteral("QFrame { background: #2060d0; border: 1px solid black; }"));
    auto *begin = runTimeText(named("LabelBeginOfFile", new QLabel(QStringLiteral("0"), barArea)));
    begin->adjustSize();
    begin->move(kBarLeft - begin->width() - 4, kBarTop);
    m_endOfFileLabel = runTimeText(named("LabelEndOfFile", new QLabel(barArea)));
    m_barStart = named("LabelBarStart", new QLabel(QStringLiteral("\u25BC"), barArea));
    m_barStop = named("LabelBarStop", new QLabel(QStringLiteral("\u25B2"), barArea));
    m_startLabel = runTimeText(named("LabelStartSplit", new QLabel(barArea)));
    m_stopLabel = runTimeText(named("LabelStopSplit", new QLabel(barArea)));

    auto *saveHint = named("LabelSavePart",
                           new QLabel(QStringLiteral("SAVE THIS PART OF THE FILE (THE REST WILL NOT BE DELETED UNTIL "
                                                     "YOU QUIT OR OPEN ANOTHER FILE)"),
                                      this));
    saveHint->setWordWrap(true);
    auto *example = named("LabelExample", new QLabel(QStringLiteral("EXAMPLE TO OBTAIN 2 CDs:"), this));
    auto *steps = named(
        "LabelExampleSteps",
        new QLabel(QStringLiteral("1. Tick \"Split Output File:\", set the stop to the end of the first CD, OK, Save As.\n"
                                  "2. Open this window again and copy the stop time to the start time.\n"
                                  "3. Click \"Last Sub.\", OK, and Save As for the second CD.\n"
                                  "4. Untick \"Split Output File:\" to see the whole file again."),
                   this));

    m_openAvi = named("ButtonOpenAVI", new QPushButton(QStringLiteral("Open &AVI"), this));
    auto *ok = named("BitBtn1", new QPushButton(QStringLiteral("&OK"), this));
    ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_openAvi);
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto *times = new QHBoxLayout;
    auto *fields = new QVBoxLayout;
    fields->addWidget(m_startPanel);
    fields->addWidget(m_stopPanel);
    times->addLayout(fields);
    times->addWidget(m_copyStopToStart, 0, Qt::AlignVCenter);
    times->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_split);
    layout->addLayout(times);
    layout->addWidget(barArea);
    layout->addWidget(saveHint);
    layout->addSpacing(6);
    layout->addWidget(example);
    layout->addWidget(steps);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_start.setPrompt(&m_app.prompt());
    m_stop.setPrompt(&m_app.prompt());
    connect(m_split, &QCheckBox::toggled, this, &SplitDialog::splitToggled);
    const auto redraw = [this] { updateSplitBar(m_start.timeCode(), m_stop.timeCode()); };
    m_start.onEdited(this, redraw);
    m_stop.onEdited(this, redraw);
    connect(resetStart, &QPushButton::clicked, this, [this, redraw] {
        m_start.setTimeCode({});
        redraw();
    });
    connect(endOfFile, &QPushButton::clicked, this, [this, redraw] {
        m_stop.setTimeCode(m_endOfFile);
        redraw();
    });
    connect(m_copyStopToStart, &QToolButton::clicked, this, [this, redraw] {
        m_start.setTimeCode(m_stop.timeCode());
        redraw();
    });
    connect(ok, &QPushButton::clicked, this, &SplitDialog::applyAndClose);
    connect(m_openAvi, &QPushButton::clicked, this, &SplitDialog::splitByAvi);
    splitToggled();
}

void SplitDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const SubtitleStore &store = m_subtitles.store();
    m_endOfFile = store.isEmpty() ? core::TimeCode{} : store.last().stop;
    m_start.setTimeCode(m_subtitles.splitRange().start);
    m_stop.setTimeCode(m_subtitles.splitRange().stop);
    const QSignalBlocker block(m_split);
    m_split->setChecked(m_subtitles.splitMode());
    splitToggled();
}

void SplitDialog::splitToggled()
{
    const bool on = m_split->isChecked();
    for (QWidget *w : {m_startPanel, m_stopPanel, static_cast<QWidget *>(m_copyStopToStart), static_cast<QWidget *>(m_openAvi)})
        w->setEnabled(on);
    if (on)
        updateSplitBar(m_start.timeCode(), m_stop.timeCode());
    else
        updateSplitBar({}, m_endOfFile);
}

void SplitDialog::updateSplitBar(const core::TimeCode &start, const core::TimeCode &stop)
{
    const SplitBarFill fill = splitBarFill(start, stop, m_endOfFile, kBarLeft, kBarWidth);
    m_fill->setGeometry(fill.left, kBarTop, std::max(fill.width, 0), kBarHeight);
    m_fill->setVisible(fill.width > 0);
    const int right = fill.left + fill.width;
    // Centred on x, but never cut off at the sides of the bar's area.
    const auto centreAt = [](QLabel *label, int x, int y) {
        label->adjustSize();
        label->move(std::clamp(x - label->width() / 2, 0, std::max(0, kAreaWidth - label->width())), y);
    };
    centreAt(m_barStart, fill.left, kBarTop - m_barStart->sizeHint().height());
    centreAt(m_barStop, right, kBarTop + kBarHeight);
    m_endOfFileLabel->setText(core::formatTimeCode(m_endOfFile));
    m_endOfFileLabel->adjustSize();
    m_endOfFileLabel->move(kBarLeft + kBarWidth + 4, kBarTop);
    m_startLabel->setText(core::formatTimeCode(start));
    m_stopLabel->setText(core::formatTimeCode(stop));
    const int aboveMark = kBarTop - m_barStart->sizeHint().height() - m_startLabel->sizeHint().height() + 2;
    centreAt(m_startLabel, fill.left, std::max(0, aboveMark));
    centreAt(m_stopLabel, right, kBarTop + kBarHeight + m_barStop->sizeHint().height() - 2);
}

bool SplitDialog::applyAndClose()
{
    const core::TimeCode start = m_start.timeCode();
    const core::TimeCode stop = m_stop.timeCode();
    if (m_split->isChecked() && later(start, stop)) {
        warn(core::Msg::StopBeforeStart);
        return false;
    }
    const bool rebuild = m_subtitles.splitMode() || m_split->isChecked();
    // The range is kept with the split off too, for the next time it is switched on.
    m_subtitles.setSplit(m_split->isChecked(), SplitRange{start, stop});
    accept();
    if (rebuild)
        m_subtitles.rebuildSubtitleText();
    return true;
}

void SplitDialog::warn(int message, const QString &detail)
{
    QString text = m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") + m_app.message(message);
    if (!detail.isEmpty())
        text += QStringLiteral("\r\n") + detail;
    m_app.prompt().warn(text);
}

void SplitDialog::resetSplit(const QString &base)
{
    m_subtitles.setSplit(false, SplitRange{});
    m_subtitles.rebuildSubtitleText();
    m_subtitles.setSubtitleFileName(base);
    m_start.setTimeCode({});
    m_stop.setTimeCode({});
    m_split->setChecked(false);
    splitToggled();
}

QString SplitDialog::savePart(const core::TimeCode &from, const core::TimeCode &to, const QString &name,
                              const QString &base)
{
    const SplitRange range{from, to};
    const SubtitleStore &store = m_subtitles.store();
    // A part without a subtitle would be saved as an empty (or header-only) file and reported as saved.
    if (std::none_of(store.subs.begin(), store.subs.end(),
                     [&](const Subtitle &s) { return overlapsSplitRange(s, range); })) {
        resetSplit(base);
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                            QStringLiteral("No subtitle falls into \"%1\" (%2 - %3): nothing was saved.")
                                .arg(name, core::formatTimeCode(from), core::formatTimeCode(to)));
        return {};
    }
    m_subtitles.setSplit(true, range);
    m_subtitles.rebuildSubtitleText();
    m_subtitles.setSubtitleFileName(name);
    const QString saved = m_subtitles.saveSplitPart();
    if (saved.isEmpty())
        resetSplit(base);
    return saved;
}

void SplitDialog::splitByAvi()
{
    const QString base = fileBaseName(m_subtitles.fileName());
    m_start.setTimeCode({});
    m_stop.setTimeCode({});
    m_subtitles.setSplit(m_subtitles.splitMode(), SplitRange{});

    // The folder is kept in the configuration between runs.
    QString &folder = m_app.config.main.openAvi;
    const QString path = m_app.files().openFile(this, QStringLiteral("Open AVI"), folder,
                                                QStringLiteral("AVI Files (*.avi)|*.avi"), 1);
    if (path.isEmpty()) {
        resetSplit(base);
        return;
    }
    // Without a readable length the first part would run from 0 to 0: nothing would be split.
    const QFileInfo file(path);
    if (!file.exists()) {
        resetSplit(base);
        warn(core::Msg::ErrorInAviFile,
             QStringLiteral("The file %1 does not exist.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    folder = file.absolutePath();
    auto header = readAviHeader(path);
    auto length = header ? aviLength(*header) : core::Result<core::TimeCode>(header.error());
    if (length && length->isZero())
        length = core::makeError(QStringLiteral("Cannot split by the AVI file"), QDir::toNativeSeparators(path),
                                 QStringLiteral("the video has no frames"));
    if (!length) {
        resetSplit(base);
        warn(core::Msg::ErrorInAviFile, length.error().message());
        return;
    }
    m_stop.setTimeCode(*length);

    const SubtitleStore &store = m_subtitles.store();
    if (store.isEmpty()) {
        resetSplit(base);
        return;
    }
    if (later(*length, store.last().stop)) {
        resetSplit(base);
        warn(core::Msg::AviTimeGreater);
        return;
    }

    const QString first = savePart(m_start.timeCode(), *length, base + QStringLiteral(" Part01"), base);
    if (first.isEmpty())
        return;
    m_subtitles.show();
    const QString second = savePart(*length, m_endOfFile, base + QStringLiteral(" Part02"), base);
    if (second.isEmpty())
        return;
    m_app.prompt().inform(m_app.message(core::Msg::Information) + QStringLiteral("\r\n") +
                          m_app.message(core::Msg::SplitSavedAs) + QLatin1Char('\r') + QLatin1Char('"') + first +
                          QStringLiteral("\", \"") + second + QLatin1Char('"'));
    resetSplit(base);
    accept();
}

} // namespace glyfex::subtitles::ui
