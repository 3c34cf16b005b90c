// The Output Format dialog (Form13): chooses the Subtitles window's format and edits the writers' options.
#include "subtitles/ui/output_format_dialog.h"

#include "core/ui/numeric_edit.h"
#include "core/ui/named_widget.h"
#include "app/app.h"
#include "ripping/ui/input_dialog.h"
#include "subtitles/font_text.h"
#include "subtitles/time_forms.h"
#include "subtitles/ui/subtitles_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace glyfex::subtitles::ui {

using core::ui::named;

namespace {

QSpinBox *spinBox(const char *name, int lowest, int highest)
{
    auto *box = named(name, new QSpinBox);
    box->setRange(lowest, highest);
    return box;
}

QLabel *label(const char *name, const QString &text, QWidget *buddy = nullptr)
{
    auto *l = named(name, new QLabel(text));
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

// The eight formats that write frame time codes, in the order of their PAL/NTSC and "Drop Frame"
// boxes; the Philips boxes are the ones read back.
struct FrameCodePage {
    OutputFormat format;
    const char *rateBox;
    const char *dropBox;
    const char *rateLabel;
};
constexpr FrameCodePage kFrameCodePages[] = {
    {OutputFormat::SpruceStl, "ComboBoxSTLFrameRate", "CheckBoxSTLDropFrame", "LabelSTLFR"},
    {OutputFormat::PhilipsSvcdDesigner, "ComboBoxPhilipsFrameRate", "CheckBoxPhilipsDropFrame", "Label40"},
    {OutputFormat::SonicDvdCreator, "ComboBoxSonicFrameRate", "CheckBoxSonicDropFrame", "Label42"},
    {OutputFormat::SpruceDvdMaestro, "ComboBoxMaeFrameRate", "CheckBoxMaeDropFrame", "MaeFRLabel"},
    {OutputFormat::SonicScenarist, "ComboBoxSSTFrameRate", "CheckBoxSSTDropFrame", "SSTFRLabel"},
    {OutputFormat::PinnacleImpression, "ComboBoxImpreFrameRate", "CheckBoxImpreDropFrame", "LabelImpreFR"},
    {OutputFormat::FabSubtitler, "ComboBoxFABFrameRate", "CheckBoxFABDropFrame", "LabelFABFR"},
    {OutputFormat::MacDvdStudioPro, "ComboBoxMacDVDFrameRate", "CheckBoxMacDVDDropFrame", "LabelMacDVDFR"},
};
constexpr size_t kPhilips = 1;

} // namespace

OutputFormatDialog::OutputFormatDialog(app::App &app, QWidget *parent) : QDialog(parent), m_app(app)
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(tr("Output Format"));
    m_colourAsker = core::ui::askColourWithDialog;

    m_tree = named("FormatsTreeView", new QTreeWidget);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setMinimumWidth(230);
    m_pages = named("PageControlGlyfex", new QStackedWidget);
    buildPages();

    auto *text = new QTreeWidgetItem(m_tree, {tr("Text Formats")});
    auto *pictures = new QTreeWidgetItem(m_tree, {tr("Graphical Formats")});
    for (auto *root : {text, pictures})
        root->setData(0, Qt::UserRole, -1);
    for (int i = 0; i < kOutputFormatCount; ++i) {
        auto *item = new QTreeWidgetItem(i < kFirstPictureScriptFormat ? text : pictures,
                                         {QLatin1String(outputFormatInfo(OutputFormat(i)).caption)});
        item->setData(0, Qt::UserRole, i);
    }
    m_tree->expandAll();
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) { showPageOf(item); });

    auto *convert = named("BitBtnConvert", new QPushButton(tr("&Convert to this Format")));
    convert->setDefault(true);
    auto *cancel = named("BitBtn1", new QPushButton(tr("&Cancel")));
    connect(convert, &QPushButton::clicked, this, &OutputFormatDialog::convert);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *body = new QHBoxLayout;
    body->addWidget(m_tree);
    body->addWidget(m_pages, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(convert);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    // The header texts, offsets and frame-number options reach the writers' struct as they change.
    for (const TextField &f : std::as_const(m_texts)) {
        f.edit->setText(m_app.formatOptions.*f.value);
        connect(f.edit, &QLineEdit::textChanged, this, [this, f](const QString &t) {
            if (!m_filling)
                m_app.formatOptions.*f.value = t;
        });
    }
    for (const NumberField &f : std::as_const(m_numbers)) {
        f.box->setValue(m_app.formatOptions.*f.value);
        connect(f.box, &QSpinBox::valueChanged, this, [this, f](int v) {
            if (!m_filling)
                m_app.formatOptions.*f.value = v;
        });
    }
    auto directCheck = [this](QCheckBox *box, bool FormatOptions::*value) {
        box->setChecked(m_app.formatOptions.*value);
        connect(box, &QCheckBox::toggled, this, [this, value](bool on) {
            if (!m_filling)
                m_app.formatOptions.*value = on;
        });
    };
    directCheck(m_microDvdRateLine, &FormatOptions::microDvdRateLine);
    directCheck(m_twoLineMax, &FormatOptions::subviewerTwoLineMax);
    directCheck(m_roundTimes, &FormatOptions::subviewerRoundTimes);
    m_microDvdRate->setCurrentText(m_app.formatOptions.frameRateText);
    // The writers read the rate there as they write: a text that is no rate (yet) keeps the last one.
    connect(m_microDvdRate, &QComboBox::currentTextChanged, this, [this](const QString &t) {
        if (!m_filling && parseFrameRateX1000(t))
            m_app.formatOptions.frameRateText = t;
    });
    // The four frame-number rates and the Subtitles window's show one rate.
    if (SubtitlesWindow *subtitles = subtitlesWindow())
        subtitles->linkFrameRateBoxes(m_frameNumberRates);

    for (size_t i = 0; i < m_rateBoxes.size(); ++i) {
        connect(m_rateBoxes[i], &QComboBox::activated, this, [this, i] { frameRateChanged(m_rateBoxes[i]); });
        connect(m_dropBoxes[i], &QCheckBox::clicked, this, &OutputFormatDialog::dropFrameClicked);
    }
    resize(780, 540);
}

SubtitlesWindow *OutputFormatDialog::subtitlesWindow() const
{
    return qobject_cast<SubtitlesWindow *>(m_app.subtitlesWindow());
}

QWidget *OutputFormatDialog::page(OutputFormat format)
{
    return m_page[size_t(format)];
}

void OutputFormatDialog::buildPages()
{
    for (int i = 0; i < kOutputFormatCount; ++i) {
        auto *p = named(QStringLiteral("TabSheet%1").arg(i + 1), new QWidget);
        auto *title = named(QStringLiteral("LabelTabSheet%1").arg(i + 1),
                            new QLabel(QLatin1String(outputFormatInfo(OutputFormat(i)).caption)));
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        auto *v = new QVBoxLayout(p);
        v->addWidget(title);
        m_page[size_t(i)] = p;
        m_pages->addWidget(p);
    }
    // Adds a form of rows under the page's title; the page ends with a stretch once it is built.
    auto form = [this](OutputFormat format) {
        auto *f = new QFormLayout;
        f->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
        static_cast<QVBoxLayout *>(page(format)->layout())->addLayout(f);
        return f;
    };
    // A row whose caption is named after its field: EditSubviewerTitle's is LabelSubviewerTitle.
    auto row = [](QFormLayout *f, const QString &caption, QWidget *field) {
        QString name = field->objectName();
        for (const char *prefix : {"SpinEdit", "Edit"}) {
            if (name.startsWith(QLatin1String(prefix))) {
                name.remove(0, qsizetype(qstrlen(prefix)));
                break;
            }
        }
        auto *l = named(QStringLiteral("Label") + name, new QLabel(caption));
        l->setBuddy(field);
        f->addRow(l, field);
    };
    auto text = [this](const char *name, QString FormatOptions::*value) {
        auto *edit = named(name, new QLineEdit);
        m_texts.append({edit, value});
        return edit;
    };
    auto number = [this](const char *name, int lowest, int highest, int FormatOptions::*value) {
        auto *box = spinBox(name, lowest, highest);
        m_numbers.append({box, value});
        return box;
    };
    auto fontRow = [this](QFormLayout *f, const char *editName, const char *buttonName) {
        auto *edit = named(editName, new QLineEdit);
        edit->setReadOnly(true);
        auto *button = named(buttonName, new QPushButton(tr("Font")));
        connect(button, &QPushButton::clicked, this, [this, edit] { chooseFont(edit); });
        auto *row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(button);
        // EditSTLFont's caption is LabelSTLFont.
        f->addRow(label(qPrintable(QStringLiteral("Label") + QLatin1String(editName).mid(4)), tr("Font:"), edit), row);
        return edit;
    };
    auto colourShape = [this](const QString &name) {
        auto *shape = named(name, new QToolButton);
        shape->setFixedSize(36, 20);
        shape->setAutoRaise(false);
        connect(shape, &QToolButton::clicked, this, [this, shape] { chooseColour(shape); });
        return shape;
    };
    const QStringList frameNumberRates{QStringLiteral("23.976"), QStringLiteral("24.000"), QStringLiteral("25.000"),
                                       QStringLiteral("29.970"), QStringLiteral("30.000")};
    auto frameNumberRate = [&](const char *name) {
        auto *box = named(name, new QComboBox);
        box->setEditable(true);
        box->addItems(frameNumberRates);
        box->setCurrentText(QStringLiteral("23.976"));
        m_frameNumberRates.append(box);
        return box;
    };

    for (size_t i = 0; i < std::size(kFrameCodePages); ++i) {
        const FrameCodePage &c = kFrameCodePages[i];
        auto *box = named(c.rateBox, new QComboBox);
        box->addItems({QStringLiteral("25.000 PAL"), QStringLiteral("30.000 NTSC")});
        auto *drop = named(c.dropBox, new QCheckBox(tr("Drop Frame")));
        m_rateBoxes[i] = box;
        m_dropBoxes[i] = drop;
        auto *row = new QHBoxLayout;
        row->addWidget(label(c.rateLabel, tr("Frame Rate:"), box));
        row->addWidget(box);
        row->addWidget(drop);
        row->addStretch(1);
        static_cast<QVBoxLayout *>(page(c.format)->layout())->addLayout(row);
    }

    // DVDSubtitle header.
    {
        QFormLayout *f = form(OutputFormat::DvdSubtitle);
        row(f, tr("Disc ID:"), text("EditDVDDiscID", &FormatOptions::dvdDiscId));
        row(f, tr("DVD Title:"), text("EditDVDSubtitleDVDTitle", &FormatOptions::dvdTitle));
        row(f, tr("Language:"), text("EditDVDSubtitleLanguage", &FormatOptions::dvdLanguage));
        row(f, tr("Author:"), text("EditDVDSubtitleAuthor", &FormatOptions::dvdAuthor));
        row(f, tr("Web:"), text("EditDVDSubtitleWeb", &FormatOptions::dvdWeb));
        row(f, tr("Info:"), text("EditDVDSubtitleInfo", &FormatOptions::dvdInfo));
        row(f, tr("License:"), text("EditDVDSubtitleLicense", &FormatOptions::dvdLicense));
    }
    // The frame-number formats.
    {
        QFormLayout *f = form(OutputFormat::MicroDvd);
        m_microDvdRate = frameNumberRate("MDVDComboBox");
        f->addRow(label("Label39", tr("Frame Rate:"), m_microDvdRate), m_microDvdRate);
        m_microDvdRateLine = named("DXG400CheckBox", new QCheckBox(tr("Use DivXG400 FPS info tag (recommended)")));
        f->addRow(m_microDvdRateLine);
        // The frame-number formats share one rate (the boxes follow each other): each page says so.
        const QString shared = tr("The same frame rate serves MicroDVD, Mpl, MacSUB, Phoenix Japanimation and the "
                                  "Subtitles window.");
        auto sharedRate = [&](QFormLayout *rows, const char *name) {
            QLabel *note = label(name, shared);
            note->setWordWrap(true);
            rows->addRow(note);
        };
        sharedRate(f, "Label45");
        QComboBox *mpl = frameNumberRate("ComboBoxMpl");
        form(OutputFormat::Mpl)->addRow(label("LabelMplFR", tr("Frame Rate:"), mpl), mpl);
        sharedRate(form(OutputFormat::Mpl), "LabelMplFRHint");
        QComboBox *macSub = frameNumberRate("ComboBoxMacSUB");
        form(OutputFormat::MacSub)->addRow(label("LabelMacSUBFR", tr("Frame Rate:"), macSub), macSub);
        sharedRate(form(OutputFormat::MacSub), "LabelMacSUBFRHint");
        QComboBox *phoenix = frameNumberRate("ComboBoxPhoenix");
        form(OutputFormat::PhoenixJapanimation)->addRow(label("LabelPhoenixFR", tr("Frame Rate:"), phoenix), phoenix);
        sharedRate(form(OutputFormat::PhoenixJapanimation), "LabelPhoenixFRHint");
    }
    // Spruce STL.
    {
        auto *colours = new QGridLayout;
        colours->addWidget(label("LabelColor", tr("Color:")), 0, 1);
        colours->addWidget(label("LabelContrast", tr("Contrast:")), 0, 2);
        const char *names[] = {"Outline 1", "Outline 2", "Text", "Background"};
        for (int i = 0; i < 4; ++i) {
            m_stlColours[size_t(i)] = colourShape(QStringLiteral("ShapeColorSTL%1").arg(i + 1));
            m_stlContrasts[size_t(i)] = spinBox(qPrintable(QStringLiteral("JvSpinEditSTL%1").arg(i + 1)), 0, 15);
            colours->addWidget(named(QStringLiteral("LabelSTLClr%1").arg(i + 1), new QLabel(tr(names[i]))), i + 1, 0);
            colours->addWidget(m_stlColours[size_t(i)], i + 1, 1);
            colours->addWidget(m_stlContrasts[size_t(i)], i + 1, 2);
        }
        colours->setColumnStretch(3, 1);
        auto alignment = [&](const char *group, const QString &title, const std::array<const char *, 3> &buttons,
                             const std::array<QString, 3> &captions, const char *offsetLabel,
                             core::ui::WordEdit *offset, QButtonGroup *&ids) {
            auto *box = named(group, new QGroupBox(title));
            auto *v = new QVBoxLayout(box);
            ids = new QButtonGroup(this);
            for (int i = 0; i < 3; ++i) {
                auto *radio = named(buttons[size_t(i)], new QRadioButton(captions[size_t(i)]));
                ids->addButton(radio, i);
                v->addWidget(radio);
            }
            auto *row = new QHBoxLayout;
            row->addWidget(label(offsetLabel, tr("Offset:"), offset));
            row->addWidget(offset);
            row->addStretch(1);
            v->addLayout(row);
            return box;
        };
        m_stlX = named("Word_uH", new core::ui::WordEdit);
        m_stlX->setRange(0, 719);
        m_stlY = named("Word_uV", new core::ui::WordEdit);
        m_stlY->setRange(0, 575);
        for (core::ui::WordEdit *e : {m_stlX, m_stlY})
            e->setMaximumWidth(60);
        auto *align = new QHBoxLayout;
        align->addWidget(alignment("GroupBoxSTLHor", tr("Horizontal Alignment"),
                                   {"RadioButtonHLeft", "RadioButtonHCenter", "RadioButtonHRight"},
                                   {tr("Left"), tr("Center"), tr("Right")}, "LabelHOffset", m_stlX, m_stlHorz));
        align->addWidget(alignment("GroupBoxSTLVer", tr("Vertical Alignment"),
                                   {"RadioButtonVTop", "RadioButtonVCenter", "RadioButtonVBottom"},
                                   {tr("Top"), tr("Center"), tr("Bottom")}, "LabelVOffset", m_stlY, m_stlVert));
        auto *v = static_cast<QVBoxLayout *>(page(OutputFormat::SpruceStl)->layout());
        v->addLayout(colours);
        v->addLayout(align);
        m_stlFont = fontRow(form(OutputFormat::SpruceStl), "EditSTLFont", "ButtonSTLFont");
    }
    // The program's own format.
    {
        QFormLayout *f = form(OutputFormat::Glyfex);
        QSpinBox *offset = number("SpinEditGlyfexOffset", 0, 100000, &FormatOptions::glyfexOffset);
        f->addRow(label("Label2", tr("Subtitle Index Offset (To combine with another file):"), offset), offset);
        m_gxtExtended = named("CheckBoxGxtExtended", new QCheckBox(tr("Extended Format (With Picture(s) Coordinates):")));
        m_gxtColourTags = named("CheckBoxGxtFontClrTags", new QCheckBox(tr("Include Font Color tags:")));
        f->addRow(m_gxtExtended);
        f->addRow(m_gxtColourTags);
    }
    // Sub Station Alpha.
    {
        QFormLayout *f = form(OutputFormat::SubStationAlpha);
        row(f, tr("Title:"), text("EditSubStationAlphaTitle", &FormatOptions::ssaTitle));
        row(f, tr("Script:"), text("EditSubStationAlphaScript", &FormatOptions::ssaScript));
        auto *shapes = new QHBoxLayout;
        for (int i = 0; i < 4; ++i) {
            m_ssaColours[size_t(i)] = colourShape(QStringLiteral("ShapeColorSSA%1").arg(i + 1));
            shapes->addWidget(m_ssaColours[size_t(i)]);
        }
        shapes->addStretch(1);
        f->addRow(label("LabelSSAColor", tr("Color:")), shapes);
        m_ssaMargin = spinBox("SpinEditSubStationAlphaPosMargin", 0, 720);
        m_ssaMarginV = spinBox("SpinEditSubStationAlphaPosBottom", 0, 576);
        m_ssaBorder = spinBox("SpinEditSubStationAlphaBorder", 0, 50);
        m_ssaShadow = spinBox("SpinEditSubStationAlphaShadow", 0, 50);
        row(f, tr("Vertical Margin:"), m_ssaMargin);
        row(f, tr("Bottom Margin:"), m_ssaMarginV);
        row(f, tr("Border:"), m_ssaBorder);
        row(f, tr("Shadow:"), m_ssaShadow);
        m_ssaFont = fontRow(f, "EditSSAFont", "ButtonSSAFont");
    }
    // Subviewer.
    {
        QFormLayout *f = form(OutputFormat::Subviewer);
        row(f, tr("Title:"), text("EditSubviewerTitle", &FormatOptions::subviewerTitle));
        row(f, tr("Author:"), text("EditSubviewerAuthor", &FormatOptions::subviewerAuthor));
        row(f, tr("Source:"), text("EditSubviewerSource", &FormatOptions::subviewerSource));
        row(f, tr("Program:"), text("EditSubviewerProgram", &FormatOptions::subviewerProgram));
        row(f, tr("File Path:"), text("EditSubviewerFilePath", &FormatOptions::subviewerFilePath));
        row(f, tr("Delay:"), number("SpinEditSubViewerDelay", -100000, 100000, &FormatOptions::subviewerDelay));
        m_twoLineMax = named("CheckBox2LineMax", new QCheckBox(tr("If more than 2 lines, add next lines to the 2nd")));
        m_roundTimes = named("CheckBoxRoundTC", new QCheckBox(tr("Round time codes to whole seconds")));
        f->addRow(m_twoLineMax);
        f->addRow(m_roundTimes);
    }
    // Subviewer 2.
    {
        QFormLayout *f = form(OutputFormat::Subviewer2);
        row(f, tr("Title:"), text("EditSubviewer2Title", &FormatOptions::sv2Title));
        row(f, tr("Author:"), text("EditSubviewer2Author", &FormatOptions::sv2Author));
        row(f, tr("Source:"), text("EditSubviewer2Source", &FormatOptions::sv2Source));
        row(f, tr("Program:"), text("EditSubviewer2Program", &FormatOptions::sv2Program));
        row(f, tr("File Path:"), text("EditSubviewer2FilePath", &FormatOptions::sv2FilePath));
        row(f, tr("Delay:"), number("SpinEditSubViewer2Delay", -100000, 100000, &FormatOptions::sv2Delay));
        row(f, tr("CD Track:"), number("SpinEditSubViewer2CDTrack", 0, 255, &FormatOptions::sv2CdTrack));
        row(f, tr("Comment:"), text("EditSubviewer2Comment", &FormatOptions::sv2Comment));
        m_sv2Font = fontRow(f, "EditSV2Font", "ButtonSV2Font");
        m_sv2PreserveStyles = named("CheckBoxPresStyles", new QCheckBox(tr("Preserve style tags")));
        f->addRow(m_sv2PreserveStyles);
    }
    // TMPlayer.
    {
        QFormLayout *f = form(OutputFormat::TmPlayer);
        m_tmPlayer = new QButtonGroup(this);
        const char *captions[] = {"00:00:00:", "0:00:00:", "00:00:00=", "0:00:00=", "00:00:00,1="};
        for (int i = 0; i < 5; ++i) {
            auto *radio = named(QStringLiteral("RadioButtonTMPlayer%1").arg(i + 1),
                                new QRadioButton(QLatin1String(captions[i])));
            m_tmPlayer->addButton(radio, i + 1);
            f->addRow(radio);
        }
    }
    // I-Author, Philips, DVDMaestro.
    {
        m_minimumInterval = spinBox("SpinEditMinimumInterval", 0, 999);
        row(form(OutputFormat::IAuthor), tr("Minimum ms between two subtitles (avoid problems):"), m_minimumInterval);
        row(form(OutputFormat::PhilipsSvcdDesigner), tr("Title:"),
            text("EditPhilipsTitle", &FormatOptions::philipsTitle));
        QFormLayout *f = form(OutputFormat::SpruceDvdMaestro);
        QSpinBox *offset = number("MaeOffsetSpinEdit", 0, 100000, &FormatOptions::maestroOffset);
        f->addRow(label("MaeOffsetLabel", tr("Subtitle Index Offset (To combine with another file):"), offset), offset);
        m_maeExtended = named("CheckBoxMaeExtended", new QCheckBox(tr("Extended Format (With Picture(s) Coordinates):")));
        f->addRow(m_maeExtended);
    }
    for (QWidget *p : m_page)
        static_cast<QVBoxLayout *>(p->layout())->addStretch(1);
}

// --- moving the options -------------------------------------------------------------------------

QColor OutputFormatDialog::colourOf(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

uint32_t OutputFormatDialog::bgrOf(const QColor &colour)
{
    return uint32_t(colour.red()) | uint32_t(colour.green()) << 8 | uint32_t(colour.blue()) << 16;
}

void OutputFormatDialog::setShapeColour(QToolButton *shape, uint32_t bgr)
{
    shape->setProperty("bgr", uint(bgr & 0xFFFFFF));
    shape->setStyleSheet(QStringLiteral("QToolButton { background-color: %1; border: 1px solid black; }")
                             .arg(colourOf(bgr).name()));
}

void OutputFormatDialog::optionsToControls()
{
    const FormatOptions &o = m_app.formatOptions;
    m_filling = true;
    for (const TextField &f : std::as_const(m_texts))
        f.edit->setText(o.*f.value);
    for (const NumberField &f : std::as_const(m_numbers))
        f.box->setValue(o.*f.value);
    m_microDvdRateLine->setChecked(o.microDvdRateLine);
    m_twoLineMax->setChecked(o.subviewerTwoLineMax);
    m_roundTimes->setChecked(o.subviewerRoundTimes);
    m_filling = false;

    m_gxtExtended->setChecked(o.glyfexExtended);
    m_gxtColourTags->setChecked(o.glyfexFontColourTags);
    m_sv2PreserveStyles->setChecked(o.sv2PreserveStyles);
    m_maeExtended->setChecked(o.maestroExtended);
    const int variant = o.tmPlayerVariant >= 1 && o.tmPlayerVariant <= 5 ? o.tmPlayerVariant : 1;
    m_tmPlayer->button(variant)->setChecked(true);
    if (QAbstractButton *b = m_stlHorz->button(o.stlHorzAlign))
        b->setChecked(true);
    if (QAbstractButton *b = m_stlVert->button(o.stlVertAlign))
        b->setChecked(true);
    m_stlX->setValue(o.stlXOffset);
    m_stlY->setValue(o.stlYOffset);
    m_stlFont->setText(fontSpecText(o.stlFont));
    m_ssaFont->setText(fontSpecText(o.ssaFont));
    m_sv2Font->setText(fontSpecText(o.sv2Font));
    for (size_t i = 0; i < 4; ++i) {
        setShapeColour(m_stlColours[i], o.stlColours[i]);
        setShapeColour(m_ssaColours[i], o.ssaColours[i]);
        m_stlContrasts[i]->setValue(o.stlContrasts[i]);
    }
    m_ssaMargin->setValue(o.ssaMargin);
    m_ssaMarginV->setValue(o.ssaMarginV);
    m_ssaBorder->setValue(o.ssaBorder);
    m_ssaShadow->setValue(o.ssaShadow);
    m_minimumInterval->setValue(o.minimumInterval);
    for (QComboBox *box : m_rateBoxes)
        box->setCurrentIndex(o.frameRateIndex == 1 ? 1 : 0);
}

void OutputFormatDialog::directControlsToOptions(FormatOptions &o) const
{
    for (const TextField &f : m_texts)
        o.*f.value = f.edit->text();
    for (const NumberField &f : m_numbers)
        o.*f.value = f.box->value();
    o.frameRateText = m_microDvdRate->currentText();
    o.microDvdRateLine = m_microDvdRateLine->isChecked();
    o.subviewerTwoLineMax = m_twoLineMax->isChecked();
    o.subviewerRoundTimes = m_roundTimes->isChecked();
}

void OutputFormatDialog::controlsToOptions(FormatOptions &o) const
{
    directControlsToOptions(o);
    o.glyfexExtended = m_gxtExtended->isChecked();
    o.glyfexFontColourTags = m_gxtColourTags->isChecked();
    o.sv2PreserveStyles = m_sv2PreserveStyles->isChecked();
    o.maestroExtended = m_maeExtended->isChecked();
    if (const int variant = m_tmPlayer->checkedId(); variant >= 1)
        o.tmPlayerVariant = uint8_t(variant);
    if (const int h = m_stlHorz->checkedId(); h >= 0)
        o.stlHorzAlign = uint8_t(h);
    if (const int v = m_stlVert->checkedId(); v >= 0)
        o.stlVertAlign = uint8_t(v);
    o.stlXOffset = uint16_t(m_stlX->value());
    o.stlYOffset = uint16_t(m_stlY->value());
    // The font edits are filled only by the program; a text that does not read keeps the font it had.
    if (auto f = fontSpecFromText(m_stlFont->text()))
        o.stlFont = *f;
    if (auto f = fontSpecFromText(m_ssaFont->text()))
        o.ssaFont = *f;
    if (auto f = fontSpecFromText(m_sv2Font->text()))
        o.sv2Font = *f;
    for (size_t i = 0; i < 4; ++i) {
        o.stlColours[i] = m_stlColours[i]->property("bgr").toUInt();
        o.ssaColours[i] = m_ssaColours[i]->property("bgr").toUInt();
        o.stlContrasts[i] = uint8_t(m_stlContrasts[i]->value());
    }
    o.ssaMargin = uint16_t(m_ssaMargin->value());
    o.ssaMarginV = uint16_t(m_ssaMarginV->value());
    o.ssaBorder = uint8_t(m_ssaBorder->value());
    o.ssaShadow = uint8_t(m_ssaShadow->value());
    o.minimumInterval = uint16_t(m_minimumInterval->value());
    o.dropFrame = m_dropBoxes[kPhilips]->isChecked();
    o.frameRateIndex = uint8_t(m_rateBoxes[kPhilips]->currentIndex() == 1 ? 1 : 0);
}

// --- showing, tree, frame rate ------------------------------------------------------------------

void OutputFormatDialog::showEvent(QShowEvent *event)
{
    m_stlX->setPrompt(&m_app.prompt());
    m_stlY->setPrompt(&m_app.prompt());
    optionsToControls();
    frameRateChanged(nullptr);
    for (QCheckBox *box : m_dropBoxes)
        box->setChecked(m_app.formatOptions.dropFrame);
    // A source of known video standard fixes the frame rate; an HD frame tells none.
    const QSize frame = m_app.input.frameSize;
    const bool standardKnown = frame.width() > 0 && core::VideoStandard::heightTellsStandard(frame.height());
    for (QComboBox *box : m_rateBoxes)
        box->setEnabled(!standardKnown);
    const SubtitlesWindow *subtitles = subtitlesWindow();
    const int current = subtitles ? int(subtitles->outputFormat()) : m_app.config.main.activePage;
    selectFormat(isValidOutputFormat(current) ? OutputFormat(current) : OutputFormat::Glyfex);
    QDialog::showEvent(event);
}

void OutputFormatDialog::selectFormat(OutputFormat format)
{
    const int number = int(format);
    QTreeWidgetItem *root = m_tree->topLevelItem(number < kFirstPictureScriptFormat ? 0 : 1);
    m_tree->setCurrentItem(root->child(number < kFirstPictureScriptFormat ? number : number - kFirstPictureScriptFormat));
    m_pages->setCurrentIndex(number);
}

void OutputFormatDialog::showPageOf(QTreeWidgetItem *item)
{
    // The headings change nothing.
    const int number = item ? item->data(0, Qt::UserRole).toInt() : -1;
    if (isValidOutputFormat(number))
        m_pages->setCurrentIndex(number);
}

OutputFormat OutputFormatDialog::shownFormat() const
{
    return OutputFormat(m_pages->currentIndex());
}

void OutputFormatDialog::frameRateChanged(QComboBox *sender)
{
    if (m_linking)
        return;
    bool ntsc = m_app.formatOptions.frameRateIndex == 1;
    if (sender) {
        ntsc = sender->currentIndex() == 1;
        m_linking = true;
        for (QComboBox *box : m_rateBoxes)
            box->setCurrentIndex(ntsc ? 1 : 0);
        m_linking = false;
    }
    for (QCheckBox *box : m_dropBoxes)
        box->setEnabled(ntsc);
    // The preview's frame height follows the chosen standard only while the source's is unknown:
    // a known frame size is the source's own and stays.
    if (m_app.input.frameSize.width() > 0)
        return;
    const bool pal = m_rateBoxes[kPhilips]->currentIndex() == 0;
    m_app.input.frameSize.setHeight(pal ? 576 : 480);
    if (ripping::ui::InputDialog *input = m_app.inputDialog())
        input->applyFrameSize();
}

void OutputFormatDialog::dropFrameClicked(bool on)
{
    for (QCheckBox *box : m_dropBoxes)
        box->setChecked(on);
}

// --- Convert ------------------------------------------------------------------------------------

bool OutputFormatDialog::convert()
{
    // Everything is read into a copy first: a refused conversion leaves the options as they were.
    FormatOptions next = m_app.formatOptions;
    // An offset typed out of range and not left yet (Enter on the default button, an accelerator
    // key) gets the range warning and the nearer bound, as leaving the field would.
    m_stlX->checkRange();
    m_stlY->checkRange();
    controlsToOptions(next);
    const bool rateChanged = next.frameRateIndex != m_app.formatOptions.frameRateIndex;
    const OutputFormat format = shownFormat();
    SubtitlesWindow *subtitles = subtitlesWindow();
    const OutputFormat previous = subtitles ? subtitles->outputFormat() : OutputFormat(m_app.config.main.activePage);
    if (!m_app.subtitles.subs.empty() && isPictureScript(format) != isPictureScript(previous))
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                            m_app.message(core::Msg::GraphicalTextConversion));
    if (subtitles) {
        if (core::Result<void> set = subtitles->setOutput(format, next); !set) {
            m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + set.error().message());
            return false;
        }
    } else {
        m_app.config.main.activePage = int(format);
    }
    m_app.formatOptions = next;
    // An HD source's bitmaps go onto the DVD frame of the rate chosen here: the presets and the
    // adjustment dialog follow it.
    if (rateChanged && m_app.input.frameSize.width() > 0)
        if (ripping::ui::InputDialog *input = m_app.inputDialog())
            input->applyFrameSize();
    accept();
    return true;
}

// --- fonts and colours --------------------------------------------------------------------------

void OutputFormatDialog::chooseFont(QLineEdit *edit)
{
    SubtitlesWindow *subtitles = subtitlesWindow();
    if (!subtitles)
        return;
    FontSpec wanted = fontSpecFromText(edit->text()).value_or(FontSpec{});
    QFont font(wanted.name);
    font.setPointSize(wanted.size);
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    font.setUnderline(wanted.underline);
    font.setStrikeOut(wanted.strikeOut);
    const std::optional<QFont> chosen = subtitles->askFont(this, font);
    if (!chosen)
        return;
    // The family asked for, not the one the system substitutes for it: headers name the font the
    // player is to use. The charset is no property of a font here and stays.
    wanted.name = chosen->family();
    if (chosen->pointSize() > 0)
        wanted.size = chosen->pointSize();
    wanted.bold = chosen->bold();
    wanted.italic = chosen->italic();
    wanted.underline = chosen->underline();
    wanted.strikeOut = chosen->strikeOut();
    edit->setText(fontSpecText(wanted));
    subtitles->useListFont(*chosen);
}

void OutputFormatDialog::chooseColour(QToolButton *shape)
{
    if (!m_colourAsker)
        return;
    if (std::optional<QColor> chosen = m_colourAsker(this, colourOf(shape->property("bgr").toUInt())))
        setShapeColour(shape, bgrOf(*chosen));
}

} // namespace glyfex::subtitles::ui
