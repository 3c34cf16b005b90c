// The main window: commands, preview, counters, the batch timer, pause and the deferred close.
#include "ripping/ui/main_window.h"
#include "subtitles/ui/subtitles_window.h"

#include "core/file_read.h"
#include "core/ui/dialog_owner.h"
#include "core/ui/language_applier.h"
#include "core/ui/language_tools.h"
#include "core/version.h"
#include "picture/picture_file.h"
#include "ripping/preview_geometry.h"
#include "ripping/read_progress.h"
#include "app/app.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/picture_image.h"
#include "ripping/ui/preview_screen.h"
#include "ripping/ui/progress_controller.h"
#include "ripping/ui/version_check_window.h"
#include "subtitles/ui/bitmap_adjust_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QColorDialog>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QImageReader>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QShowEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include <exception>

namespace glyfex::ripping::ui {

namespace {

// The preview's background picture, through the same checks as a sequence picture: a damaged file is
// refused at once instead of costing seconds and gigabytes in the decoder.
core::Result<QImage> readBackgroundImage(const QString &path)
{
    // A device or pipe under the name is never opened: the picture reader would wait on it or read without end.
    if (const QString problem = core::plainFileProblem(path); !problem.isEmpty())
        return core::makeError(QStringLiteral("Cannot read the picture"), path, problem);
    QImageReader reader(path);
    return picture::readPictureFile(reader);
}

void paintSwatch(QPushButton *button, uint32_t bgr)
{
    QPixmap pix(28, 14);
    pix.fill(colourOfBgr(bgr));
    button->setIcon(QIcon(pix));
    button->setIconSize(pix.size());
    button->setProperty("colour", QVariant::fromValue(bgr));
}

QLabel *valueLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *l = core::ui::runTimeText(new QLabel(text, parent));
    l->setObjectName(QString::fromLatin1(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// Clears a flag however the scope is left, so a pass that fails cannot leave the program believing
// a pass still runs (which would stop the batch timer for good).
class FlagGuard {
public:
    explicit FlagGuard(bool &flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard &) = delete;
    FlagGuard &operator=(const FlagGuard &) = delete;

private:
    bool &m_flag;
};

} // namespace

MainWindow::MainWindow(app::App &app) : m_app(app), m_setPriority(setProcessPriority)
{
    setObjectName(QStringLiteral("Form1"));
    showProgramTitle();
    setMinimumSize(342, 276);

    buildMenus();
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("PanelMain"));
    auto *v = new QVBoxLayout(central);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(6);
    v->addWidget(buildCommandRow());

    auto *middle = new QHBoxLayout;
    m_previewHost = new QWidget(central);
    auto *hostLayout = new QGridLayout(m_previewHost);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    m_preview = new PreviewScreen(m_previewHost);
    m_image = new QLabel(m_preview); // keeps the picture's component name for language files
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->hide();
    hostLayout->addWidget(m_preview, 0, 0, Qt::AlignCenter);
    middle->addWidget(m_previewHost, 1);
    m_previewOptions = buildPreviewOptions();
    m_previewOptions->hide();
    middle->addWidget(m_previewOptions, 0, Qt::AlignTop);
    v->addLayout(middle, 1);
    v->addWidget(buildInfoPanel());
    setCentralWidget(central);

    applyPreviewSettings();
    m_previewReady = true;

    // 744 x 570 as designed, never larger than the screen.
    QSize size(744, 570);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    resize(size.expandedTo(sizeHint()));

    m_batchTimer.setInterval(500);
    connect(&m_batchTimer, &QTimer::timeout, this, &MainWindow::batchTick);
    m_batchTimer.start();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    // Language files address the menu bar and each top menu by their component names.
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->menuAction()->setObjectName(QStringLiteral("File1"));
    m_openVob = file->addAction(QStringLiteral("&Open VOB(s)"), this, &MainWindow::openVob);
    m_openVob->setObjectName(QStringLiteral("OpenVob1"));
    m_openVob->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_openSequence = file->addAction(QStringLiteral("Open &Image Sequence"));
    m_openSequence->setObjectName(QStringLiteral("OpenImageSequence1"));
    m_openSequence->setEnabled(false);
    m_openVideo = file->addAction(QStringLiteral("Open &Hard Subbed Video Files"));
    m_openVideo->setObjectName(QStringLiteral("OpenVideo"));
    m_openVideo->setEnabled(false);
    file->addSeparator();
    m_quit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    m_quit->setObjectName(QStringLiteral("Quit1"));
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *matrix = menuBar()->addMenu(QStringLiteral("&Characters Matrix"));
    matrix->menuAction()->setObjectName(QStringLiteral("CharacterMatrix1"));
    auto matrixItem = [matrix](const char *name, const char *caption) {
        QAction *a = matrix->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(false);
        return a;
    };
    m_matrixActions.edit = matrixItem("EditCharMatrix1", "&Edit/View Characters Matrix");
    m_matrixActions.open = matrixItem("OpenCharacterMatrix1", "&Open Characters Matrix File");
    m_matrixActions.save = matrixItem("SaveCharacterMatrix1", "&Save Characters Matrix File");
    m_matrixActions.saveAs = matrixItem("SaveCharacterMatrixAs1", "Save Characters Matrix File &As");
    // New stands apart from the file commands.
    matrix->addSeparator();
    m_matrixActions.newMatrix = matrixItem("NewCharacterMatrix1", "&New Characters Matrix");

    QMenu *options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->menuAction()->setObjectName(QStringLiteral("Options2"));
    auto showModal = [this](const char *form) {
        return [this, form] {
            if (auto *dialog = qobject_cast<QDialog *>(m_app.window(QString::fromLatin1(form))))
                core::ui::execOver(*dialog, this);
        };
    };
    QAction *global = options->addAction(QStringLiteral("&Global Options"), this, showModal("Form16"));
    global->setObjectName(QStringLiteral("GlobalOptions1"));
    global->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction *ocr = options->addAction(QStringLiteral("Advanced &OCR Setup"), this, showModal("Form4"));
    ocr->setObjectName(QStringLiteral("OCRAdvancedSetup1"));
    ocr->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_languageMenu = options->addMenu(QStringLiteral("GUI &Language"));
    m_languageMenu->setObjectName(QStringLiteral("GUILanguage1"));
    m_languageMenu->setEnabled(false);
    QMenu *priority = options->addMenu(QStringLiteral("&Priority"));
    priority->setObjectName(QStringLiteral("Priority1"));
    const char *priorityItems[][2] = {{"IDLEPRIORITYCLASS1", "&IDLE_PRIORITY_CLASS"},
                                      {"NORMALPRIORITYCLASS1", "&NORMAL_PRIORITY_CLASS"},
                                      {"HIGHPRIORITYCLASS1", "&HIGH_PRIORITY_CLASS"},
                                      {"REALTIMEPRIORITYCLASS1", "&REALTIME_PRIORITY_CLASS"}};
    for (int i = 0; i < 4; ++i) {
        m_priority[i] = priority->addAction(QString::fromLatin1(priorityItems[i][1]));
        m_priority[i]->setObjectName(QString::fromLatin1(priorityItems[i][0]));
        m_priority[i]->setCheckable(true);
        connect(m_priority[i], &QAction::triggered, this, [this, i] { choosePriority(PriorityLevel(i)); });
    }
    m_priority[int(PriorityLevel::Normal)]->setChecked(true);
    QAction *version = options->addAction(QStringLiteral("Check New &Version"), this, [this] {
        if (auto *check = qobject_cast<VersionCheckWindow *>(m_app.window(QStringLiteral("Form20"))))
            check->start();
    });
    version->setObjectName(QStringLiteral("CheckNewVersion1"));

    QAction *about = menuBar()->addAction(QStringLiteral("&About"), this, showModal("Form12"));
    about->setObjectName(QStringLiteral("About1"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
}

QWidget *MainWindow::buildCommandRow()
{
    auto *row = new QWidget(this);
    auto *h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto button = [row](const char *name, const QString &text, const QString &tip, QStyle::StandardPixmap icon) {
        auto *b = new QPushButton(row->style()->standardIcon(icon), text, row);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        return b;
    };
    m_buttonOpenVob = button("TntBitButtonOpenVob", QStringLiteral("Open VOB(s)"),
                             QStringLiteral("Open DVD title set or VobSub files"), QStyle::SP_DialogOpenButton);
    connect(m_buttonOpenVob, &QPushButton::clicked, this, &MainWindow::openVob);
    m_buttonOpenVideo = button("TntBitButtonOpenVideo", QStringLiteral("Open Video"),
                               QStringLiteral("Open Hard Subbed Video Files"), QStyle::SP_MediaPlay);
    // The button follows the menu command, which the application's run takes over.
    m_buttonOpenVideo->setEnabled(m_openVideo->isEnabled());
    connect(m_openVideo, &QAction::changed, m_buttonOpenVideo, [this] { m_buttonOpenVideo->setEnabled(m_openVideo->isEnabled()); });
    connect(m_buttonOpenVideo, &QPushButton::clicked, m_openVideo, &QAction::trigger);
    m_buttonShowSubtitles = button("TntBitButtonShowSubtitleText", QStringLiteral("Subtitles"),
                                   QStringLiteral("Show/Hide subtitles text window"), QStyle::SP_FileDialogDetailedView);
    connect(m_buttonShowSubtitles, &QPushButton::clicked, this, &MainWindow::toggleSubtitlesWindow);
    // Only the click toggles the pause: a toggle on focus entry would count one click twice.
    m_buttonPause = new QPushButton(m_app.message(core::Msg::Pause), row);
    m_buttonPause->setObjectName(QStringLiteral("ButtonPause"));
    m_buttonPause->setEnabled(false);
    m_buttonPause->setMinimumWidth(110);
    connect(m_buttonPause, &QPushButton::clicked, this, [this] { togglePause(m_buttonPause); });
    m_showSubPict = new QCheckBox(QStringLiteral("Show Pict."), row);
    m_showSubPict->setObjectName(QStringLiteral("CheckBoxShowSubPict"));
    m_showSubPict->setChecked(true);
    m_buttonPreviewOption = new QPushButton(QStringLiteral("Preview options"), row);
    m_buttonPreviewOption->setObjectName(QStringLiteral("ButtonPreviewOption"));
    m_buttonPreviewOption->setCheckable(true);
    connect(m_buttonPreviewOption, &QPushButton::clicked, this, &MainWindow::togglePreviewOptions);

    // The translators' tools, shown only when the program is started with /lang.
    m_internalButton1 = new QPushButton(QStringLiteral("Save Lang"), row);
    m_internalButton1->setObjectName(QStringLiteral("InternalButton1"));
    m_internalButton1->setVisible(false);
    connect(m_internalButton1, &QPushButton::clicked, this, [this] { runLanguageTool(false); });
    m_internalButton2 = new QPushButton(QStringLiteral("Upd All Lang"), row);
    m_internalButton2->setObjectName(QStringLiteral("InternalButton2"));
    m_internalButton2->setVisible(false);
    connect(m_internalButton2, &QPushButton::clicked, this, [this] { runLanguageTool(true); });

    h->addWidget(m_buttonOpenVob);
    h->addWidget(m_buttonOpenVideo);
    h->addWidget(m_buttonShowSubtitles);
    h->addSpacing(12);
    h->addWidget(m_buttonPause);
    h->addWidget(m_internalButton1);
    h->addWidget(m_internalButton2);
    h->addStretch(1);
    h->addWidget(m_showSubPict);
    h->addWidget(m_buttonPreviewOption);
    return row;
}

void MainWindow::showLanguageTools()
{
    m_internalButton1->setVisible(true);
    m_internalButton2->setVisible(true);
}

void MainWindow::runLanguageTool(bool updateAll)
{
    core::ui::LanguageApplier *applier = m_app.language();
    if (!applier)
        return;
    const core::ui::LanguageTools tools(*applier, m_app.paths, m_app.batch.paused);
    QStringList languages;
    if (const QMenu *menu = languageMenu()) {
        for (const QAction *item : menu->actions())
            languages << QString(item->text()).remove(u'&');
    }
    const core::Result<void> done = updateAll ? tools.updateAll(languages) : tools.saveMaster();
    if (!done)
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + done.error().message());
}

QGroupBox *MainWindow::buildPreviewOptions()
{
    auto *box = new QGroupBox(QStringLiteral("Preview"), this);
    box->setObjectName(QStringLiteral("PanelPreviewCfg"));
    auto *g = new QGridLayout(box);
    int r = 0;
    m_truePos = new QCheckBox(QStringLiteral("Show at true position"), box);
    m_truePos->setObjectName(QStringLiteral("CheckBoxTruePos"));
    g->addWidget(m_truePos, r++, 0, 1, 3);
    m_transparent = new QCheckBox(QStringLiteral("Transparent SubPicture Bkgrd"), box);
    m_transparent->setObjectName(QStringLiteral("CheckBoxTransparentBkGrd"));
    m_transparent->setEnabled(false);
    g->addWidget(m_transparent, r++, 0, 1, 3);
    g->addWidget(core::ui::named("Label1", new QLabel(QStringLiteral("Zoom:"), box)), r, 0);
    m_zoomBox = new QSpinBox(box);
    m_zoomBox->setObjectName(QStringLiteral("SpinEditZoom"));
    m_zoomBox->setRange(10, 200);
    m_zoomBox->setSuffix(QStringLiteral(" %"));
    g->addWidget(m_zoomBox, r, 1);
    m_autoZoom = new QCheckBox(QStringLiteral("Auto"), box);
    m_autoZoom->setObjectName(QStringLiteral("CheckBoxAutoZoom"));
    g->addWidget(m_autoZoom, r++, 2);

    auto *back = new QGroupBox(QStringLiteral("Background"), box);
    back->setObjectName(QStringLiteral("RadioGroupPreviewBack"));
    auto *bg = new QGridLayout(back);
    m_backMode = new QButtonGroup(back);
    const char *modes[] = {"None (Speed up)", "Preset:", "Free:", "Image:"};
    for (int i = 0; i < 4; ++i) {
        auto *rb = new QRadioButton(QString::fromLatin1(modes[i]), back);
        m_backMode->addButton(rb, i);
        bg->addWidget(rb, i, 0);
    }
    m_aspectRatio = new QComboBox(back);
    m_aspectRatio->setObjectName(QStringLiteral("ComboBoxAspectRatio"));
    m_aspectRatio->addItems({QStringLiteral("16/9 - 1.77:1"), QStringLiteral("1.85:1"), QStringLiteral("2.35:1")});
    bg->addWidget(m_aspectRatio, 1, 1, 1, 2);
    m_freeBars = new QSpinBox(back);
    m_freeBars->setObjectName(QStringLiteral("SpinEditAspectRatio"));
    m_freeBars->setRange(0, 288);
    bg->addWidget(m_freeBars, 2, 1);
    m_ratioPanel = core::ui::runTimeText(new QLabel(back));
    m_ratioPanel->setObjectName(QStringLiteral("PanelRatio"));
    m_ratioPanel->setFrameShape(QFrame::StyledPanel);
    m_ratioPanel->setMinimumWidth(56);
    m_ratioPanel->setAlignment(Qt::AlignCenter);
    bg->addWidget(m_ratioPanel, 2, 2);
    m_imageBack = new QPushButton(QStringLiteral("Load Img."), back);
    m_imageBack->setObjectName(QStringLiteral("ButtonImgBack"));
    bg->addWidget(m_imageBack, 3, 1, 1, 2);
    g->addWidget(back, r++, 0, 1, 3);

    g->addWidget(core::ui::named("Label2", new QLabel(QStringLiteral("Bars:"), box)), r, 0);
    m_borderColour = new QPushButton(box);
    m_borderColour->setObjectName(QStringLiteral("PanelBorderColor"));
    m_borderColour->setToolTip(QStringLiteral("Colour of the letterbox bars"));
    g->addWidget(m_borderColour, r++, 1, 1, 2);
    g->addWidget(core::ui::named("Label3", new QLabel(QStringLiteral("Picture:"), box)), r, 0);
    m_innerColour = new QPushButton(box);
    m_innerColour->setObjectName(QStringLiteral("PanelInnerColor"));
    m_innerColour->setToolTip(QStringLiteral("Colour of the picture area between the bars"));
    g->addWidget(m_innerColour, r++, 1, 1, 2);
    g->setRowStretch(r, 1);

    connect(m_truePos, &QCheckBox::toggled, this, &MainWindow::previewOptionChanged);
    connect(m_transparent, &QCheckBox::toggled, this, &MainWindow::previewOptionChanged);
    connect(m_autoZoom, &QCheckBox::toggled, this, &MainWindow::previewOptionChanged);
    connect(m_backMode, &QButtonGroup::idClicked, this, &MainWindow::previewOptionChanged);
    connect(m_zoomBox, &QSpinBox::valueChanged, this, &MainWindow::zoomBoxChanged);
    connect(m_aspectRatio, &QComboBox::currentIndexChanged, this, &MainWindow::aspectRatioChanged);
    connect(m_freeBars, &QSpinBox::valueChanged, this, &MainWindow::freeBarsChanged);
    connect(m_borderColour, &QPushButton::clicked, this, [this] { chooseColour(m_borderColour); });
    connect(m_innerColour, &QPushButton::clicked, this, [this] { chooseColour(m_innerColour); });
    connect(m_imageBack, &QPushButton::clicked, this, &MainWindow::chooseBackgroundImage);
    return box;
}

QWidget *MainWindow::buildInfoPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("PanelInfo"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto *g = new QGridLayout(panel);
    g->setContentsMargins(8, 6, 8, 6);
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(4);
    auto caption = [panel](const char *name, const QString &text) {
        auto *l = core::ui::named(name, new QLabel(text, panel));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, p.color(QPalette::PlaceholderText));
        l->setPalette(p);
        return l;
    };

    m_vobFile = valueLabel("LabelVobFile", QStringLiteral("-"), panel);
    m_vobNum = valueLabel("LabelVobNum", QStringLiteral("0"), panel);
    m_vobNb = valueLabel("LabelVobNb", QStringLiteral("0"), panel);
    m_nbSup = valueLabel("LabelNbSup", QStringLiteral("0"), panel);
    m_totalNbSup = valueLabel("LabelTotalNbSup", QStringLiteral("0"), panel);
    m_chapters = valueLabel("LabelChapters", QStringLiteral("0"), panel);
    m_fps = valueLabel("LabelFPS", QString(), panel);
    m_time = valueLabel("LabelTime", QStringLiteral("00:00:00,000"), panel);
    m_time7 = valueLabel("LabelTime7", QStringLiteral("00:00:00,000"), panel);
    m_pos = valueLabel("LabelPos", QString(), panel);
    m_elapsed = valueLabel("LabelTimeElapsed", QStringLiteral("00:00:00"), panel);
    m_remaining = valueLabel("LabelTimeRemaining", QStringLiteral("00:00:00"), panel);
    const char *rectNames[] = {"LabelX1", "LabelY1", "LabelX2", "LabelY2", "LabelWidth", "LabelHeight"};
    for (int i = 0; i < 6; ++i)
        m_rectLabels[i] = valueLabel(rectNames[i], QStringLiteral("0"), panel);
    // Each value keeps room for the longest text it shows, so that a longer value (the run's end, a later
    // time) widens the panel instead of being cut off by its neighbour.
    auto reserve = [](QLabel *label, const QString &widest) {
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) + 2);
    };
    for (QLabel *time : {m_time, m_time7})
        reserve(time, QStringLiteral("00:00:00,000"));
    for (QLabel *clock : {m_elapsed, m_remaining})
        reserve(clock, QStringLiteral("00:00:00"));
    reserve(m_fps, QStringLiteral("NTSC ~30 fps (720x480)"));
    reserve(m_chapters, QStringLiteral("000"));
    for (QLabel *count : {m_vobNum, m_vobNb})
        reserve(count, QStringLiteral("000"));
    for (QLabel *count : {m_nbSup, m_totalNbSup})
        reserve(count, QStringLiteral("00000"));
    for (QLabel *value : m_rectLabels)
        reserve(value, QStringLiteral("0000"));
    // Counters and coordinates are right-aligned in the room kept for them, so their digits line up.
    for (QLabel *number : {m_vobNum, m_vobNb, m_nbSup, m_totalNbSup})
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel *number : m_rectLabels)
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_progress = new QProgressBar(panel);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    auto *fileRow = new QHBoxLayout;
    fileRow->setSpacing(5);
    fileRow->addWidget(m_vobFile);
    fileRow->addStretch(1);
    fileRow->addWidget(caption("Label4", QStringLiteral("file")));
    fileRow->addWidget(m_vobNum);
    fileRow->addWidget(caption("Label5", QStringLiteral("of")));
    fileRow->addWidget(m_vobNb);

    g->addWidget(caption("Label6", QStringLiteral("File:")), 0, 0);
    g->addLayout(fileRow, 0, 1);
    g->addWidget(caption("Label7", QStringLiteral("Subpictures:")), 0, 2);
    auto *counts = new QHBoxLayout;
    counts->setSpacing(5);
    counts->addWidget(m_nbSup);
    counts->addWidget(caption("Label8", QStringLiteral("in file,")));
    counts->addWidget(m_totalNbSup);
    counts->addWidget(caption("Label9", QStringLiteral("in all")));
    counts->addStretch(1);
    g->addLayout(counts, 0, 3);
    g->addWidget(caption("Label10", QStringLiteral("Cells:")), 0, 4);
    g->addWidget(m_chapters, 0, 5);

    g->addWidget(caption("Label11", QStringLiteral("Read:")), 1, 0);
    auto *progressRow = new QHBoxLayout;
    progressRow->setSpacing(5);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_pos);
    g->addLayout(progressRow, 1, 1);
    g->addWidget(caption("Label12", QStringLiteral("Elapsed:")), 1, 2);
    auto *clocks = new QHBoxLayout;
    clocks->setSpacing(5);
    clocks->addWidget(m_elapsed);
    clocks->addWidget(caption("Label13", QStringLiteral("Remaining:")));
    clocks->addWidget(m_remaining);
    clocks->addStretch(1);
    g->addLayout(clocks, 1, 3);
    g->addWidget(caption("Label14", QStringLiteral("Video:")), 1, 4);
    g->addWidget(m_fps, 1, 5);

    g->addWidget(caption("Label15", QStringLiteral("Time:")), 2, 0);
    auto *times = new QHBoxLayout;
    times->setSpacing(5);
    times->addWidget(m_time);
    times->addWidget(caption("Label16", QStringLiteral("clock")));
    times->addWidget(m_time7);
    times->addStretch(1);
    g->addLayout(times, 2, 1);
    g->addWidget(caption("Label17", QStringLiteral("Picture:")), 2, 2);
    auto *rect = new QHBoxLayout;
    rect->setSpacing(5);
    const char *rectCaptions[] = {"x1", "y1", "x2", "y2", "w", "h"};
    const char *rectCaptionNames[] = {"Label18", "Label19", "Label20", "Label21", "Label22", "Label23"};
    for (int i = 0; i < 6; ++i) {
        rect->addWidget(caption(rectCaptionNames[i], QString::fromLatin1(rectCaptions[i])));
        rect->addWidget(m_rectLabels[i]);
    }
    rect->addStretch(1);
    g->addLayout(rect, 2, 3, 1, 3);
    g->setColumnStretch(1, 3);
    g->setColumnStretch(3, 3);
    return panel;
}

// --- batch driver -------------------------------------------------------------------------------

void MainWindow::batchTick()
{
    if (m_app.videoOpen)
        return;
    BatchState &batch = m_app.batch;
    if (batch.processing || batch.paused || batch.finished())
        return;
    const QString path = batch.vobList.at(batch.currentFile);
    m_vobFile->setText(QFileInfo(path).fileName());
    growToContent();
    m_vobNum->setText(QString::number(batch.currentFile + 1));
    m_vobNb->setText(QString::number(batch.vobList.size()));
    runPass(path);
}

void MainWindow::runPass(const QString &path)
{
    BatchState &batch = m_app.batch;
    const int fileBefore = batch.currentFile;
    {
        FlagGuard processing(batch.processing);
        m_buttonPause->setEnabled(true);
        m_openVob->setEnabled(false);
        m_buttonOpenVob->setEnabled(false);
        try {
            if (m_fileReader)
                m_fileReader->readFile(path);
        } catch (const std::exception &) {
            // The pass reports what the user must know itself; an error that still escapes ends this
            // file, so the next tick goes on with the next one instead of failing on it for ever.
            if (batch.currentFile == fileBefore)
                ++batch.currentFile;
        } catch (...) {
            if (batch.currentFile == fileBefore)
                ++batch.currentFile;
        }
    }
    m_openVob->setEnabled(true);
    m_buttonOpenVob->setEnabled(true);
    if (!batch.paused && batch.currentFile != fileBefore)
        m_buttonPause->setEnabled(false); // the file is finished: nothing to pause until the next one starts
    if (!batch.finished() && !batch.paused)
        m_buttonPause->setEnabled(true);
    if (m_closePending) {
        // The close asked for during the pass: now nothing uses the state any more.
        m_closePending = false;
        close();
    }
}

void MainWindow::togglePause(QObject *sender)
{
    if (ProgressController *controller = m_app.progressController())
        controller->setNoStop(false); // pausing brings the controller back
    BatchState &batch = m_app.batch;
    batch.paused = !batch.paused;
    if (batch.paused) {
        m_buttonPause->setText(m_app.message(core::Msg::Continue));
        batch.pausedByMainButton = sender == m_buttonPause;
    } else {
        m_buttonPause->setText(m_app.message(core::Msg::Pause));
    }
}

void MainWindow::setBatchTimerActive(bool active)
{
    if (active)
        m_batchTimer.start();
    else
        m_batchTimer.stop();
}

void MainWindow::setOpenCommandsEnabled(bool enabled)
{
    for (QAction *a : {m_openVob, m_openSequence, m_openVideo})
        a->setEnabled(enabled);
    m_buttonOpenVob->setEnabled(enabled);
}

void MainWindow::showFramePosition(int position, int last)
{
    m_progress->setRange(0, std::max(last, 1));
    m_progress->setValue(std::clamp(position, 0, std::max(last, 1)));
    auto text = [last](int at) {
        const int percent = last > 0 ? int(int64_t(at) * 100 / last) : 0;
        return QStringLiteral("%1 / %2 fr. (%3 %)").arg(at).arg(last).arg(percent);
    };
    // Room for the widest text of the video, its last frame, so that the label keeps its size.
    reservePositionRoom(text(last));
    m_pos->setText(text(position));
}

void MainWindow::reservePositionRoom(const QString &widest)
{
    if (widest != m_posWidthText || m_pos->font() != m_posWidthFont) {
        m_posWidthText = widest;
        m_posWidthFont = m_pos->font();
        m_posWidth = m_pos->fontMetrics().horizontalAdvance(widest) + 2;
    }
    if (m_posWidth > m_pos->minimumWidth()) {
        m_pos->setMinimumWidth(m_posWidth);
        growToContent();
    }
}

void MainWindow::resetFramePosition()
{
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_pos->clear();
}

void MainWindow::setPreviewHint(const QString &hint)
{
    m_preview->setToolTip(hint);
    m_image->setToolTip(hint);
}

void MainWindow::setPauseAvailable(bool available)
{
    m_buttonPause->setEnabled(available);
}

bool MainWindow::pauseAvailable() const
{
    return m_buttonPause->isEnabled();
}

QString MainWindow::pauseCaption() const
{
    return m_buttonPause->text();
}

void MainWindow::setPauseCaption(const QString &caption)
{
    m_buttonPause->setText(caption);
}

void MainWindow::showSourceName(const QString &name)
{
    m_vobFile->setText(name);
}

// --- close ---------------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_app.batch.processing) {
        // The pass runs inside this very event pump and uses the run's state, and it may still teach
        // the matrix: pause it and close once it has returned (runPass does). The questions come then,
        // the matrix's before the text's as at any other close; a close they refuse leaves the run
        // paused, to be resumed.
        if (!m_app.batch.paused)
            togglePause(nullptr);
        m_closePending = true;
        event->ignore();
        return;
    }
    // Unsaved subtitles are the user's work: only Yes closes over them.
    if (m_app.textModified() && !m_app.commandLineMode) {
        const QString text = m_app.message(core::Msg::Confirm) + QStringLiteral("\r\n")
                           + m_app.message(core::Msg::TextNotSaved) + QLatin1Char('\r')
                           + m_app.message(core::Msg::ReallyQuit);
        if (m_app.prompt().confirm(text) != core::Answer::Yes) {
            if (QWidget *subtitles = m_app.subtitlesWindow())
                subtitles->show();
            event->ignore();
            return;
        }
    }
    m_app.abortSequence = true;
    m_batchTimer.stop();
    m_app.saveSettings();
    m_app.preview.autoZoom = false; // resizing during the teardown must change nothing
    // Every other window goes with the main window, so the application ends with it.
    for (QWidget *w : m_app.windows()) {
        if (w != this)
            w->hide();
    }
    event->accept();
}

void MainWindow::openVob()
{
    m_app.abortSequence = true;
    QWidget *subtitles = m_app.subtitlesWindow();
    const bool subtitlesShown = subtitles && subtitles->isVisible();
    if (subtitlesShown)
        subtitles->hide();
    const int result = core::ui::execOver(*m_app.inputDialog(), this);
    if (result != QDialog::Accepted && subtitlesShown)
        subtitles->show();
}

void MainWindow::toggleSubtitlesWindow()
{
    QWidget *subtitles = m_app.subtitlesWindow();
    if (!subtitles)
        return;
    if (subtitles->isVisible()) {
        subtitles->hide();
        return;
    }
    subtitles->showNormal();
    if (!m_app.batch.processing)
        placeSubtitlesWindow();
}

void MainWindow::placeSubtitlesWindow()
{
    subtitles::ui::SubtitlesWindow *subtitles = m_app.subtitlesWindow();
    if (!subtitles || !subtitles->isVisible())
        return;
    subtitles->placeUnderMainWindow();
}

QScreen *screenOf(const QWidget &window)
{
    if (QScreen *under = QGuiApplication::screenAt(window.frameGeometry().center()))
        return under;
    return window.screen() ? window.screen() : QGuiApplication::primaryScreen();
}

void placeUnder(QWidget &window, const QWidget &main)
{
    const QRect mainFrame = main.frameGeometry();
    const QSize decorations = window.frameGeometry().size() - window.size();
    QRect frame(mainFrame.left(), 0, mainFrame.width(), window.frameGeometry().height());
    frame.moveBottom(mainFrame.bottom());
    if (const QScreen *screen = screenOf(main))
        frame = keptOnScreen(frame, screen->availableGeometry());
    window.resize(frame.size() - decorations);
    window.move(frame.topLeft());
}

void keepWindowOnScreen(QWidget &window)
{
    if (!window.isVisible() || window.isMaximized() || window.isFullScreen() || window.isMinimized())
        return;
    const QScreen *screen = screenOf(window);
    if (!screen)
        return;
    const QRect frame = window.frameGeometry();
    const QRect kept = keptOnScreen(frame, screen->availableGeometry());
    if (kept.size() != frame.size())
        window.resize(window.size() - (frame.size() - kept.size()));
    if (kept.topLeft() != frame.topLeft())
        window.move(kept.topLeft());
}

// --- priority ------------------------------------------------------------------------------------

void MainWindow::setPriorityHandler(std::function<core::Result<void>(PriorityLevel)> handler)
{
    m_setPriority = std::move(handler);
}

bool MainWindow::priorityTicked(PriorityLevel level) const
{
    return m_priority[int(level)]->isChecked();
}

void MainWindow::choosePriority(PriorityLevel level)
{
    core::Result<void> result = m_setPriority(level);
    if (result)
        m_priorityLevel = int(level);
    // The menu shows the priority the process really has, whatever the click did to the tick.
    for (int i = 0; i < 4; ++i)
        m_priority[i]->setChecked(i == m_priorityLevel);
    if (!result)
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") + result.error().message());
}

void MainWindow::restorePriority(int level)
{
    if (level < 0 || level > 3)
        return; // any other stored value changes nothing
    if (m_setPriority(PriorityLevel(level)))
        m_priorityLevel = level;
    for (int i = 0; i < 4; ++i)
        m_priority[i]->setChecked(i == m_priorityLevel);
}

// --- preview -------------------------------------------------------------------------------------

void MainWindow::showSubtitlePicture(const QImage &picture, const picture::Rect &rect, bool zoomed)
{
    m_shownRect = rect;
    m_shownPicture = picture;
    m_shownZoomed = zoomed;
    placePreviewPicture(zoomed ? m_screenZoom : 1000);
    const int values[6] = {rect.left, rect.top, rect.right, rect.bottom, picture.width(), picture.height()};
    for (int i = 0; i < 6; ++i)
        m_rectLabels[i]->setText(QString::number(values[i]));
}

void MainWindow::clearPreviewPicture()
{
    m_shownPicture = QImage();
    m_preview->clearPicture();
    // The Picture labels told the place and size of the picture gone.
    for (QLabel *value : m_rectLabels)
        value->setText(QStringLiteral("0"));
}

void MainWindow::placePreviewPicture(int zoom)
{
    if (m_shownPicture.isNull())
        return;
    const QRect placed = previewPictureRect(m_shownPicture.size(), QPoint(m_shownRect.left, m_shownRect.top), zoom,
                                            m_app.preview.atTruePos);
    m_preview->setPicture(m_shownPicture, placed);
}

void MainWindow::sizePreviewArea(int zoom)
{
    // A tall frame (1080 rows) at the chosen zoom would make the window taller than the screen: the
    // screen is shown smaller instead, while the chosen zoom stays the setting.
    const QSize frame = previewFrame();
    m_fittedDecorations = frameGeometry().size() - size();
    m_fittedShown = isVisible();
    m_screenZoom = fittingZoom(zoom, frame, previewRoom());
    const QSize size = previewScreenSize(m_screenZoom, frame.height(), frame.width());
    m_preview->setFixedSize(size);
    m_previewHost->setMinimumSize(size);
    placePreviewPicture(m_shownZoomed ? m_screenZoom : 1000);
    if (!m_app.preview.autoZoom && !isMaximized() && !isFullScreen()) {
        // The window fits the screen's new size, smaller as well as larger.
        centralWidget()->layout()->activate();
        layout()->activate();
        resize(sizeHint().expandedTo(minimumSize()));
    }
    keepOnScreen();
    if (!m_app.batch.processing)
        placeSubtitlesWindow();
}

QSize MainWindow::previewFrame() const
{
    return QSize(previewFrameWidth(m_app.input.frameSize), previewFrameHeight(m_app.input.frameSize));
}

QSize MainWindow::previewRoom()
{
    const QScreen *screen = screenOf(*this);
    if (!screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // Everything but the preview's host keeps its size whatever the zoom: the window's decorations,
    // menus, command row, counters and the options panel.
    centralWidget()->layout()->activate();
    layout()->activate();
    const QSize decorations = frameGeometry().size() - size();
    // A window cut smaller than its layout needs (by the screen, before it was fitted) leaves the host
    // at its least size and the rest reaching past the window: the rest is then what the layout asks.
    const QSize rest = size().expandedTo(sizeHint()) - m_previewHost->size();
    return screen->availableGeometry().size() - decorations - rest;
}

void MainWindow::growToContent()
{
    // The window's explicit minimum is smaller than what its panels need, so a panel that needs more room
    // later (a longer value) would be squeezed and its texts cut: the window widens instead.
    if (isMaximized() || isFullScreen())
        return;
    // Layouts pass a changed minimum up one level per layout request; bring them all up to date now,
    // from the counters' panel up to the window.
    for (QWidget *w = m_pos->parentWidget(); w; w = w->parentWidget()) {
        if (w->layout())
            w->layout()->activate();
        if (w == this)
            break;
    }
    const int needed = minimumSizeHint().width();
    if (width() >= needed)
        return;
    resize(needed, height());
    keepOnScreen();
}

void MainWindow::keepOnScreen()
{
    keepWindowOnScreen(*this);
}

void MainWindow::drawPreviewBackground()
{
    const PreviewSettings &s = m_app.preview;
    const int height = previewFrameHeight(m_app.input.frameSize);
    const int width = previewFrameWidth(m_app.input.frameSize);
    if (s.backMode == PreviewSettings::NoBackground) {
        m_preview->setBackground(QImage());
    } else if (s.backMode == PreviewSettings::Image) {
        QImage image;
        if (!s.backImageName.isEmpty()) {
            if (auto read = readBackgroundImage(s.backImageName))
                image = std::move(*read); // a damaged file shows no background (it was refused when chosen)
        }
        m_preview->setBackground(image);
    } else {
        const int bar = backgroundBarHeight(s, height);
        QImage image(width, height, QImage::Format_RGB32);
        const QRgb border = colourOfBgr(s.borderColour).rgb();
        const QRgb inner = colourOfBgr(s.innerColour).rgb();
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            std::fill(line, line + width, (y < bar || y >= height - bar) ? border : inner);
        }
        m_preview->setBackground(image);
    }
    zoomBoxChanged();
}

void MainWindow::applyPreviewSettings()
{
    const bool ready = m_previewReady;
    m_previewReady = false;
    loadPreviewControls();
    m_previewReady = ready;
    drawPreviewBackground();
}

void MainWindow::loadPreviewControls()
{
    const PreviewSettings &s = m_app.preview;
    m_truePos->setChecked(s.atTruePos);
    m_transparent->setChecked(s.transparentBackground);
    m_zoomBox->setValue(s.zoom / 10);
    m_zoomBox->setEnabled(!s.autoZoom);
    m_autoZoom->setChecked(s.autoZoom);
    if (QAbstractButton *b = m_backMode->button(s.backMode))
        b->setChecked(true);
    m_aspectRatio->setCurrentIndex(s.aspectRatioMode <= 2 ? s.aspectRatioMode : 0);
    m_freeBars->setValue(s.freeAspectRatio);
    m_ratioPanel->setText(freeRatioText(previewFrameHeight(m_app.input.frameSize), m_freeBars->value(), QLocale(),
                                       previewFrameWidth(m_app.input.frameSize)));
    paintSwatch(m_borderColour, s.borderColour);
    paintSwatch(m_innerColour, s.innerColour);
}

void MainWindow::readPreviewOptions()
{
    if (!m_previewReady)
        return;
    PreviewSettings &s = m_app.preview;
    s.atTruePos = m_truePos->isChecked();
    s.transparentBackground = m_transparent->isChecked();
    s.zoom = m_zoomBox->value() * 10;
    s.autoZoom = m_autoZoom->isChecked();
    s.borderColour = m_borderColour->property("colour").value<uint32_t>();
    s.innerColour = m_innerColour->property("colour").value<uint32_t>();
    s.backMode = uint8_t(std::max(0, m_backMode->checkedId()));
    s.aspectRatioMode = uint8_t(std::max(0, m_aspectRatio->currentIndex()));
    s.freeAspectRatio = m_freeBars->value();
}

void MainWindow::previewOptionChanged()
{
    if (!m_previewReady)
        return;
    readPreviewOptions();
    m_zoomBox->setEnabled(!m_app.preview.autoZoom);
    drawPreviewBackground();
}

void MainWindow::zoomBoxChanged()
{
    if (m_previewReady)
        m_app.preview.zoom = m_zoomBox->value() * 10;
    if (m_app.preview.autoZoom)
        applyAutoZoom();
    else
        sizePreviewArea(m_app.preview.zoom);
}

void MainWindow::applyAutoZoom()
{
    if (!m_app.preview.autoZoom)
        return;
    // The frame fills the width left beside the options panel, and no more height than the screen has.
    const QSize frame = previewFrame();
    const int zoom = fittingZoom(automaticZoom(m_previewHost->width() + 12, frame.width()), frame, previewRoom());
    m_app.preview.zoom = zoom;
    const bool ready = m_previewReady;
    m_previewReady = false;
    m_zoomBox->setValue(zoom / 10);
    m_previewReady = ready;
    sizePreviewArea(zoom);
}

void MainWindow::aspectRatioChanged()
{
    if (!m_previewReady)
        return;
    m_backMode->button(PreviewSettings::PresetRatio)->setChecked(true);
    previewOptionChanged();
}

void MainWindow::freeBarsChanged()
{
    m_ratioPanel->setText(freeRatioText(previewFrameHeight(m_app.input.frameSize), m_freeBars->value(), QLocale(),
                                       previewFrameWidth(m_app.input.frameSize)));
    if (!m_previewReady)
        return;
    m_backMode->button(PreviewSettings::FreeBars)->setChecked(true);
    previewOptionChanged();
}

void MainWindow::chooseColour(QPushButton *panel)
{
    const QColor start = colourOfBgr(panel->property("colour").value<uint32_t>());
    QColorDialog dialog(start);
    dialog.setWindowTitle(panel->toolTip());
    if (core::ui::execOver(dialog, this) == QDialog::Accepted && dialog.selectedColor().isValid())
        paintSwatch(panel, bgrOfColour(dialog.selectedColor()));
    previewOptionChanged();
}

void MainWindow::chooseBackgroundImage()
{
    const QString start = m_app.preview.backImageName.isEmpty() ? m_app.dialogFolder(QString()) : m_app.preview.backImageName;
    const QString name = m_app.files().openFile(this, m_app.message(core::Msg::LoadBackgroundImage), start,
                                                QStringLiteral("Image File (*.bmp;*.jpg)|*.bmp;*.jpg|All|*.*"), 1);
    if (name.isEmpty())
        return;
    if (auto read = readBackgroundImage(name); !read) {
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") + QDir::toNativeSeparators(name)
                            + QStringLiteral(": not a picture that can be read (") + read.error().why + QStringLiteral(")."));
        return;
    }
    m_backMode->button(PreviewSettings::Image)->setChecked(true);
    m_app.preview.backImageName = name;
    previewOptionChanged();
}

void MainWindow::togglePreviewOptions()
{
    const bool open = !m_previewOptions->isVisible();
    if (open) {
        m_previewReady = false;
        loadPreviewControls();
        m_previewReady = true;
    }
    m_previewOptions->setVisible(open);
    m_buttonPreviewOption->setChecked(open);
    if (m_app.preview.autoZoom)
        QTimer::singleShot(0, this, &MainWindow::applyAutoZoom);
    else
        sizePreviewArea(m_app.preview.zoom);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_app.preview.autoZoom && m_previewReady)
        applyAutoZoom();
    fitToFrame();
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    // Framing the window moves its inside by the title bar's height.
    fitToFrame();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Once the show is through, when the layouts have given every panel its size.
    QTimer::singleShot(0, this, &MainWindow::fitToFrame);
}

void MainWindow::fitToFrame()
{
    if (!m_previewReady || !isVisible() || isMaximized() || isFullScreen() || isMinimized())
        return;
    if (m_fittedShown && frameGeometry().size() - size() == m_fittedDecorations)
        return;
    if (m_app.preview.autoZoom)
        applyAutoZoom();
    else
        sizePreviewArea(m_app.preview.zoom);
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragOrigin = event->position().toPoint();
        m_dragClock.start();
    }
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging the background moves the window, only while the mouse keeps moving (2 s at most between steps).
    if ((event->buttons() & Qt::LeftButton) && m_dragClock.isValid() && m_dragClock.elapsed() < 2000) {
        move(pos() + event->position().toPoint() - m_dragOrigin);
        m_dragClock.start();
    }
    QMainWindow::mouseMoveEvent(event);
}

bool MainWindow::showPictures() const
{
    return m_showSubPict->isChecked();
}

void MainWindow::setShowPictures(bool on)
{
    m_showSubPict->setChecked(on);
}

void MainWindow::focusShowPictures()
{
    m_showSubPict->setFocus();
}

void MainWindow::showRunPaused()
{
    m_buttonPause->setText(m_app.message(core::Msg::Continue));
}

// --- run displays --------------------------------------------------------------------------------

void MainWindow::resetRunDisplays()
{
    m_progress->setValue(0);
    showReadProgress(m_app.batch.resumePos, m_app.batch.totalBytes);
    m_elapsed->setText(QStringLiteral("00:00:00"));
    m_remaining->setText(QStringLiteral("00:00:00"));
    m_time->setText(QStringLiteral("00:00:00,000"));
    m_time7->setText(QStringLiteral("00:00:00,000"));
}

int MainWindow::showReadProgress(int64_t read, int64_t total)
{
    const int64_t elapsed = m_app.runClock.isValid() ? m_app.runClock.elapsed() : 0;
    const ReadProgressText text = readProgressText(read, total, elapsed);
    m_progress->setValue(std::clamp(text.percent, 0, 100));
    // The position keeps room for its text at the end of the run, which the run's total tells.
    reservePositionRoom(readProgressText(total, total, 0).position);
    m_pos->setText(text.position);
    m_elapsed->setText(text.elapsed);
    if (!text.remaining.isEmpty())
        m_remaining->setText(text.remaining);
    return text.percent;
}

void MainWindow::showRunPercent(int percent)
{
    setWindowTitle(QStringLiteral("Glyfex - %1%").arg(percent));
}

void MainWindow::showProgramTitle()
{
    setWindowTitle(QStringLiteral("Glyfex ") + QLatin1String(core::kProgramVersion));
}

void MainWindow::setSubpictureCounts(int inFile, int inRun)
{
    m_nbSup->setText(QString::number(inFile));
    m_totalNbSup->setText(QString::number(inRun));
}

void MainWindow::setChapterCount(int cells)
{
    m_chapters->setText(QString::number(cells));
}

void MainWindow::setRunTimes(const QString &cellTime, const QString &clockTime)
{
    m_time->setText(cellTime);
    m_time7->setText(clockTime);
}

void MainWindow::applyFrameSize()
{
    const QSize frame = m_app.input.frameSize;
    const bool pal = frame.height() == 0 || frame.height() == 576;
    m_freeBars->setMaximum(pal ? 288 : 240);
    if (frame.width() > 0) {
        QString standard;
        if (frame.height() == 576)
            standard = QStringLiteral("PAL 25 fps ");
        else if (frame.height() == 480)
            standard = QStringLiteral("NTSC ~30 fps ");
        m_fps->setText(standard + QStringLiteral("(%1x%2)").arg(frame.width()).arg(frame.height()));
    }
    drawPreviewBackground();
    // The bitmaps of the full-frame tools fit the frame they are exported onto (an HD source's is a DVD
    // frame), and the adjustment dialog offers its heights: a title set, a video and their closing all
    // pass here.
    const int exportRows = m_app.exportFrameHeight();
    core::followFrameHeight(m_app.presets, exportRows);
    if (auto *adjust = qobject_cast<subtitles::ui::BitmapAdjustDialog *>(m_app.window(QStringLiteral("Form18"))))
        adjust->followFrameHeight(exportRows);
}

} // namespace glyfex::ripping::ui
