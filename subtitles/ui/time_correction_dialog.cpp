// The Time correction dialog.
#include "subtitles/ui/time_correction_dialog.h"

#include "core/ui/named_widget.h"
#include "app/app.h"
#include "subtitles/ui/subtitles_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace glyfex::subtitles::ui {

namespace {

using core::ui::makeWordEdit;
using core::ui::named;

// The time fields, the Minus box and the Reset button of the offset and stretch groups.
QGroupBox *timeGroup(const char *name, const QString &title, core::ui::TimeCodeFields &fields, QCheckBox *minus,
                     QPushButton *reset, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    auto *row = new QHBoxLayout(group);
    fields.addTo(row);
    row->addSpacing(8);
    row->addWidget(minus);
    row->addStretch(1);
    row->addWidget(reset);
    return group;
}

// The video's frame rate: that of the detected DVD standard, PAL's until one is known.
int framesPerSecond(const app::App &app)
{
    const core::VideoStandard &standard = app.batch.clock.standard;
    return standard.fpsX100 == 0 ? core::VideoStandard::pal().maxFrame + 1 : standard.maxFrame + 1;
}

// The hourglass while the store is corrected, put back however the correction ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

TimeCorrectionDialog::TimeCorrectionDialog(app::App &app, SubtitlesWindow &subtitles, QWidget *parent)
    : QDialog(parent)
    , m_app(app)
    , m_subtitles(subtitles)
    , m_offset({"Word_uHour", "Word_uMin", "Word_uSec", "Word_uMSec"}, this)
    , m_stretch({"Word_uHourS", "Word_uMinS", "Word_uSecS", "Word_uMSecS"}, this)
{
    setObjectName(QStringLiteral("Form14"));
    setWindowTitle(QStringLiteral("Time correction"));
    setModal(true);

    m_minusOffset = named("CheckBoxMinusOffset", new QCheckBox(QStringLiteral("Minus"), this));
    auto *resetOffset = named("ButtonResetOffset", new QPushButton(QStringLiteral("&Reset"), this));
    auto *offsetGroup = timeGroup("GroupBoxOffset", QStringLiteral("Time Offset / Start Match"), m_offset,
                                  m_minusOffset, resetOffset, this);
    m_minusStretch = named("CheckBoxMinusStretch", new QCheckBox(QStringLiteral("Minus"), this));
    auto *resetStretch = named("ButtonResetStretch", new QPushButton(QStringLiteral("R&eset"), this));
    auto *stretchGroup = timeGroup("GroupBoxStretch", QStringLiteral("Time Stretch / Speed Adjust"), m_stretch,
                                   m_minusStretch, resetStretch, this);

    auto *durationGroup = new QGroupBox(QStringLiteral("Subtitles Duration"), this);
    durationGroup->setObjectName(QStringLiteral("GroupBoxDuration"));
    m_subDuration = named("CheckBoxSubDuration",
                          new QCheckBox(QStringLiteral("Modify the duration of each subtitle (not recommended):"),
                                        durationGroup));
    auto *radioGroup = new QWidget(durationGroup);
    radioGroup->setObjectName(QStringLiteral("RadioGroupTime"));
    auto *radios = new QVBoxLayout(radioGroup);
    radios->setContentsMargins(0, 0, 0, 0);
    m_method = new QButtonGroup(this);
    const QString methods[] = {QStringLiteral("Fixed Time"), QStringLiteral("Subtitle Length Prop. Time")};
    for (int i = 0; i < 2; ++i) {
        auto *rb = new QRadioButton(methods[i], radioGroup);
        m_method->addButton(rb, i);
        radios->addWidget(rb);
    }
    m_method->button(1)->setChecked(true);

    m_fixedPanel = new QWidget(durationGroup);
    m_fixedPanel->setObjectName(QStringLiteral("PanelFixedTime"));
    auto *fixedRow = new QHBoxLayout(m_fixedPanel);
    fixedRow->setContentsMargins(0, 0, 0, 0);
    m_fixedDuration = makeWordEdit("Word_uFixedDuration", 65535, 4000, m_fixedPanel);
    fixedRow->addWidget(m_fixedDuration);
    auto *fixedUnit = new QLabel(QStringLiteral("ms"), m_fixedPanel);
    fixedUnit->setObjectName(QStringLiteral("LabelFixedMs"));
    fixedRow->addWidget(fixedUnit);
    fixedRow->addStretch(1);

    m_proportionalPanel = new QWidget(durationGroup);
    m_proportionalPanel->setObjectName(QStringLiteral("PanelProportionalTime"));
    auto *propRow = new QHBoxLayout(m_proportionalPanel);
    propRow->setContentsMargins(0, 0, 0, 0);
    m_offsetDuration = makeWordEdit("Word_uOffsetDuration", 9999, 500, m_proportionalPanel);
    m_msPerChar = makeWordEdit("Word_uMsPerChar", 99, 50, m_proportionalPanel);
    auto *plus = new QLabel(QStringLiteral("ms +"), m_proportionalPanel);
    plus->setObjectName(QStringLiteral("LabelOffsetMs"));
    auto *perChar = new QLabel(QStringLiteral("ms per character"), m_proportionalPanel);
    perChar->setObjectName(QStringLiteral("LabelMsPerChar"));
    propRow->addWidget(m_offsetDuration);
    propRow->addWidget(plus);
    propRow->addWidget(m_msPerChar);
    propRow->addWidget(perChar);
    propRow->addStretch(1);

    auto *durationLayout = new QGridLayout(durationGroup);
    durationLayout->addWidget(m_subDuration, 0, 0, 1, 2);
    durationLayout->addWidget(radioGroup, 1, 0, 2, 1);
    durationLayout->addWidget(m_fixedPanel, 1, 1);
    durationLayout->addWidget(m_proportionalPanel, 2, 1);
    durationLayout->setColumnStretch(1, 1);

    auto *intervalGroup = new QGroupBox(QStringLiteral("Minimum Interval between two Subtitles"), this);
    intervalGroup->setObjectName(QStringLiteral("GroupBoxMinInterval"));
    auto *intervalRow = new QHBoxLayout(intervalGroup);
    m_minInterval = makeWordEdit("Word_uMinInterval", 9999, 0, intervalGroup);
    intervalRow->addWidget(m_minInterval);
    auto *intervalUnit = new QLabel(QStringLiteral("ms"), intervalGroup);
    intervalUnit->setObjectName(QStringLiteral("LabelMinIntervalMs"));
    intervalRow->addWidget(intervalUnit);
    intervalRow->addStretch(1);

    auto *authorGroup = new QGroupBox(QStringLiteral("Recommended for Authoring tools"), this);
    authorGroup->setObjectName(QStringLiteral("GroupBoxAuthor"));
    auto *authorRow = new QHBoxLayout(authorGroup);
    m_timeAuthor = named("CheckBoxTimeAuthor",
                         new QCheckBox(QStringLiteral("Set minimal subtitle duration to 1 frame + repair overlapping"),
                                       authorGroup));
    authorRow->addWidget(m_timeAuthor);

    m_modify = named("BitBtnModifyTC", new QPushButton(QStringLiteral("Correct &Time"), this));
    m_modify->setDefault(true);
    auto *cancel = named("BitBtn1", new QPushButton(QStringLiteral("&Cancel"), this));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_modify);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(offsetGroup);
    layout->addWidget(stretchGroup);
    layout->addWidget(durationGroup);
    layout->addWidget(intervalGroup);
    layout->addWidget(authorGroup);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (core::ui::WordEdit *box : {m_fixedDuration, m_offsetDuration, m_msPerChar, m_minInterval})
        box->setPrompt(&m_app.prompt());
    m_offset.setPrompt(&m_app.prompt());
    m_stretch.setPrompt(&m_app.prompt());
    connect(resetOffset, &QPushButton::clicked, this, [this] { m_offset.setTimeCode({}); });
    connect(resetStretch, &QPushButton::clicked, this, [this] { m_stretch.setTimeCode({}); });
    connect(m_method, &QButtonGroup::idClicked, this, &TimeCorrectionDialog::durationMethodChanged);
    connect(m_modify, &QPushButton::clicked, this, [this] {
        correctTime();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    durationMethodChanged();
}

TimeCorrectionOptions TimeCorrectionDialog::options() const
{
    TimeCorrectionOptions o;
    o.offsetMs = m_offset.milliseconds();
    o.minusOffset = m_minusOffset->isChecked();
    o.stretchMs = m_stretch.milliseconds();
    o.minusStretch = m_minusStretch->isChecked();
    o.modifyDuration = m_subDuration->isChecked();
    o.durationMethod = m_method->checkedId() == 0 ? DurationMethod::Fixed : DurationMethod::Proportional;
    o.fixedDurationMs = m_fixedDuration->value();
    o.offsetDurationMs = m_offsetDuration->value();
    o.msPerChar = m_msPerChar->value();
    o.minIntervalMs = m_minInterval->value();
    o.authorRepair = m_timeAuthor->isChecked();
    o.framesPerSecond = framesPerSecond(m_app);
    return o;
}

void TimeCorrectionDialog::correctTime()
{
    if (m_subtitles.store().isEmpty())
        return;
    const WaitCursor wait;
    // A correction the user stopped part-way left the store as it was: nothing to show again.
    if (correctTimes(m_subtitles.store(), options(), m_app.messages, m_app.prompt()) ==
        TimeCorrectionOutcome::Applied)
        m_subtitles.rebuildSubtitleText();
}

void TimeCorrectionDialog::correctForCommandLine()
{
    resetForShowing();
    m_timeAuthor->setChecked(true);
    correctTime();
}

void TimeCorrectionDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        resetForShowing();
}

void TimeCorrectionDialog::resetForShowing()
{
    m_offset.setTimeCode({});
    m_stretch.setTimeCode({});
    m_subDuration->setChecked(false);
}

void TimeCorrectionDialog::durationMethodChanged()
{
    const bool fixed = m_method->checkedId() == 0;
    m_fixedPanel->setVisible(fixed);
    m_proportionalPanel->setVisible(!fixed);
}

} // namespace glyfex::subtitles::ui
