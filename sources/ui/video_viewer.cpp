// The video file viewer: the region and colour pick, playing, the run's controls and the analysis options around the frame view.
#include "sources/ui/video_viewer.h"

#include "core/ui/colour_question.h"
#include "core/ui/dialog_owner.h"
#include "core/ui/named_widget.h"
#include "sources/ui/video_frame_view.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace glyfex::sources::ui {

using core::ui::named;
using core::ui::runTimeText;
using picture::Rect;

namespace {

// The ordered rectangle of a drag: left <= right, top <= bottom.
Rect ordered(const Rect &r)
{
    return Rect{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

bool inside(const Rect &r, int x, int y)
{
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

QColor colourOf(const Rgb &c)
{
    return QColor(c.red, c.green, c.blue);
}

Rgb rgbOf(const QColor &c)
{
    return Rgb{c.red(), c.green(), c.blue()};
}

} // namespace

VideoViewer::VideoViewer(const core::MessageTable *messages, QWidget *parent)
    : QWidget(parent, core::ui::ownedWindowFlags()), m_messages(messages)
{
    setObjectName(QStringLiteral("Form21"));
    setWindowTitle(QStringLiteral("Video file viewer"));

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(4);
    m_panelVideo = named("PanelVideo", new QScrollArea(this));
    m_panelVideo->setAlignment(Qt::AlignCenter);
    m_imageVideo = new FrameView(*this, m_panelVideo);
    m_panelVideo->setWidget(m_imageVideo);
    m_imageVideo->hide();
    v->addWidget(m_panelVideo, 1);
    m_commandPanel = buildCommands();
    v->addWidget(m_commandPanel);
    m_lineOptions = buildLineOptions();
    m_colourOptions = buildColourOptions();
    auto *panels = new QHBoxLayout;
    panels->addWidget(m_lineOptions);
    panels->addWidget(m_colourOptions);
    panels->addStretch(1);
    v->addLayout(panels);
    m_lineOptions->hide();
    m_colourOptions->hide();

    for (int kind = 0; kind < 3; ++kind)
        for (int ch = 0; ch < 3; ++ch)
            m_lastTolerance[size_t(kind)][size_t(ch)] = m_tolerance[size_t(kind)][size_t(ch)]->value();
    syncOptions();
    applyRanges();
    showSwatches();
    showMode();
    keepRowsWhole();
    resize(minimumSize());
}

VideoViewer::~VideoViewer() = default;

QString VideoViewer::text(int message, const char *fallback) const
{
    const QString t = m_messages ? m_messages->text(message) : QString();
    return t.isEmpty() ? QString::fromLatin1(fallback) : t;
}

QSpinBox *VideoViewer::spin(const char *name, int min, int max, int value, QWidget *parent)
{
    auto *s = named(name, new QSpinBox(parent));
    s->setRange(min, max);
    s->setValue(value);
    return s;
}

QCheckBox *VideoViewer::check(const char *name, const QString &caption, bool checked, QWidget *parent)
{
    auto *c = named(name, new QCheckBox(caption, parent));
    c->setChecked(checked);
    return c;
}

QPushButton *VideoViewer::button(const char *name, const QString &caption, QWidget *parent)
{
    return core::ui::namedButton(name, caption, parent);
}

QLabel *VideoViewer::swatch(const char *name, QWidget *parent)
{
    auto *l = named(name, new QLabel(parent));
    l->setFixedSize(22, 18);
    l->setAutoFillBackground(true);
    l->setFrameShape(QFrame::Box);
    return l;
}

QWidget *VideoViewer::buildCommands()
{
    auto *panel = new QWidget(this);
    auto *v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(3);

    auto *row1 = new QHBoxLayout;
    m_process = button("bbProcess", QStringLiteral("Run"), panel);
    m_process->setEnabled(false);
    m_stopVideo = button("bbStopVideo", QStringLiteral("Stop"), panel);
    m_stopVideo->hide();
    m_play = button("bbPlay", QStringLiteral("Play"), panel);
    m_pause = button("bbPause", QStringLiteral("Pause"), panel);
    m_pause->hide();
    m_rewind = button("bbRewind", QStringLiteral("Rew."), panel);
    m_prevSub = button("bbPrevSub", QStringLiteral("Prev."), panel);
    m_prevSub->setEnabled(false);
    m_prevSub->setToolTip(QStringLiteral("Remove the last subtitle and go back to its start"));
    m_closeVideo = button("bbCloseVideo", QStringLiteral("Close"), panel);
    m_closeVideo->setEnabled(false);
    m_position = named("tbPosition", new QSlider(Qt::Horizontal, panel));
    m_position->setRange(0, 0);
    m_position->setMinimumWidth(120);
    m_frameNo = spin("seFrameNo", 0, 0, 0, panel);
    m_frameNo->setMinimumWidth(80);
    for (QWidget *w : {static_cast<QWidget *>(m_process), static_cast<QWidget *>(m_stopVideo),
                       static_cast<QWidget *>(m_play), static_cast<QWidget *>(m_pause),
                       static_cast<QWidget *>(m_rewind), static_cast<QWidget *>(m_prevSub),
                       static_cast<QWidget *>(m_closeVideo)})
        row1->addWidget(w);
    row1->addWidget(m_position, 1);
    row1->addWidget(m_frameNo);
    v->addLayout(row1);

    auto *row2 = new QHBoxLayout;
    auto labelled = [panel, row2](const QString &caption, QWidget *w) {
        auto *l = named(QLatin1String("l") + w->objectName().mid(2), new QLabel(caption, panel));
        l->setBuddy(w);
        row2->addWidget(l);
        row2->addWidget(w);
    };
    m_diffTol = spin("seDiffTol", 0, 1000, 50, panel);
    labelled(QStringLiteral("Same sub tolerance"), m_diffTol);
    m_minPixels = spin("seMinPixels", 1, 10000, 100, panel);
    labelled(QStringLiteral("Min. pixels"), m_minPixels);
    m_skipFirst = spin("seSkipFirst", 0, 9, 3, panel);
    labelled(QStringLiteral("Skip"), m_skipFirst);
    m_minDuration = spin("seMinDuration", 1, 100, 10, panel);
    labelled(QStringLiteral("Min. duration"), m_minDuration);
    m_updateEvery = spin("seUpdateEvery", 1, 100, 30, panel);
    labelled(QStringLiteral("Update every"), m_updateEvery);
    m_save = check("cbSave", QStringLiteral("Save"), false, panel);
    m_save->setToolTip(QStringLiteral("Save recognized bitmaps for subtitle removal"));
    row2->addWidget(m_save);
    m_mode = runTimeText(named("lMode", new QLabel(panel)));
    m_mode->setMinimumWidth(80);
    row2->addWidget(m_mode);
    row2->addStretch(1);
    v->addLayout(row2);

    auto *row3 = new QHBoxLayout;
    row3->addWidget(named("lText", new QLabel(QStringLiteral("Text"), panel)));
    m_textColourPanel = swatch("pTextColor", panel);
    m_textColourPanel->setToolTip(QStringLiteral("Text color: click to choose"));
    row3->addWidget(m_textColourPanel);
    m_outlineLabel = named("lOutline", new QLabel(QStringLiteral("Outline"), panel));
    row3->addWidget(m_outlineLabel);
    m_outlineColourPanel = swatch("pOutlineColor", panel);
    m_outlineColourPanel->setToolTip(QStringLiteral("Outline color: click to choose"));
    row3->addWidget(m_outlineColourPanel);
    row3->addWidget(named("lTextLineWidth", new QLabel(QStringLiteral("Line width"), panel)));
    m_textLineWidth = spin("seTextLineWidth", 1, 10, 1, panel);
    row3->addWidget(m_textLineWidth);
    m_outlineLabel2 = named("lOutline2", new QLabel(QStringLiteral("Outline width"), panel));
    row3->addWidget(m_outlineLabel2);
    m_outlineWidth = spin("seOutlineWidth", 1, 10, 1, panel);
    row3->addWidget(m_outlineWidth);
    m_useOutline = check("cbUseOutline", QStringLiteral("Use outline"), false, panel);
    m_fillOpen = check("cbFillOpen", QStringLiteral("Fill open"), true, panel);
    m_fillLarge = check("cbFillLarge", QStringLiteral("Fill large"), false, panel);
    m_fatten = check("cbFatten", QStringLiteral("Fatten"), false, panel);
    for (QCheckBox *c : {m_useOutline, m_fillOpen, m_fillLarge, m_fatten})
        row3->addWidget(c);
    row3->addStretch(1);
    m_lineOptionsButton = button("bbLineOptions", QStringLiteral("Lines..."), panel);
    m_lineOptionsButton->setToolTip(QStringLiteral("Inter-line Options"));
    m_colourOptionsButton = button("bbColorOptions", QStringLiteral("Colors..."), panel);
    m_colourOptionsButton->setToolTip(QStringLiteral("Advanced Color Options"));
    row3->addWidget(m_lineOptionsButton);
    row3->addWidget(m_colourOptionsButton);
    v->addLayout(row3);
    m_outlineLabel->setEnabled(false);
    m_outlineLabel2->setEnabled(false);
    m_textColourPanel->installEventFilter(this);
    m_outlineColourPanel->installEventFilter(this);

    connect(m_process, &QPushButton::clicked, this, &VideoViewer::runRequested);
    connect(m_stopVideo, &QPushButton::clicked, this, [this] {
        stop();
        Q_EMIT stopRequested();
    });
    connect(m_play, &QPushButton::clicked, this, &VideoViewer::play);
    connect(m_pause, &QPushButton::clicked, this, &VideoViewer::pause);
    connect(m_rewind, &QPushButton::clicked, this, &VideoViewer::rewind);
    connect(m_prevSub, &QPushButton::clicked, this, &VideoViewer::prevRequested);
    connect(m_closeVideo, &QPushButton::clicked, this, &VideoViewer::closeVideo);
    connect(m_position, &QSlider::valueChanged, this, &VideoViewer::positionChanged);
    connect(m_frameNo, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_playing) {
            m_pause->hide();
            m_play->show();
        }
        m_position->setValue(value);
    });
    connect(m_minDuration, &QSpinBox::valueChanged, this, &VideoViewer::durationChanged);
    connect(m_updateEvery, &QSpinBox::valueChanged, this, &VideoViewer::durationChanged);
    connect(m_minPixels, &QSpinBox::valueChanged, this, [this] {
        syncOptions();
        refreshFrame();
    });
    for (QSpinBox *s : {m_textLineWidth, m_outlineWidth}) {
        connect(s, &QSpinBox::valueChanged, this, [this] {
            syncOptions();
            refreshFrame();
        });
    }
    connect(m_useOutline, &QCheckBox::toggled, this, [this](bool on) {
        m_outlineLabel->setEnabled(on);
        m_outlineLabel2->setEnabled(on);
        syncOptions();
        refreshFrame();
    });
    for (QCheckBox *c : {m_fillOpen, m_fillLarge}) {
        connect(c, &QCheckBox::toggled, this, [this] {
            syncOptions();
            refreshFrame();
        });
    }
    connect(m_fatten, &QCheckBox::toggled, this, [this](bool on) {
        if (m_fattenLabel)
            m_fattenLabel->setEnabled(on);
        syncOptions();
        refreshFrame();
        showMode();
    });
    connect(m_lineOptionsButton, &QPushButton::clicked, this, [this] { toggleOptionPanel(m_lineOptions); });
    connect(m_colourOptionsButton, &QPushButton::clicked, this, [this] { toggleOptionPanel(m_colourOptions); });
    return panel;
}

QGroupBox *VideoViewer::buildLineOptions()
{
    auto *box = named("pLineOptions", new QGroupBox(QStringLiteral("Inter-line Options"), this));
    auto *g = new QGridLayout(box);
    m_drawLines = check("cbDrawLines", QStringLiteral("Draw lines"), false, box);
    m_fillSides = check("cbFillSides", QStringLiteral("Fill sides"), false, box);
    m_fillSides->setEnabled(false);
    m_lineCount = spin("seLineCount", 1, 10, 2, box);
    m_topOffset = spin("seTopOffset", 0, 50, 5, box);
    m_lineHeight = spin("seLineHeight", 2, 44, 30, box);
    m_space = spin("seSpace", 2, 100, 5, box);
    m_align = named("rgAlign", new QGroupBox(QStringLiteral("Align"), box));
    m_align->setProperty(core::ui::RadioGroupProperty, true);
    auto *alignLayout = new QHBoxLayout(m_align);
    m_alignGroup = new QButtonGroup(m_align);
    const char *aligns[] = {"Left", "Center", "Right"};
    for (int i = 0; i < 3; ++i) {
        auto *r = new QRadioButton(QString::fromLatin1(aligns[i]), m_align);
        m_alignGroup->addButton(r, i);
        alignLayout->addWidget(r);
    }
    m_alignGroup->button(1)->setChecked(true);
    m_align->setEnabled(false);
    g->addWidget(m_drawLines, 0, 0, 1, 2);
    g->addWidget(named("lLineCount", new QLabel(QStringLiteral("Lines"), box)), 1, 0);
    g->addWidget(m_lineCount, 1, 1);
    g->addWidget(named("lTopOffset", new QLabel(QStringLiteral("Top offset"), box)), 1, 2);
    g->addWidget(m_topOffset, 1, 3);
    g->addWidget(named("lLineHeight", new QLabel(QStringLiteral("Line height"), box)), 2, 0);
    g->addWidget(m_lineHeight, 2, 1);
    g->addWidget(named("lSpace", new QLabel(QStringLiteral("Space"), box)), 2, 2);
    g->addWidget(m_space, 2, 3);
    g->addWidget(m_fillSides, 0, 2, 1, 2);
    g->addWidget(m_align, 3, 0, 1, 4);
    for (QSpinBox *s : {m_lineCount, m_topOffset, m_lineHeight, m_space})
        connect(s, &QSpinBox::valueChanged, this, &VideoViewer::lineOptionsChanged);
    for (QCheckBox *c : {m_drawLines, m_fillSides})
        connect(c, &QCheckBox::toggled, this, &VideoViewer::lineOptionsChanged);
    connect(m_alignGroup, &QButtonGroup::idClicked, this, &VideoViewer::lineOptionsChanged);
    return box;
}

QGroupBox *VideoViewer::buildColourOptions()
{
    auto *box = named("pColorOptions", new QGroupBox(QStringLiteral("Advanced Color Options"), this));
    auto *g = new QGridLayout(box);
    const char *names[3][3] = {{"seTextRed", "seTextGreen", "seTextBlue"},
                               {"seOutlineRed", "seOutlineGreen", "seOutlineBlue"},
                               {"seFattenRed", "seFattenGreen", "seFattenBlue"}};
    const char *allNames[3] = {"cbAllText", "cbAllOutline", "cbAllFatten"};
    const char *kinds[3] = {"Text", "Outline", "Fatten"};
    const char *kindNames[3] = {"lText2", "lOutline3", "lFatten"};
    const char *channels[3] = {"Red", "Green", "Blue"};
    const char *channelNames[3] = {"lRed", "lGreen", "lBlue"};
    for (int ch = 0; ch < 3; ++ch)
        g->addWidget(named(channelNames[ch], new QLabel(QString::fromLatin1(channels[ch]), box)), 0, ch + 1);
    g->addWidget(named("lMin", new QLabel(QStringLiteral("Min."), box)), 0, 5);
    g->addWidget(named("lMax", new QLabel(QStringLiteral("Max."), box)), 0, 6);
    for (int kind = 0; kind < 3; ++kind) {
        QLabel *label = named(kindNames[kind], new QLabel(QString::fromLatin1(kinds[kind]), box));
        if (kind == Fatten)
            m_fattenLabel = label;
        g->addWidget(label, kind + 1, 0);
        const int min = kind == Fatten ? -255 : 0;
        const int value = kind == Text ? 50 : kind == Outline ? 100 : 10;
        for (int ch = 0; ch < 3; ++ch) {
            QSpinBox *s = spin(names[kind][ch], min, 255, value, box);
            m_tolerance[size_t(kind)][size_t(ch)] = s;
            g->addWidget(s, kind + 1, ch + 1);
            connect(s, &QSpinBox::valueChanged, this, [this, kind, ch] { toleranceChanged(Kind(kind), ch); });
        }
        m_changeAll[size_t(kind)] = check(allNames[kind], QStringLiteral("Change all"), true, box);
        g->addWidget(m_changeAll[size_t(kind)], kind + 1, 4);
    }
    m_textMin = swatch("pTextMinColor", box);
    m_textMax = swatch("pTextMaxColor", box);
    m_outlineMin = swatch("pOutlineMinColor", box);
    m_outlineMax = swatch("pOutlineMaxColor", box);
    m_fattenMin = swatch("pFattenMinColor", box);
    m_fattenMax = swatch("pFattenMaxColor", box);
    g->addWidget(m_textMin, 1, 5);
    g->addWidget(m_textMax, 1, 6);
    g->addWidget(m_outlineMin, 2, 5);
    g->addWidget(m_outlineMax, 2, 6);
    g->addWidget(m_fattenMin, 3, 5);
    g->addWidget(m_fattenMax, 3, 6);
    m_fattenLabel->setEnabled(false);
    return box;
}

// --- opening and closing -------------------------------------------------------------------------

core::Result<void> VideoViewer::openFile(const QString &file, core::PassHost *host)
{
    m_videoOpen = false;
    m_videoFileName = file;
    m_colourPicked = false;
    m_playing = false;
    // The same name again is a new open, not "nothing to do".
    (void)m_player.setFileName(QString());
    auto opened = m_player.setFileName(file, host);
    if (!opened)
        return opened.error();
    if (!m_player.opened())
        return core::makeError(QStringLiteral("Error opening video file."), file, QStringLiteral("the player did not open it"));
    return {};
}

core::Result<void> VideoViewer::startVideo(int fpsX1000)
{
    const int last = m_player.frameCount() - 1;
    if (!m_player.opened() || last < 1) {
        // The position shown as a percentage of the last frame number needs a video of two frames.
        (void)m_player.setFileName(QString());
        return core::makeError(QStringLiteral("Error opening video file."), m_videoFileName,
                               last == 0 ? QStringLiteral("the video has only one frame")
                                         : QStringLiteral("the video has no frame"));
    }
    m_fpsX1000 = fpsX1000;
    auto area = m_analysis.setArea(defaultVideoArea(m_player.width(), m_player.height()), m_player.width(),
                                   m_player.height());
    if (!area) {
        (void)m_player.setFileName(QString());
        return area.error();
    }
    m_region = m_analysis.area();
    m_player.setPosition(1);
    BgrFrame first;
    if (auto drawn = m_player.drawFrame(first); !drawn) {
        // A frame lost from a damaged file draws nothing: the frame starts black, and the others still show.
        // A file whose first two frames both fail is taken for one that cannot be decoded at all.
        m_player.setPosition(0);
        if (!m_player.drawFrame(first)) {
            (void)m_player.setFileName(QString());
            return drawn.error();
        }
        m_player.setPosition(1);
        first.bytes.assign(first.bytes.size(), 0);
    }
    m_frame = std::move(first);
    m_videoOpen = true;
    m_stopped = false;
    {
        const QSignalBlocker b1(m_position);
        const QSignalBlocker b2(m_frameNo);
        m_position->setRange(0, last);
        m_frameNo->setRange(0, last);
        m_position->setValue(1);
        m_frameNo->setValue(1);
    }
    m_imageVideo->setFrame(m_frame);
    m_imageVideo->show();
    m_process->setEnabled(false);
    m_closeVideo->setEnabled(true);
    m_topOffset->setMaximum(std::max(0, m_region.bottom - m_region.top - 1));
    fitWindow();
    // Once the panel has its size on the screen.
    QMetaObject::invokeMethod(this, &VideoViewer::scrollToRegion, Qt::QueuedConnection);
    positionChanged(1);
    return {};
}

void VideoViewer::closeVideo()
{
    if (m_running) {
        // The run still reads the player: it stops at its next frame and the video closes after it.
        m_stopped = true;
        m_closeAfterRun = true;
        hide();
        return;
    }
    m_closeAfterRun = false;
    m_imageVideo->hide();
    m_stopped = true;
    m_playing = false;
    const bool wasOpen = m_videoOpen;
    if (m_videoOpen)
        (void)m_player.setFileName(QString());
    m_videoOpen = false;
    m_process->setEnabled(false);
    m_closeVideo->setEnabled(false);
    hide();
    if (wasOpen)
        Q_EMIT videoClosed();
}

void VideoViewer::closeEvent(QCloseEvent *event)
{
    if (m_videoOpen)
        closeVideo();
    QWidget::closeEvent(event);
}

void VideoViewer::fitWindow()
{
    // The frame at 1:1; a frame larger than the screen scrolls inside the panel.
    const QSize frame(m_player.width(), m_player.height());
    const int frameWidth = m_panelVideo->frameWidth() * 2;
    QSize wanted(std::max(frame.width() + frameWidth + 12, m_commandPanel->sizeHint().width() + 8),
                 frame.height() + frameWidth + m_commandPanel->sizeHint().height() + 28);
    if (m_lineOptions->isVisible() || m_colourOptions->isVisible())
        wanted.rheight() += std::max(m_lineOptions->sizeHint().height(), m_colourOptions->sizeHint().height());
    QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s) {
        const QSize room = s->availableSize() - (frameGeometry().size() - geometry().size());
        wanted = wanted.boundedTo(room);
    }
    resize(wanted.expandedTo(minimumSize()));
}

void VideoViewer::keepRowsWhole()
{
    // The window is never narrower or lower than its control rows: a smaller one would cut their
    // captions, the more so in a language with longer words than English.
    const bool panelShown = !m_lineOptions->isHidden() || !m_colourOptions->isHidden();
    setMinimumSize(layout()->totalMinimumSize().expandedTo(QSize(555, panelShown ? 246 : 137)));
}

bool VideoViewer::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // The layout has taken new captions, a new font or a panel in or out by now.
    if (event->type() == QEvent::LayoutRequest)
        keepRowsWhole();
    return handled;
}

void VideoViewer::scrollToRegion()
{
    // A frame larger than the panel scrolls: the region, where the subtitles are, comes into view.
    if (!m_videoOpen)
        return;
    const int halfWidth = (m_region.right - m_region.left) / 2;
    const int halfHeight = (m_region.bottom - m_region.top) / 2;
    m_panelVideo->ensureVisible(m_region.left + halfWidth, m_region.top + halfHeight, halfWidth + 2, halfHeight + 2);
}

void VideoViewer::toggleOptionPanel(QGroupBox *panel)
{
    panel->setVisible(!panel->isVisible());
    keepRowsWhole();
    if (m_videoOpen)
        fitWindow();
}

// --- frames --------------------------------------------------------------------------------------

int VideoViewer::position() const
{
    return m_position->value();
}

void VideoViewer::setPosition(int position)
{
    if (m_position->value() == position)
        positionChanged(position);
    else
        m_position->setValue(position);
}

int VideoViewer::lastFrame() const
{
    return m_position->maximum();
}

const QImage &VideoViewer::shownImage() const
{
    return m_imageVideo->image();
}

void VideoViewer::positionChanged(int position)
{
    if (!m_videoOpen)
        return;
    {
        const QSignalBlocker block(m_frameNo);
        m_frameNo->setValue(position);
    }
    m_player.setPosition(position);
    BgrFrame drawn;
    const bool ok = bool(m_player.drawFrame(drawn));
    if (ok)
        m_frame = std::move(drawn);
    bool analysed = false;
    if (ok && m_colourPicked) {
        syncOptions();
        m_analysis.analyzeFrame(m_frame, AnalysisMode::Full);
        analysed = true;
    }
    showMode();
    m_imageVideo->setFrame(m_frame);
    drawFocus();
    m_position->setToolTip(QStringLiteral("Frame number: %1").arg(position));
    Q_EMIT frameShown(position, lastFrame(), analysed);
    if (position >= lastFrame()) {
        if (m_playing)
            pause();
        if (!m_stopped)
            stop();
    }
}

void VideoViewer::showRunFrame(int pos, const BgrFrame &frame)
{
    {
        const QSignalBlocker b1(m_position);
        const QSignalBlocker b2(m_frameNo);
        m_position->setValue(pos);
        m_frameNo->setValue(pos);
    }
    m_position->setToolTip(QStringLiteral("Frame number: %1").arg(pos));
    m_imageVideo->setFrame(frame);
    drawFocus();
    showMode();
    Q_EMIT frameShown(pos, lastFrame(), true);
}

void VideoViewer::showFrame(const BgrFrame &frame)
{
    m_imageVideo->setFrame(frame);
    drawFocus();
}

void VideoViewer::refreshFrame()
{
    if (m_videoOpen && !m_running)
        positionChanged(position());
}

void VideoViewer::drawFocus()
{
    m_imageVideo->setFocusRect(m_dragging ? ordered(m_dragRect) : m_region);
}

// --- commands ------------------------------------------------------------------------------------

void VideoViewer::play()
{
    m_process->setEnabled(false);
    m_play->hide();
    m_pause->show();
    m_playing = true;
    while (m_playing && m_videoOpen && position() < lastFrame()) {
        setPosition(position() + 1);
        QCoreApplication::processEvents();
        if (QCoreApplication::closingDown())
            break;
    }
    // Started on the last frame, no frame was shown to end the play: without this, Pause would stay
    // up and Run disabled with nothing playing.
    if (m_playing && m_videoOpen && position() >= lastFrame())
        pause();
}

void VideoViewer::pause()
{
    m_process->setEnabled(m_colourPicked);
    m_pause->hide();
    m_play->show();
    m_playing = false;
    refreshFrame();
}

void VideoViewer::rewind()
{
    m_process->setEnabled(m_colourPicked);
    m_pause->hide();
    m_play->show();
    setPosition(0);
}

void VideoViewer::stop()
{
    m_stopVideo->hide();
    m_process->show();
    m_stopped = true;
}

void VideoViewer::setRunning(bool running)
{
    m_running = running;
    for (QWidget *w : {static_cast<QWidget *>(m_save), static_cast<QWidget *>(m_rewind),
                       static_cast<QWidget *>(m_play), static_cast<QWidget *>(m_pause),
                       static_cast<QWidget *>(m_prevSub), static_cast<QWidget *>(m_position),
                       static_cast<QWidget *>(m_frameNo), static_cast<QWidget *>(m_closeVideo)})
        w->setEnabled(!running);
    m_stopVideo->setVisible(running);
    m_process->setVisible(!running);
    if (running) {
        m_stopped = false;
        m_playing = false;
        m_pause->hide();
        m_play->show();
    } else if (m_closeAfterRun) {
        closeVideo();
    }
}

void VideoViewer::setPrevEnabled(bool enabled)
{
    m_prevSub->setEnabled(enabled);
}

bool VideoViewer::saveChecked() const
{
    return m_save->isChecked();
}

VideoRunOptions VideoViewer::runOptions() const
{
    VideoRunOptions o;
    o.minPixels = m_minPixels->value();
    o.diffTolerance = m_diffTol->value();
    o.skipFirst = m_skipFirst->value();
    o.minDuration = m_minDuration->value();
    o.updateEvery = m_updateEvery->value();
    return o;
}

void VideoViewer::durationChanged()
{
    m_skipFirst->setMaximum(m_minDuration->value() - 1);
}

// --- region and colour ---------------------------------------------------------------------------

void VideoViewer::regionPressed(int x, int y)
{
    if (!m_videoOpen)
        return;
    x = std::clamp(x, 0, m_frame.width - 1);
    y = std::clamp(y, 0, m_frame.height - 1);
    m_dragRect = Rect{x, y, x, y};
    m_dragging = true;
    drawFocus();
}

void VideoViewer::regionMoved(int x, int y)
{
    if (!m_videoOpen)
        return;
    if (m_dragging) {
        m_imageVideo->setCursor(Qt::ArrowCursor);
        m_dragRect.right = std::clamp(x, 0, m_frame.width - 1);
        m_dragRect.bottom = std::clamp(y, 0, m_frame.height - 1);
        drawFocus();
        return;
    }
    m_imageVideo->setCursor(inside(m_region, x, y) ? Qt::CrossCursor : Qt::ArrowCursor);
}

void VideoViewer::regionReleased(int x, int y)
{
    if (!m_videoOpen || !m_dragging)
        return;
    m_dragRect.right = x;
    m_dragRect.bottom = y;
    m_dragging = false;
    (void)setRegion(m_dragRect);
    drawFocus();
}

bool VideoViewer::setRegion(const Rect &dragged)
{
    if (!m_videoOpen)
        return false;
    Rect r = dragged;
    r.left = std::clamp(r.left, 0, m_frame.width - 1);
    r.right = std::clamp(r.right, 0, m_frame.width - 1);
    r.top = std::clamp(r.top, 0, m_frame.height - 1);
    r.bottom = std::clamp(r.bottom, 0, m_frame.height - 1);
    r = ordered(r);
    // A click without a drag would leave a region of one row or column, where no subtitle fits: the
    // region stays as it was.
    if (r.left == r.right || r.top == r.bottom) {
        drawFocus();
        return false;
    }
    if (!m_analysis.setArea(r, m_frame.width, m_frame.height)) {
        drawFocus();
        return false;
    }
    m_region = m_analysis.area();
    m_topOffset->setMaximum(std::max(0, m_region.bottom - m_region.top - 1));
    refreshFrame();
    drawFocus();
    return true;
}

void VideoViewer::clickFrame(int x, int y)
{
    if (!m_videoOpen)
        return;
    m_colourPicked = true;
    if (!inside(m_region, x, y) || x >= m_frame.width || y >= m_frame.height) {
        showMode();
        return;
    }
    const Rgb tolerance{m_tolerance[Text][0]->value(), m_tolerance[Text][1]->value(), m_tolerance[Text][2]->value()};
    const ColourPick pick = pickColour(m_frame, x, y, tolerance);
    m_textColour = pick.textColour;
    m_outlineColour = pick.outlineColour;
    m_process->setEnabled(true);
    {
        // The width's own handler would show the frame once more before the colours are in place.
        const QSignalBlocker block(m_textLineWidth);
        m_textLineWidth->setValue(std::clamp(pick.strokeWidth, 1, 10));
    }
    applyRanges();
    showSwatches();
    refreshFrame();
}

// --- options -------------------------------------------------------------------------------------

void VideoViewer::syncOptions()
{
    FrameAnalysisOptions &o = m_analysis.options;
    o.textLineWidth = m_textLineWidth->value();
    o.outlineWidth = m_outlineWidth->value();
    o.minPixels = m_minPixels->value();
    o.useOutline = m_useOutline->isChecked();
    o.fillOpen = m_fillOpen->isChecked();
    o.fillLarge = m_fillLarge->isChecked();
    o.fatten = m_fatten->isChecked();
    o.drawLines = m_drawLines->isChecked();
    o.fillSides = m_fillSides->isEnabled() && m_fillSides->isChecked();
    o.lineCount = m_lineCount->value();
    o.topOffset = m_topOffset->value();
    o.lineHeight = m_lineHeight->value();
    o.space = m_space->value();
    o.align = TextAlign(std::clamp(m_alignGroup->checkedId(), 0, 2));
    o.outlineColour = m_outlineColour;
}

void VideoViewer::toleranceChanged(Kind kind, int channel)
{
    const size_t k = size_t(kind);
    bool &propagate = m_propagate[k];
    if (m_changeAll[k]->isChecked() && propagate) {
        // "Change all": the other two channels move by as much as this one did.
        propagate = false;
        const int delta = m_tolerance[k][size_t(channel)]->value() - m_lastTolerance[k][size_t(channel)];
        for (int other = 0; other < 3; ++other) {
            if (other != channel)
                m_tolerance[k][size_t(other)]->setValue(m_tolerance[k][size_t(other)]->value() + delta);
        }
        propagate = true;
    }
    m_lastTolerance[k][size_t(channel)] = m_tolerance[k][size_t(channel)]->value();
    applyRanges();
    if (propagate) {
        showSwatches();
        if (m_colourPicked)
            refreshFrame();
    }
}

void VideoViewer::applyRanges()
{
    auto tolerance = [this](Kind kind) {
        const auto &t = m_tolerance[size_t(kind)];
        return Rgb{t[0]->value(), t[1]->value(), t[2]->value()};
    };
    m_analysis.textRange = rangeAround(m_textColour, tolerance(Text));
    m_analysis.fattenRange = fattenRangeOf(m_analysis.textRange, tolerance(Fatten));
    m_analysis.outlineRange = rangeAround(m_outlineColour, tolerance(Outline));
    m_analysis.options.outlineColour = m_outlineColour;
}

void VideoViewer::setPanelColour(QWidget *panel, const Rgb &colour)
{
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, QColor(std::clamp(colour.red, 0, 255), std::clamp(colour.green, 0, 255),
                                        std::clamp(colour.blue, 0, 255)));
    panel->setPalette(p);
}

void VideoViewer::showSwatches()
{
    setPanelColour(m_textColourPanel, m_textColour);
    setPanelColour(m_outlineColourPanel, m_outlineColour);
    setPanelColour(m_textMin, m_analysis.textRange.min);
    setPanelColour(m_textMax, m_analysis.textRange.max);
    setPanelColour(m_fattenMin, m_analysis.fattenRange.min);
    setPanelColour(m_fattenMax, m_analysis.fattenRange.max);
    setPanelColour(m_outlineMin, m_analysis.outlineRange.min);
    setPanelColour(m_outlineMax, m_analysis.outlineRange.max);
}

void VideoViewer::showMode(int message, QColor colour)
{
    static const char *fallback[] = {"full", "accumulate", "compare", "none"};
    m_mode->setText(text(message, fallback[message - core::Msg::ModeFull]));
    QPalette p = m_mode->palette();
    p.setColor(QPalette::WindowText, colour);
    m_mode->setPalette(p);
}

void VideoViewer::showMode()
{
    if (!m_colourPicked) {
        showMode(core::Msg::ModeNone, QColor(0x80, 0x80, 0x80));
        return;
    }
    switch (m_running ? m_analysis.shownMode() : AnalysisMode::Full) {
    case AnalysisMode::Accumulate:
    case AnalysisMode::Update:
        showMode(core::Msg::ModeAccumulate, QColor(255, 255, 0));
        break;
    case AnalysisMode::Compare:
        showMode(core::Msg::ModeCompare, QColor(0, 128, 0));
        break;
    case AnalysisMode::Full:
        showMode(core::Msg::ModeFull, QColor(255, 0, 0));
        break;
    }
}

void VideoViewer::chooseColour(Kind kind)
{
    Rgb &colour = kind == Outline ? m_outlineColour : m_textColour;
    const std::optional<QColor> chosen = core::ui::askColourWithDialog(this, colourOf(colour));
    if (!chosen)
        return;
    colour = rgbOf(*chosen);
    applyRanges();
    showSwatches();
    if (m_colourPicked)
        refreshFrame();
}

void VideoViewer::lineOptionsChanged()
{
    m_fillSides->setEnabled(m_drawLines->isChecked());
    m_align->setEnabled(m_fillSides->isEnabled() && m_fillSides->isChecked());
    syncOptions();
    refreshFrame();
}

bool VideoViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_textColourPanel) {
            chooseColour(Text);
            return true;
        }
        if (watched == m_outlineColourPanel) {
            chooseColour(Outline);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace glyfex::sources::ui
