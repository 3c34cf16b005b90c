// The Global Options dialog (Form16): program-wide options, changed in place as the user edits them.
#include "core/ui/global_options_dialog.h"

#include "core/ui/language_applier.h"
#include "core/ui/named_widget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace glyfex::core::ui {

namespace {

QSpinBox *spinBox(const char *name, int lowest, int highest)
{
    auto *box = named(name, new QSpinBox);
    box->setRange(lowest, highest);
    box->setProperty(TagProperty, NotInLanguageFiles);
    return box;
}

QLineEdit *shortEdit(const char *name)
{
    auto *edit = usersValue(named(name, new QLineEdit));
    edit->setMaximumWidth(60);
    return edit;
}

} // namespace

GlobalOptionsDialog::GlobalOptionsDialog(GlobalOptions &options, const QString &menuItemText, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , m_options(options)
{
    setObjectName(QStringLiteral("Form16"));
    setProperty(TagProperty, NotInLanguageFiles);
    setWindowTitle(QString(menuItemText).remove(u'&'));

    auto *global = named("GroupBox1", new QGroupBox(tr("Global Options")));
    global->setProperty(TagProperty, NotInLanguageFiles);
    m_minTime = spinBox("SpinEditMinTime", 0, GlobalOptions::MinSubDurationMax);
    auto *minTimeLabel = named("LabelMinTime", new QLabel(tr("S&kip subtitles shorter than (ms):")));
    minTimeLabel->setBuddy(m_minTime);
    m_buildMap = named("CheckBoxBuildMap", new QCheckBox(tr("Use &VOB's subtitle map")));
    m_useFileOffsets = named("CheckBoxUseFileOffsets", new QCheckBox(tr("Use &IDX's file offsets")));
    auto *globalLayout = new QGridLayout(global);
    globalLayout->addWidget(minTimeLabel, 0, 0);
    globalLayout->addWidget(m_minTime, 0, 1);
    globalLayout->addWidget(m_buildMap, 1, 0, 1, 2);
    globalLayout->addWidget(m_useFileOffsets, 2, 0, 1, 2);

    auto *tmp = named("GroupBox2", new QGroupBox(tr("TMPlayer and Dks Input Options")));
    m_minTmp = spinBox("SpinEditMinTMP", GlobalOptions::MinTmpLowest, GlobalOptions::MinTmpHighest);
    m_minTmp->setEnabled(false); // kept in the configuration only
    m_maxTmp = spinBox("SpinEditMaxTMP", GlobalOptions::MaxTmpLowest, GlobalOptions::MaxTmpHighest);
    auto *pauseLabel = named("LabelMaxTMP", new QLabel(tr("Subtitles pause time (ms):")));
    pauseLabel->setEnabled(false);
    auto *durationLabel = named("LabelMinTMP", new QLabel(tr("Max. subtitle duration (ms):")));
    auto *tmpLayout = new QGridLayout(tmp);
    tmpLayout->addWidget(pauseLabel, 0, 0);
    tmpLayout->addWidget(m_minTmp, 0, 1);
    tmpLayout->addWidget(durationLabel, 1, 0);
    tmpLayout->addWidget(m_maxTmp, 1, 1);

    auto *guess = named("GroupBox3", new QGroupBox(tr("Best Guess Options")));
    m_wait = named("rbWait", new QRadioButton(tr("&Wait for user input")));
    m_fill = named("rbFill", new QRadioButton(tr("&Fill in after")));
    m_fillDelay = spinBox("seFill", GlobalOptions::FillDelayLowest, GlobalOptions::FillDelayHighest);
    auto *seconds = named("lSeconds", new QLabel(tr("seconds")));
    auto *fill1 = named("lFill1", new QLabel(tr("F&ill")));
    m_fillNone = shortEdit("eFillNone");
    fill1->setBuddy(m_fillNone);
    auto *whereNo = named("lWhereNo", new QLabel(tr("where no best guess is found")));
    auto *fill2 = named("lFill2", new QLabel(tr("F&ill")));
    m_before = shortEdit("eBefore");
    fill2->setBuddy(m_before);
    auto *beforeAnd = named("lBeforeAnd", new QLabel(tr("before and")));
    m_after = shortEdit("eAfter");
    auto *bestGuess = named("lBestGuess", new QLabel(tr("best guess")));
    m_addToMatrix = named("cbAddToCharMatrix", new QCheckBox(tr("Add best guesses to Char &Matrix")));
    auto *guessLayout = new QGridLayout(guess);
    guessLayout->addWidget(m_wait, 0, 0, 1, 4);
    guessLayout->addWidget(m_fill, 1, 0);
    guessLayout->addWidget(m_fillDelay, 1, 1);
    guessLayout->addWidget(seconds, 1, 2, 1, 2);
    guessLayout->addWidget(fill1, 2, 0);
    guessLayout->addWidget(m_fillNone, 2, 1);
    guessLayout->addWidget(whereNo, 2, 2, 1, 2);
    guessLayout->addWidget(fill2, 3, 0);
    guessLayout->addWidget(m_before, 3, 1);
    guessLayout->addWidget(beforeAnd, 3, 2);
    guessLayout->addWidget(m_after, 3, 3);
    guessLayout->addWidget(bestGuess, 3, 4);
    guessLayout->addWidget(m_addToMatrix, 4, 0, 1, 5);
    m_fillControls = {m_fillDelay, seconds,  whereNo, bestGuess, beforeAnd, fill1,
                      fill2,       m_fillNone, m_before, m_after, m_addToMatrix};

    m_wake = named("WakeChBox", new QCheckBox(tr("Wake Me &Up!")));
    m_forced = named("ForcedChBox", new QCheckBox(tr("&Forced subtitles only")));
    m_rightToLeft = named("ChBoxR2L", new QCheckBox(tr("&Right2Left processing")));
    auto *ok = named("BitBtnOk", new QPushButton(tr("&OK")));
    ok->setProperty(TagProperty, NotInLanguageFiles);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(global);
    layout->addWidget(tmp);
    layout->addWidget(guess);
    layout->addWidget(m_wake);
    layout->addWidget(m_forced);
    layout->addWidget(m_rightToLeft);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Each control writes its option at once.
    auto onInt = [this](QSpinBox *box, int GlobalOptions::*field) {
        connect(box, &QSpinBox::valueChanged, this, [this, field](int v) {
            if (!m_showing)
                m_options.*field = v;
        });
    };
    auto onBool = [this](QAbstractButton *box, bool GlobalOptions::*field) {
        connect(box, &QAbstractButton::toggled, this, [this, field](bool v) {
            if (!m_showing)
                m_options.*field = v;
        });
    };
    auto onText = [this](QLineEdit *edit, QString GlobalOptions::*field) {
        connect(edit, &QLineEdit::textChanged, this, [this, field](const QString &v) {
            if (!m_showing)
                m_options.*field = v;
        });
    };
    onInt(m_minTime, &GlobalOptions::minSubDuration);
    onInt(m_maxTmp, &GlobalOptions::maxTmpDuration);
    onInt(m_minTmp, &GlobalOptions::minTmpPause);
    onInt(m_fillDelay, &GlobalOptions::fillDelay);
    onBool(m_buildMap, &GlobalOptions::buildMap);
    onBool(m_useFileOffsets, &GlobalOptions::useFileOffsets);
    onBool(m_wake, &GlobalOptions::wakeMeUp);
    onBool(m_forced, &GlobalOptions::forcedSubsOnly);
    onBool(m_rightToLeft, &GlobalOptions::rightToLeft);
    onBool(m_fill, &GlobalOptions::fillBestGuess);
    onBool(m_addToMatrix, &GlobalOptions::addBestGuessToMatrix);
    onText(m_fillNone, &GlobalOptions::fillNone);
    onText(m_before, &GlobalOptions::fillBefore);
    onText(m_after, &GlobalOptions::fillAfter);
    connect(m_fill, &QRadioButton::toggled, this, &GlobalOptionsDialog::fillChoiceChanged);

    showOptions();
}

void GlobalOptionsDialog::showOptions()
{
    m_showing = true;
    m_minTime->setValue(m_options.minSubDuration);
    m_buildMap->setChecked(m_options.buildMap);
    m_useFileOffsets->setChecked(m_options.useFileOffsets);
    m_wake->setChecked(m_options.wakeMeUp);
    m_forced->setChecked(m_options.forcedSubsOnly);
    m_rightToLeft->setChecked(m_options.rightToLeft);
    m_maxTmp->setValue(m_options.maxTmpDuration);
    m_minTmp->setValue(m_options.minTmpPause);
    (m_options.fillBestGuess ? m_fill : m_wait)->setChecked(true);
    m_fillDelay->setValue(m_options.fillDelay);
    m_fillNone->setText(m_options.fillNone);
    m_before->setText(m_options.fillBefore);
    m_after->setText(m_options.fillAfter);
    m_addToMatrix->setChecked(m_options.addBestGuessToMatrix);
    m_showing = false;
    // What the boxes hold is what the program uses: a value a box had to bring into range is kept so.
    m_options.minSubDuration = m_minTime->value();
    m_options.maxTmpDuration = m_maxTmp->value();
    m_options.minTmpPause = m_minTmp->value();
    m_options.fillDelay = m_fillDelay->value();
    fillChoiceChanged();
}

void GlobalOptionsDialog::fillChoiceChanged()
{
    for (QWidget *w : m_fillControls)
        w->setEnabled(m_fill->isChecked());
}

} // namespace glyfex::core::ui
