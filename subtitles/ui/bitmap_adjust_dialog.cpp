// The Bitmap adjustment dialog's widgets, wired to the settings session; the window is shaped like its tab row.
#include "subtitles/ui/bitmap_adjust_dialog.h"

#include "core/bmp_writer.h"
#include "core/messages.h"
#include "core/save_name.h"
#include "app/app.h"
#include "app/run_wiring.h"
#include "core/ui/dialog_owner.h"
#include "core/ui/named_widget.h"
#include "ripping/ui/picture_image.h"
#include "subtitles/ui/subtitles_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace glyfex::subtitles::ui {

namespace {

QSpinBox *spinEdit(QWidget *parent, const char *name, int lowest, int highest)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(lowest, highest);
    return spin;
}

// A radio group: a titled box of radio buttons whose ids are their item indices.
QGroupBox *radioGroup(QWidget *parent, const char *name, const QString &title, const QStringList &items,
                      QButtonGroup *&group, const std::vector<const char *> &itemNames = {})
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    auto *layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], box);
        if (size_t(i) < itemNames.size())
            button->setObjectName(QLatin1String(itemNames[size_t(i)]));
        group->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch();
    return box;
}

void checkId(QButtonGroup *group, int id)
{
    if (QAbstractButton *button = group->button(id))
        button->setChecked(true);
}

const QString kProfileFilter = QStringLiteral("Glyfex BMP Settings File (*.ini)|*.ini|All|*.*");

} // namespace

BitmapAdjustDialog::BitmapAdjustDialog(app::App &app, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_app(app),
      m_session(app.presets, BitmapAdjustSession::Hooks{
                                 [this](const core::BmpOutSettings &s, int preset) { fillControls(s, preset); },
                                 [this](OutputFormat format) { setOutputFormat(format); },
                                 [this] { refreshPreview(); }})
{
    setObjectName(QStringLiteral("Form18"));
    setWindowTitle(QStringLiteral("Bitmap adjustment"));
    setModal(true);
    m_colourAsker = core::ui::askColourWithDialog;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(buildProfilesTab(), QStringLiteral("Profiles"));
    m_pages->addTab(buildCroppingTab(), QStringLiteral("Cropping"));
    m_pages->addTab(buildColoursTab(), QStringLiteral("Colors"));
    m_pages->addTab(buildPositioningTab(), QStringLiteral("Positioning"));
    m_pages->widget(0)->setObjectName(QStringLiteral("TabSheetProfiles"));
    m_pages->widget(1)->setObjectName(QStringLiteral("TabSheetCropping"));
    m_pages->widget(2)->setObjectName(QStringLiteral("TabSheetColors"));
    m_pages->widget(3)->setObjectName(QStringLiteral("TabSheetPositioning"));
    m_pages->setCurrentIndex(2);
    layout->addWidget(m_pages);
    m_bottom = buildBottomPanel();
    layout->addWidget(m_bottom);
}

QWidget *BitmapAdjustDialog::buildProfilesTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *saveBmp = new QPushButton(QStringLiteral("Save current BMP &as..."), page);
    saveBmp->setObjectName(QStringLiteral("ButtonSaveBMP"));
    connect(saveBmp, &QPushButton::clicked, this, &BitmapAdjustDialog::saveBmp);
    layout->addWidget(saveBmp);
    auto *group = new QGroupBox(QStringLiteral("BMP Settings Profiles: "), page);
    group->setObjectName(QStringLiteral("GroupBoxProfiles"));
    auto *g = new QVBoxLayout(group);
    m_profileLabel = core::ui::runTimeText(new QLabel(QStringLiteral("None"), group));
    m_profileLabel->setObjectName(QStringLiteral("LabelCurrentProfile"));
    auto *save = new QPushButton(QStringLiteral("Save settings as a new Profile..."), group);
    save->setObjectName(QStringLiteral("ButtonSaveProfile"));
    auto *load = new QPushButton(QStringLiteral("Load settings from a Profile..."), group);
    load->setObjectName(QStringLiteral("ButtonLoadProfile"));
    connect(save, &QPushButton::clicked, this, &BitmapAdjustDialog::saveProfile);
    connect(load, &QPushButton::clicked, this, &BitmapAdjustDialog::loadProfile);
    g->addWidget(m_profileLabel);
    g->addWidget(save);
    g->addWidget(load);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

QWidget *BitmapAdjustDialog::buildCroppingTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_cropping = new QCheckBox(QStringLiteral("Allow BMP Cropping (only keep the text area):"), page);
    m_cropping->setObjectName(QStringLiteral("CheckBoxAllowBmpCropping"));
    layout->addWidget(m_cropping);

    auto *size = new QGroupBox(QStringLiteral("Size Constraints: (Maximum size is 720 x 576)"), page);
    size->setObjectName(QStringLiteral("GroupBoxSizeConstraints"));
    m_sizeGroup = size;
    auto *sg = new QGridLayout(size);
    m_minX = spinEdit(size, "SpinEditMinX", 1, 720);
    m_minY = spinEdit(size, "SpinEditMinY", 1, 576);
    m_divX = spinEdit(size, "SpinEditDivX", 1, 32);
    m_divY = spinEdit(size, "SpinEditDivY", 1, 32);
    sg->addWidget(core::ui::named("Label1", new QLabel(QStringLiteral("Min. width:"), size)), 0, 0);
    sg->addWidget(m_minX, 0, 1);
    sg->addWidget(core::ui::named("Label2", new QLabel(QStringLiteral("Min. height:"), size)), 0, 2);
    sg->addWidget(m_minY, 0, 3);
    sg->addWidget(core::ui::named("Label3", new QLabel(QStringLiteral("Width multiple of:"), size)), 1, 0);
    sg->addWidget(m_divX, 1, 1);
    sg->addWidget(core::ui::named("Label4", new QLabel(QStringLiteral("Height multiple of:"), size)), 1, 2);
    sg->addWidget(m_divY, 1, 3);
    layout->addWidget(size);

    auto *border = new QGroupBox(
        QStringLiteral("If a black border remain (due to Size Constraints) then place text as follow:"), page);
    border->setObjectName(QStringLiteral("GroupBoxBorder"));
    auto *bg = new QGridLayout(border);
    bg->addWidget(radioGroup(border, "RadioGroupHAlignment", QStringLiteral("Horizontal"),
                             {QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")}, m_hAlign),
                  0, 0);
    bg->addWidget(radioGroup(border, "RadioGroupVAlignment", QStringLiteral("Vertical"),
                             {QStringLiteral("Top"), QStringLiteral("Center"), QStringLiteral("Bottom")}, m_vAlign),
                  0, 1);
    m_xShift = spinEdit(border, "SpinEditXShift", -720, 720);
    m_yShift = spinEdit(border, "SpinEditYShift", -576, 576);
    auto *shifts = new QVBoxLayout;
    shifts->addWidget(core::ui::named("Label5", new QLabel(QStringLiteral("X shift:"), border)));
    shifts->addWidget(m_xShift);
    shifts->addWidget(core::ui::named("Label6", new QLabel(QStringLiteral("Y shift:"), border)));
    shifts->addWidget(m_yShift);
    bg->addLayout(shifts, 0, 2);
    layout->addWidget(border);

    auto *extend = new QGroupBox(QStringLiteral("Extend size to comply with these position rules:"), page);
    extend->setObjectName(QStringLiteral("GroupBoxExtend"));
    auto *eg = new QHBoxLayout(extend);
    m_divL = spinEdit(extend, "SpinEditDivL", 1, 32);
    m_divT = spinEdit(extend, "SpinEditDivT", 1, 32);
    eg->addWidget(core::ui::named("Label7", new QLabel(QStringLiteral("Left multiple of:"), extend)));
    eg->addWidget(m_divL);
    eg->addWidget(core::ui::named("Label8", new QLabel(QStringLiteral("Top multiple of:"), extend)));
    eg->addWidget(m_divT);
    layout->addWidget(extend);
    layout->addStretch();
    m_croppingGroups = {size, border, extend};

    connect(m_cropping, &QCheckBox::toggled, this, &BitmapAdjustDialog::controlChanged);
    for (QSpinBox *spin : {m_minX, m_minY, m_divX, m_divY, m_xShift, m_yShift, m_divL, m_divT})
        connect(spin, &QSpinBox::valueChanged, this, &BitmapAdjustDialog::controlChanged);
    for (QButtonGroup *group : {m_hAlign, m_vAlign})
        connect(group, &QButtonGroup::idClicked, this, &BitmapAdjustDialog::controlChanged);
    return page;
}

QWidget *BitmapAdjustDialog::buildColoursTab()
{
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(radioGroup(page, "RadioGroupPresetPaletteIndex", QStringLiteral("Preset: "),
                                 {QStringLiteral("I-Author"), QStringLiteral("Philips SVCD Designer"),
                                  QStringLiteral("Sonic DVD Creator"), QStringLiteral("Sonic Scenarist"),
                                  QStringLiteral("Spruce DVDMaestro"), QStringLiteral("Pinnacle Impression")},
                                 m_preset));
    auto *right = new QVBoxLayout;
    m_depth = new QComboBox(page);
    m_depth->setObjectName(QStringLiteral("ComboBoxBitPerPixel"));
    m_depth->addItems({QStringLiteral("4 bits"), QStringLiteral("8 bits")});
    right->addWidget(m_depth);
    m_custom = new QCheckBox(QStringLiteral("Custom Colors and Contrast"), page);
    m_custom->setObjectName(QStringLiteral("CheckBoxCustom"));
    right->addWidget(m_custom);
    m_colourGroup = new QGroupBox(page);
    m_colourGroup->setObjectName(QStringLiteral("GroupBoxColors"));
    auto *cg = new QGridLayout(m_colourGroup);
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(QStringLiteral("Color #%1").arg(i + 1), m_colourGroup);
        label->setObjectName(QStringLiteral("LabelClr%1").arg(i + 1));
        auto *shape = new QPushButton(m_colourGroup);
        shape->setObjectName(QStringLiteral("ShapeColor%1").arg(i + 1));
        shape->setFixedSize(40, 22);
        shape->setFlat(true);
        shape->setAutoFillBackground(true);
        m_shapes[size_t(i)] = shape;
        m_contrasts[size_t(i)] = spinEdit(m_colourGroup, QStringLiteral("JvSpinEdit%1").arg(i + 1).toLatin1().constData(), 0, 15);
        cg->addWidget(label, i, 0);
        cg->addWidget(shape, i, 1);
        cg->addWidget(m_contrasts[size_t(i)], i, 2);
        connect(shape, &QPushButton::clicked, this, [this, i] { chooseColour(i); });
        connect(m_contrasts[size_t(i)], &QSpinBox::valueChanged, this, &BitmapAdjustDialog::controlChanged);
    }
    right->addWidget(m_colourGroup);
    m_compress = new QCheckBox(QStringLiteral("Compress Bitmaps"), page);
    m_compress->setObjectName(QStringLiteral("CheckBoxCompress"));
    right->addWidget(m_compress);
    right->addStretch();
    layout->addLayout(right);

    connect(m_preset, &QButtonGroup::idClicked, this, &BitmapAdjustDialog::presetChosen);
    connect(m_depth, &QComboBox::currentIndexChanged, this, &BitmapAdjustDialog::controlChanged);
    connect(m_custom, &QCheckBox::toggled, this, &BitmapAdjustDialog::controlChanged);
    connect(m_compress, &QCheckBox::toggled, this, &BitmapAdjustDialog::controlChanged);
    return page;
}

QWidget *BitmapAdjustDialog::buildPositioningTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_positioning = new QCheckBox(QStringLiteral("Allow BMP position change:"), page);
    m_positioning->setObjectName(QStringLiteral("CheckBoxAllowPositionChange"));
    layout->addWidget(m_positioning);
    // farButton: the mode that puts the picture at the far edge (right, bottom).
    const auto axis = [&](const char *groupName, const QString &title, const QString &far, const char *far0,
                          QRadioButton *&farButton, std::array<const char *, 3> names, QButtonGroup *&modes,
                          QSpinBox *&setTo, const char *setName,
                          int setMax, QSpinBox *&add, const char *addName, int addMax, const char *addLabel) {
        auto *box = new QGroupBox(title, page);
        box->setObjectName(QLatin1String(groupName));
        auto *g = new QGridLayout(box);
        modes = new QButtonGroup(box);
        const QStringList texts{QStringLiteral("Keep original position"), QStringLiteral("Center"), far,
                                QStringLiteral("Set to:")};
        const std::array<const char *, 4> objectNames{names[0], names[1], far0, names[2]};
        for (int i = 0; i < 4; ++i) {
            auto *button = new QRadioButton(texts[i], box);
            button->setObjectName(QLatin1String(objectNames[size_t(i)]));
            modes->addButton(button, i);
            g->addWidget(button, i, 0);
            if (i == 2)
                farButton = button;
        }
        setTo = spinEdit(box, setName, 0, setMax);
        g->addWidget(setTo, 3, 1);
        auto *label = new QLabel(QStringLiteral("Add:"), box);
        label->setObjectName(QLatin1String(addLabel));
        add = spinEdit(box, addName, -addMax, addMax);
        g->addWidget(label, 4, 0);
        g->addWidget(add, 4, 1);
        layout->addWidget(box);
        return box;
    };
    QRadioButton *farLeft = nullptr;
    QGroupBox *left = axis("GroupBoxLeftPos", QStringLiteral("Left Position (X) "), QStringLiteral("Right (X1 = 720 - Width)"),
                           "RadioButtonRightLeftPos", farLeft,
                           {"RadioButtonOriginalLeftPos", "RadioButtonCenterLeftPos", "RadioButtonSetLeftPos"}, m_leftMode,
                           m_leftPos, "SpinEditLeftPosition", 719, m_addLeft, "SpinEditAddLeftPos", 720, "Label17");
    QGroupBox *top = axis("GroupBoxTopPos", QStringLiteral("Top Position (Y) "), QStringLiteral("Bottom (Y1 = 576 - Height)"),
                          "RadioButtonBottomTopPos", m_bottomTop,
                          {"RadioButtonOriginalTopPos", "RadioButtonCenterTopPos", "RadioButtonSetTopPos"}, m_topMode,
                          m_topPos, "SpinEditTopPosition", 575, m_addTop, "SpinEditAddTopPos", 576, "Label16");
    layout->addStretch();
    m_positionGroups = {left, top};
    connect(m_positioning, &QCheckBox::toggled, this, &BitmapAdjustDialog::controlChanged);
    for (QButtonGroup *group : {m_leftMode, m_topMode})
        connect(group, &QButtonGroup::idClicked, this, &BitmapAdjustDialog::controlChanged);
    for (QSpinBox *spin : {m_leftPos, m_topPos, m_addLeft, m_addTop})
        connect(spin, &QSpinBox::valueChanged, this, &BitmapAdjustDialog::controlChanged);
    return page;
}

QWidget *BitmapAdjustDialog::buildBottomPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *layout = new QHBoxLayout(panel);
    m_reduce = new QPushButton(QString(2, QChar(0x00AD)), panel);
    m_reduce->setObjectName(QStringLiteral("ButtonReduceWindow"));
    m_reduce->setFixedWidth(28);
    auto *ok = new QPushButton(QStringLiteral("&OK"), panel);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    auto *skip = new QPushButton(QStringLiteral("&Skip this Picture"), panel);
    skip->setObjectName(QStringLiteral("ButtonSkipPict"));
    layout->addWidget(m_reduce);
    layout->addStretch();
    layout->addWidget(ok);
    layout->addWidget(skip);
    connect(m_reduce, &QPushButton::clicked, this, &BitmapAdjustDialog::toggleReduced);
    connect(ok, &QPushButton::clicked, this, &BitmapAdjustDialog::accept);
    connect(skip, &QPushButton::clicked, this, &BitmapAdjustDialog::skipPicture);
    return panel;
}

core::BmpOutSettings BitmapAdjustDialog::settingsFromControls() const
{
    core::BmpOutSettings b;
    b.croppingEnabled = m_cropping->isChecked();
    b.cropMinX = uint16_t(m_minX->value());
    b.cropMinY = uint16_t(m_minY->value());
    b.cropDivX = uint8_t(m_divX->value());
    b.cropDivY = uint8_t(m_divY->value());
    b.cropXPosMode = uint8_t(std::max(0, m_hAlign->checkedId()));
    b.cropYPosMode = uint8_t(std::max(0, m_vAlign->checkedId()));
    b.cropShiftX = m_xShift->value();
    b.cropShiftY = m_yShift->value();
    b.cropDivL = uint8_t(m_divL->value());
    b.cropDivT = uint8_t(m_divT->value());
    b.customColours = m_custom->isChecked();
    for (size_t i = 0; i < 4; ++i) {
        b.customColour[i] = ripping::ui::bgrOfColour(m_colours[i]);
        b.customContrast[i] = uint8_t(m_contrasts[i]->value());
    }
    b.depth = m_depth->currentIndex() == 1 ? core::BmpOutSettings::EightBits : core::BmpOutSettings::FourBits;
    b.compress = m_compress->isChecked();
    b.positioningEnabled = m_positioning->isChecked();
    b.posXMode = uint8_t(std::max(0, m_leftMode->checkedId()));
    b.posYMode = uint8_t(std::max(0, m_topMode->checkedId()));
    b.posSetX = m_leftPos->value();
    b.posSetY = m_topPos->value();
    b.posShiftX = m_addLeft->value();
    b.posShiftY = m_addTop->value();
    return b;
}

void BitmapAdjustDialog::followFrameHeight(int height)
{
    const bool pal = height == 0 || height == core::PalFrameHeight;
    const int rows = pal ? core::PalFrameHeight : core::NtscFrameHeight;
    m_session.suspend();
    if (pal) {
        m_minY->setMaximum(rows);
        if (m_minY->value() >= core::NtscFrameHeight - 2 && m_minY->value() <= core::NtscFrameHeight)
            m_minY->setValue(core::PalFrameHeight - 2);
    } else {
        if (m_minY->value() >= core::PalFrameHeight - 2)
            m_minY->setValue(core::NtscFrameHeight - 2);
        m_minY->setMaximum(rows);
    }
    m_topPos->setMaximum(rows - 1);
    m_addTop->setRange(-rows, rows);
    // The captions may be translated: only the height in them changes.
    const QString from = QString::number(pal ? core::NtscFrameHeight : core::PalFrameHeight);
    const QString to = QString::number(rows);
    const auto retitle = [&](QString text) {
        const qsizetype at = text.indexOf(from);
        return at < 0 ? text : text.replace(at, from.size(), to);
    };
    m_sizeGroup->setTitle(retitle(m_sizeGroup->title()));
    if (m_bottomTop)
        m_bottomTop->setText(retitle(m_bottomTop->text()));
}

void BitmapAdjustDialog::fillControls(const core::BmpOutSettings &b, int preset)
{
    m_cropping->setChecked(b.croppingEnabled);
    m_minX->setValue(b.cropMinX);
    m_minY->setValue(b.cropMinY);
    m_divX->setValue(b.cropDivX);
    m_divY->setValue(b.cropDivY);
    checkId(m_hAlign, b.cropXPosMode);
    checkId(m_vAlign, b.cropYPosMode);
    m_xShift->setValue(b.cropShiftX);
    m_yShift->setValue(b.cropShiftY);
    m_divL->setValue(b.cropDivL);
    m_divT->setValue(b.cropDivT);
    checkId(m_preset, preset);
    m_depth->setCurrentIndex(b.depth == core::BmpOutSettings::EightBits ? 1 : 0);
    m_custom->setChecked(b.customColours);
    for (size_t i = 0; i < 4; ++i) {
        m_colours[i] = ripping::ui::colourOfBgr(b.customColour[i]);
        m_shapes[i]->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid black;").arg(m_colours[i].name()));
        m_contrasts[i]->setValue(b.customContrast[i]);
    }
    m_compress->setChecked(b.compress);
    m_positioning->setChecked(b.positioningEnabled);
    checkId(m_leftMode, b.posXMode);
    checkId(m_topMode, b.posYMode);
    m_leftPos->setValue(b.posSetX);
    m_topPos->setValue(b.posSetY);
    m_addLeft->setValue(b.posShiftX);
    m_addTop->setValue(b.posShiftY);
    m_profileLabel->setText(m_session.profileName());
    m_depth->setEnabled(BitmapAdjustSession::depthSelectable(preset));
    updateGroups();
}

void BitmapAdjustDialog::updateGroups()
{
    for (QGroupBox *group : m_croppingGroups)
        group->setVisible(m_cropping->isChecked());
    m_colourGroup->setVisible(m_custom->isChecked());
    for (QGroupBox *group : m_positionGroups)
        group->setVisible(m_positioning->isChecked());
}

void BitmapAdjustDialog::controlChanged()
{
    // Every control of the three tabs: its groups follow its check box, and the values become the
    // current settings once the controls hold the current preset.
    updateGroups();
    m_session.edit(settingsFromControls());
}

void BitmapAdjustDialog::presetChosen()
{
    m_session.choosePreset(m_preset->checkedId(), settingsFromControls());
}

void BitmapAdjustDialog::chooseColour(int code)
{
    if (code < 0 || code > 3)
        return;
    if (const auto chosen = m_colourAsker(this, m_colours[size_t(code)])) {
        m_colours[size_t(code)] = *chosen;
        m_shapes[size_t(code)]->setStyleSheet(
            QStringLiteral("background-color: %1; border: 1px solid black;").arg(chosen->name()));
    }
    controlChanged();
}

void BitmapAdjustDialog::setOutputFormat(OutputFormat format)
{
    if (auto *subtitles = qobject_cast<SubtitlesWindow *>(m_app.subtitlesWindow())) {
        (void)subtitles->setOutputFormat(format);
        return;
    }
    m_app.config.main.activePage = int(format);
}

void BitmapAdjustDialog::refreshPreview()
{
    picture::ExportedPicture exported;
    m_app.run().showExportPreview(exported);
}

void BitmapAdjustDialog::saveBmp()
{
    picture::ExportedPicture exported;
    if (!m_app.run().showExportPreview(exported)) {
        m_app.prompt().warn(QStringLiteral("There is no picture to save."));
        return;
    }
    const QString path = core::withDefaultExtension(
        m_app.files().saveFile(this, m_app.message(core::Msg::SaveCurrentBmp), QString(),
                               QStringLiteral("Bitmap File (*.bmp)|*.bmp|All|*.*")),
        QStringLiteral("bmp"));
    if (path.isEmpty() || !core::confirmReplaceFile(path, core::Msg::Warning, m_app.messages, m_app.prompt()))
        return;
    core::BitmapFileOptions options;
    options.compress = m_session.settings().compress;
    if (auto written = core::writeBitmapFile(path, exported.indexed(), options); !written)
        m_app.prompt().error(written.error().message());
}

QString BitmapAdjustDialog::profileFolder() const
{
    // Profiles are the user's files: beside the program in a portable install, else in the user's data folder.
    return m_app.paths.writableDataDir();
}

void BitmapAdjustDialog::saveProfile()
{
    const QString path = core::withDefaultExtension(
        m_app.files().saveFile(this, m_app.message(core::Msg::SaveBmpSettingsProfile), profileFolder(), kProfileFilter),
        QStringLiteral("ini"));
    if (path.isEmpty() || !core::confirmReplaceFile(path, core::Msg::Warning, m_app.messages, m_app.prompt()))
        return;
    if (auto saved = m_session.saveProfile(path, settingsFromControls()); !saved) {
        m_app.prompt().error(saved.error().message());
        return;
    }
    m_profileLabel->setText(m_session.profileName());
}

void BitmapAdjustDialog::loadProfile()
{
    const QString path =
        m_app.files().openFile(this, m_app.message(core::Msg::LoadBmpSettingsProfile), profileFolder(), kProfileFilter, 1);
    if (path.isEmpty())
        return;
    if (auto loaded = m_session.loadProfile(path); !loaded) {
        m_app.prompt().error(loaded.error().message());
        return;
    }
    m_profileLabel->setText(m_session.profileName());
}

void BitmapAdjustDialog::toggleReduced()
{
    if (m_pages->isVisible()) {
        m_wholeSize = size();
        m_pages->hide();
        const int side = m_bottom->sizeHint().height() + 2;
        setFixedSize(std::max(side, m_bottom->sizeHint().width()), side);
        m_reduce->setText(QString(2, QChar(0x00AF)));
    } else {
        m_pages->show();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        // The size it had before it was reduced: the pages' and the bottom panel's hints leave out the
        // layout's margins and spacing, which cut the bottom of the pages off.
        resize(m_wholeSize.isValid() ? m_wholeSize : sizeHint());
        m_reduce->setText(QString(2, QChar(0x00AD)));
    }
    shapeWindow();
}

bool BitmapAdjustDialog::adjustPicture()
{
    // Asked by the run, which shows its pictures in the main window.
    core::ui::execOver(*this, m_app.mainWindow());
    return m_session.savePicture();
}

void BitmapAdjustDialog::showEvent(QShowEvent *event)
{
    if (QWidget *subtitles = m_app.subtitlesWindow()) {
        m_subtitlesWasVisible = subtitles->isVisible();
        subtitles->hide();
    }
    const int exportRows = m_app.exportFrameHeight();
    m_session.setFrameHeight(exportRows > 0 ? exportRows : core::PalFrameHeight);
    m_session.show(OutputFormat(m_app.config.main.activePage));
    QDialog::showEvent(event);
    if (QWidget *main = parentWidget())
        move(main->geometry().center() - rect().center());
    QTimer::singleShot(50, this, &BitmapAdjustDialog::shapeWindow);
}

void BitmapAdjustDialog::shapeWindow()
{
    if (!m_pages->isVisible()) {
        clearMask();
        return;
    }
    // The tab row stands out as the window's title; everything else is the body below it.
    const QTabBar *tabs = m_pages->tabBar();
    int right = tabs->mapTo(this, QPoint(tabs->tabRect(tabs->count() - 1).right(), 0)).x();
    if (right < 150 || right > width())
        right = width();
    const int tabHeight = tabs->height();
    QPainterPath title;
    title.addRoundedRect(QRectF(0, 1, right + 4, tabHeight + 2), 5, 5);
    setMask(QRegion(0, tabHeight, width(), height() - tabHeight) | QRegion(title.toFillPolygon().toPolygon()));
}

void BitmapAdjustDialog::mousePressEvent(QMouseEvent *event)
{
    // Without a title bar the window is dragged by any free area.
    if (event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
    QDialog::mousePressEvent(event);
}

void BitmapAdjustDialog::finish()
{
    if (m_subtitlesWasVisible && !m_app.commandLineMode)
        if (QWidget *subtitles = m_app.subtitlesWindow())
            subtitles->show();
    m_subtitlesWasVisible = false;
}

void BitmapAdjustDialog::accept()
{
    m_session.ok(settingsFromControls());
    finish();
    QDialog::accept();
}

void BitmapAdjustDialog::reject()
{
    accept();
}

void BitmapAdjustDialog::skipPicture()
{
    m_session.skip(settingsFromControls());
    finish();
    QDialog::done(QDialog::Rejected);
}

} // namespace glyfex::subtitles::ui
