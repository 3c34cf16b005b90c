// The Advanced OCR Setup dialog (Form4): edits the recognition tuning block within each value's range.
#include "recognition/ui/ocr_setup_dialog.h"

#include "core/ui/numeric_edit.h"
#include "core/ui/named_widget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <utility>

namespace glyfex::recognition::ui {

using core::ui::named;

OcrSetupDialog::OcrSetupDialog(OcrSettings &settings, Saver saver, PromptSource prompt, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_saver(std::move(saver)), m_prompt(std::move(prompt))
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(tr("Advanced OCR Setup"));

    auto edit = [this](const char *name, core::ui::NumericEdit *box, int lowest, int highest,
                       int OcrSettings::*value) {
        box->setObjectName(QLatin1String(name));
        // A new box holds 0, and a minimum above the value would give way to it: start at the minimum.
        box->setText(QString::number(lowest));
        box->setRange(lowest, highest);
        box->setErrorMessage(true);
        box->setMaximumWidth(60);
        m_fields.push_back({box, value});
        return box;
    };
    auto row = [](QGridLayout *grid, const char *labelName, const QString &text, QWidget *box) {
        auto *label = named(labelName, new QLabel(text));
        label->setBuddy(box);
        const int r = grid->rowCount();
        grid->addWidget(label, r, 0);
        grid->addWidget(box, r, 1);
    };

    auto *lines = named("GroupBoxLine", new QGroupBox(tr("Line Setup")));
    auto *linesGrid = new QGridLayout(lines);
    row(linesGrid, "LabelLineMinHeight", tr("Min. Line Exploration Height:"),
        edit("Word_uLineMinHeight", new core::ui::WordEdit, 0, 45, &OcrSettings::minLineHeight));
    row(linesGrid, "LabelMinInterLine", tr("Min. Inter Line Height:"),
        edit("Word_uMinInterLine", new core::ui::WordEdit, 1, 50, &OcrSettings::minInterLine));
    row(linesGrid, "LabelLineMaxHeight", tr("Max. Line Height:"),
        edit("Word_uLineMaxHeight", new core::ui::WordEdit, 0, 45, &OcrSettings::maxLineHeight));

    auto *chars = named("GroupBoxChar", new QGroupBox(tr("Character Setup")));
    auto *charsGrid = new QGridLayout(chars);
    row(charsGrid, "LabelCharMinWidth", tr("Min. Char. Width:"),
        edit("Word_uCharMinWidth", new core::ui::WordEdit, 1, 45, &OcrSettings::minCharWidth));
    row(charsGrid, "LabelCharMinHeight", tr("Min. Char. Height:"),
        edit("Word_uCharMinHeight", new core::ui::WordEdit, 1, 45, &OcrSettings::minCharHeight));
    m_detached = named("CheckBoxDetachedChar", new QCheckBox(tr("Check For Detached Char.")));
    m_detached->setToolTip(tr("For thin characters"));
    charsGrid->addWidget(m_detached, charsGrid->rowCount(), 0, 1, 2);

    auto *space = named("GroupBoxSpace", new QGroupBox(tr("Space Width Setup")));
    auto *spaceRow = new QHBoxLayout(space);
    auto *spaceEdit = edit("Integer_uMinSpaceWidth", new core::ui::IntegerEdit, -10, 45, &OcrSettings::spaceWidth);
    auto *spaceLabel = named("LabelSpaceWidth", new QLabel(tr("pixels (minimal) between each line of 2 characters")));
    spaceLabel->setBuddy(spaceEdit);
    spaceRow->addWidget(spaceEdit);
    spaceRow->addWidget(spaceLabel, 1);

    auto *engine = named("GroupBoxOcr", new QGroupBox(tr("OCR Engine Setup")));
    auto *engineGrid = new QGridLayout(engine);
    row(engineGrid, "LabelOcrWidthDiff", tr("Max Char. Width Difference to be the Same Character:"),
        edit("Word_uOcrWidthDiff", new core::ui::WordEdit, 0, 45, &OcrSettings::maxCharDiffWidth));
    row(engineGrid, "LabelOcrTopDiff", tr("Max Char. Top  Difference (Line Top Relative) to be the Same Char.:"),
        edit("Word_uOcrTopDiff", new core::ui::WordEdit, 0, 45, &OcrSettings::maxCharDiffTop));
    row(engineGrid, "LabelOcrHeightDiff", tr("Max Char. Height Difference to be the Same Character:"),
        edit("Word_uOcrHeightDiff", new core::ui::WordEdit, 0, 45, &OcrSettings::maxCharDiffHeight));
    m_sensibility = edit("Word_uSensibility", new core::ui::WordEdit, 0, 1000, &OcrSettings::sensibility);
    row(engineGrid, "LabelSensibility", tr("Sensibility on Character Difference: (980)"), m_sensibility);
    m_sensibilityBar = named("TrackBarSensibility", new QSlider(Qt::Horizontal));
    m_sensibilityBar->setRange(0, 1000);
    m_sensibilityBar->setTickInterval(10);
    m_sensibilityBar->setTickPosition(QSlider::TicksBelow);
    engineGrid->addWidget(m_sensibilityBar, engineGrid->rowCount(), 0, 1, 2);

    auto *ok = named("BitBtnOk", new QPushButton(tr("&OK")));
    ok->setDefault(true);
    m_cancel = named("BitBtnCancel", new QPushButton(tr("&Cancel")));
    auto *defaults = named("ButtonDefaultValues", new QPushButton(tr("&Reload Default Values")));
    auto *save = named("ButtonSaveValues", new QPushButton(tr("&Save these Values")));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(defaults);
    buttons->addWidget(save);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lines);
    layout->addWidget(chars);
    layout->addWidget(space);
    layout->addWidget(engine);
    layout->addLayout(buttons);

    connect(m_sensibilityBar, &QSlider::valueChanged, this, [this](int position) {
        if (m_followingBar)
            return;
        m_followingBar = true;
        m_sensibility->setValue(position);
        m_followingBar = false;
    });
    connect(m_sensibility, &QLineEdit::textChanged, this, [this] {
        if (m_followingBar)
            return;
        m_followingBar = true;
        m_sensibilityBar->setValue(int(m_sensibility->value()));
        m_followingBar = false;
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        storeOcrSettings();
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        loadOcrSettings();
        reject();
    });
    connect(defaults, &QPushButton::clicked, this, &OcrSetupDialog::reloadDefaults);
    connect(save, &QPushButton::clicked, this, &OcrSetupDialog::saveValues);
}

void OcrSetupDialog::loadOcrSettings()
{
    for (const Field &f : m_fields)
        f.edit->setValue(m_settings.*f.value);
    m_detached->setChecked(m_settings.checkDetachedChar);
}

void OcrSetupDialog::storeOcrSettings()
{
    for (const Field &f : m_fields) {
        f.edit->checkRange();
        m_settings.*f.value = int(f.edit->value());
    }
    m_settings.checkDetachedChar = m_detached->isChecked();
}

void OcrSetupDialog::reloadDefaults()
{
    m_settings = OcrSettings{};
    loadOcrSettings();
    m_cancel->setEnabled(false);
}

void OcrSetupDialog::saveValues()
{
    storeOcrSettings();
    m_cancel->setEnabled(false);
    if (!m_saver)
        return;
    if (core::Result<void> saved = m_saver(m_settings); !saved)
        m_prompt().error(saved.error().message());
}

void OcrSetupDialog::showEvent(QShowEvent *event)
{
    for (const Field &f : m_fields)
        f.edit->setPrompt(&m_prompt());
    loadOcrSettings();
    m_cancel->setEnabled(true);
    QDialog::showEvent(event);
}

} // namespace glyfex::recognition::ui
