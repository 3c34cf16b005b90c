// The Subtitles window: list, count and format labels, frame rate, save and clear commands, the conversion panel.
#include "subtitles/ui/subtitles_window.h"

#include "core/messages.h"
#include "core/save_name.h"
#include "core/text_codec.h"
#include "core/time_code.h"
#include "app/app.h"
#include "core/ui/dialog_owner.h"
#include "core/ui/named_widget.h"
#include "ripping/ui/main_window.h"
#include "subtitles/charsets.h"
#include "ripping/spu_dispatch.h"
#include "subtitles/code_pages.h"
#include "subtitles/subtitle_loader.h"
#include "subtitles/time_forms.h"
#include "subtitles/ui/subtitle_line_delegate.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace glyfex::subtitles::ui {

namespace {

constexpr int kWidth = 690;
constexpr int kHeight = 188;
constexpr int kPanelMinimumHeight = 190; // while the conversion panel is shown
const QColor kLoadColour(0xFF, 0x00, 0x00); // red: the panel reads a file again
const QColor kSaveColour(0x00, 0x00, 0xFF); // blue: the panel saves as ANSI
const QColor kAnsiColour(0x00, 0x80, 0x00);
const QColor kUnicodeColour(0xFF, 0x00, 0x00);

// The open dialog's filter; the file-type index counts from 1 in this order.
const char kOpenFilter[] =
    "Dks (*.dks)|*.dks|MacSUB (*.scr)|*.scr|MicroDVD (*.sub; *.txt)|*.sub;*.txt|Mpl & Mpl2 (*.mpl)|*.mpl|"
    "Phoenix Japanimation (*.pjs)|*.pjs|PowerDivX (*.psb)|*.psb|Glyfex (*.gxt)|*.gxt|SubViewer 2 (*.sub)|*.sub|"
    "TMPlayer (*.txt)|*.txt|TurboTitler (*.tts)|*.tts|ViPlay (*.vsf)|*.vsf|ZeroG (*.zeg)|*.zeg|All (*.*)|*.*";

QToolButton *commandButton(const char *name, const QString &text, const QString &hint, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(false);
    return b;
}

void colourPanel(QWidget *panel, const QColor &colour)
{
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::WindowText, Qt::white);
    panel->setPalette(p);
    panel->setAutoFillBackground(true);
}

} // namespace

SubtitlesWindow::SubtitlesWindow(app::App &app, QWidget *parent)
    : QMainWindow(parent), m_app(app), m_store(app.subtitles), m_renderer(app.formatOptions)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Subtitles"));
    // The window stays on top and belongs to the main window, as the matrix editor does. While it is
    // shown, the main window's dialogs are kept over it (core::ui::keptOver): as mere siblings of this
    // window, a click on it would put it over them.
    setWindowFlags(core::ui::ownedWindowFlags() | Qt::WindowStaysOnTopHint);
    setAcceptDrops(true);
    resize(kWidth, kHeight);

    buildMenus();
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildConversionPanel());
    layout->addWidget(buildCommandPanel());

    m_list = new QListWidget(central);
    m_list->setObjectName(QStringLiteral("ListBoxSubtitle"));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette listPalette = m_list->palette();
    listPalette.setColor(QPalette::Base, Qt::black);
    listPalette.setColor(QPalette::Text, Qt::white);
    m_list->setPalette(listPalette);
    m_list->setItemDelegate(new SubtitleLineDelegate(
        [this] { return m_format->isChecked() && outputFormat() == OutputFormat::Glyfex; }, m_list));
    layout->addWidget(m_list, 1);
    setCentralWidget(central);

    // The list font: one that covers many scripts; the font machinery falls back for the rest.
    applyListFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    m_fontAsker = [](QWidget *parent, const QFont &current) -> std::optional<QFont> {
        QFontDialog dialog(current);
        if (core::ui::execOver(dialog, parent) != QDialog::Accepted)
            return std::nullopt;
        return dialog.selectedFont();
    };

    m_conversion->hide();
    setSubtitleFileName(m_fileName);
    updateCount();
    updateUnicodeLabel();
}

SubtitlesWindow::~SubtitlesWindow() = default;

// --- building -----------------------------------------------------------------------------------

void SubtitlesWindow::buildMenus()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    m_fileMenu->setObjectName(QStringLiteral("File1"));
    m_saveAsAction = m_fileMenu->addAction(QStringLiteral("&Save As"), this, &SubtitlesWindow::saveAs);
    m_saveAsAction->setObjectName(QStringLiteral("Saveas1"));
    m_openAction = m_fileMenu->addAction(QStringLiteral("&Open"), this, &SubtitlesWindow::openFile);
    m_openAction->setObjectName(QStringLiteral("OpenGlyfexFormat1"));
    m_openAction->setToolTip(QStringLiteral("Opens Glyfex/MicroDVD file"));
    m_openAction->setEnabled(false); // until subtitle files can be read
    QAction *clear = m_fileMenu->addAction(QStringLiteral("&Clear"), this, [this] { clearSubtitles(); });
    clear->setObjectName(QStringLiteral("Clear1"));

    m_correctionsMenu = menuBar()->addMenu(QStringLiteral(" &Corrections"));
    m_correctionsMenu->setObjectName(QStringLiteral("SpealingCorrection1"));
    QAction *post = m_correctionsMenu->addAction(QStringLiteral("&Post OCR Spelling Correction"), this,
                                                 [this] { showModalForm("Form10"); });
    post->setObjectName(QStringLiteral("PostOCRCorrection1"));
    QAction *time = m_correctionsMenu->addAction(QStringLiteral("&Time Correction"), this,
                                                 [this] { showModalForm("Form14"); });
    time->setObjectName(QStringLiteral("TimeCorrection1"));

    m_formatMenu = menuBar()->addMenu(QStringLiteral("&Output Format"));
    m_formatMenu->setObjectName(QStringLiteral("OutputFormat1"));
    QAction *format = m_formatMenu->addAction(QStringLiteral("Set &Output Format"), this,
                                              &SubtitlesWindow::outputFormatDialog);
    format->setObjectName(QStringLiteral("SetOutputFormat1"));
    QAction *split = m_formatMenu->addAction(QStringLiteral("&Split Output File"), this,
                                             [this] { showModalForm("Form17"); });
    split->setObjectName(QStringLiteral("Splitoutputfile1"));
}

QWidget *SubtitlesWindow::buildConversionPanel()
{
    m_conversion = new QFrame(this);
    m_conversion->setObjectName(QStringLiteral("pConversion"));
    m_conversion->setToolTip(QStringLiteral("Input conversion options"));
    auto *row = new QHBoxLayout(m_conversion);
    row->setContentsMargins(4, 3, 4, 3);

    m_labelFont = new QLabel(QStringLiteral("Font:"), m_conversion);
    m_labelFont->setObjectName(QStringLiteral("LabelFont"));
    m_setFont = commandButton("bbSetFont", QStringLiteral("..."), QStringLiteral("Set the font"), m_conversion);
    m_fontBox = new QComboBox(m_conversion);
    m_fontBox->setObjectName(QStringLiteral("ComboBoxFont"));
    m_fontBox->addItems(QFontDatabase::families());
    const int own = m_fontBox->findText(m_fontBox->font().family());
    if (own >= 0)
        m_fontBox->setCurrentIndex(own);
    auto *labelCharset = new QLabel(QStringLiteral("CharSet:"), m_conversion);
    labelCharset->setObjectName(QStringLiteral("LabelCharSet"));
    m_charsetBox = new QComboBox(m_conversion);
    m_charsetBox->setObjectName(QStringLiteral("ComboBoxCharSet"));
    auto *labelCodePage = new QLabel(QStringLiteral("CodePage:"), m_conversion);
    labelCodePage->setObjectName(QStringLiteral("LabelCodePage"));
    m_codePageBox = new QComboBox(m_conversion);
    m_codePageBox->setObjectName(QStringLiteral("cbCodePage"));
    for (const char *item : codePageItems())
        m_codePageBox->addItem(QString::fromLatin1(item));
    m_codePageBox->setCurrentIndex(kDefaultCodePageItem);
    m_done = new QPushButton(QStringLiteral("&Done"), m_conversion);
    m_done->setObjectName(QStringLiteral("bbDone"));
    m_save = new QPushButton(QStringLiteral("&Save"), m_conversion);
    m_save->setObjectName(QStringLiteral("bbSave"));
    m_save->setToolTip(QStringLiteral("Save as ANSI using current CodePage"));

    // The lists open as wide as their longest item, but the boxes themselves keep a moderate width: sized
    // to their longest item (a font family, a code page's name) they made the window wider than a laptop's
    // screen.
    for (QComboBox *box : {m_fontBox, m_charsetBox, m_codePageBox}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(box == m_codePageBox ? 16 : 10);
        box->view()->setTextElideMode(Qt::ElideNone);
    }
    row->addWidget(m_labelFont);
    row->addWidget(m_setFont);
    row->addWidget(m_fontBox, 2);
    row->addWidget(labelCharset);
    row->addWidget(m_charsetBox, 2);
    row->addWidget(labelCodePage);
    row->addWidget(m_codePageBox, 3);
    // Done and Save share one place: the mode shows one of them.
    row->addWidget(m_done);
    row->addWidget(m_save);

    connect(m_setFont, &QToolButton::clicked, this, &SubtitlesWindow::chooseListFont);
    connect(m_fontBox, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_fillingCharsets)
            fontChanged();
    });
    connect(m_charsetBox, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_fillingCharsets)
            charsetChanged();
    });
    connect(m_codePageBox, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_fillingCharsets)
            codePageChanged();
    });
    connect(m_done, &QPushButton::clicked, this, &SubtitlesWindow::done);
    connect(m_save, &QPushButton::clicked, this, &SubtitlesWindow::saveAnsi);
    m_conversion->hide(); // shown only in load or save mode
    fontChanged();
    return m_conversion;
}

QWidget *SubtitlesWindow::buildCommandPanel()
{
    m_panel1 = new QWidget(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    auto *row = new QHBoxLayout(m_panel1);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);

    auto *label1 = new QLabel(QStringLiteral("SubTitle Index:"), m_panel1);
    label1->setObjectName(QStringLiteral("Label1"));
    m_count = core::ui::runTimeText(new QLabel(QStringLiteral("0"), m_panel1));
    m_count->setObjectName(QStringLiteral("LabelNbSubTitle"));
    m_count->setMinimumWidth(40);
    m_skip = core::ui::runTimeText(new QLabel(QStringLiteral("(+00 skipped - too small / short)"), m_panel1));
    m_skip->setObjectName(QStringLiteral("LabelSkip"));
    m_skip->hide();
    m_unread = core::ui::runTimeText(new QLabel(QStringLiteral("(0 lines not read)"), m_panel1));
    m_unread->setObjectName(QStringLiteral("LabelNotRead"));
    m_unread->hide();
    m_fps = new QComboBox(m_panel1);
    m_fps->setObjectName(QStringLiteral("ComboBoxFPS"));
    m_fps->setEditable(true);
    m_fps->addItems({QStringLiteral("23.976"), QStringLiteral("24.000"), QStringLiteral("25.000"),
                     QStringLiteral("29.970"), QStringLiteral("30.000")});
    m_fps->setCurrentText(QStringLiteral("23.976"));
    m_fps->setToolTip(QStringLiteral("FPS (DivXG400 info tag have priority)"));

    QToolButton *spelling = commandButton("TntBitButtonSpellingCorrection", QStringLiteral("abc"),
                                          QStringLiteral("Use to correct some wrong characters"), m_panel1);
    QToolButton *timing = commandButton("TntBitButtonTimeCorrection", QStringLiteral("T"),
                                        QStringLiteral("Allow Timing / Speed Modifications"), m_panel1);
    QToolButton *format = commandButton("TntBitButtonOutputFormat", QStringLiteral("Fmt"),
                                        QStringLiteral("Choose Output Format (Dynamic conversion)"), m_panel1);
    QToolButton *split = commandButton("TntBitButtonSplitText", QStringLiteral("Split"),
                                       QStringLiteral("Split text file"), m_panel1);
    QToolButton *saveAs = commandButton("TntBitButtonSaveAs", QStringLiteral("Save As"), QStringLiteral("Save As"),
                                        m_panel1);
    QToolButton *conversion = commandButton("bbConversion", QStringLiteral("Aa"), QStringLiteral("Set the font"),
                                            m_panel1);
    QToolButton *clear = commandButton("TntBitButtonClearSub", QStringLiteral("Clear"),
                                       QStringLiteral("Clear this text file"), m_panel1);
    m_subFormat = core::ui::runTimeText(new QLabel(QStringLiteral("ANSI"), m_panel1));
    m_subFormat->setObjectName(QStringLiteral("SubFormat"));
    m_format = new QCheckBox(QStringLiteral("F"), m_panel1);
    m_format->setObjectName(QStringLiteral("CheckBoxFormat"));
    m_format->setChecked(true);
    m_format->setToolTip(QStringLiteral("Format the subtitle text (.gxt only)"));
    m_scrollDown = new QCheckBox(QStringLiteral("V"), m_panel1);
    m_scrollDown->setObjectName(QStringLiteral("CheckBoxScrollDown"));
    m_scrollDown->setChecked(true);
    m_scrollDown->setToolTip(QStringLiteral("Auto Scroll down to show the last subtitles (a bit slower)"));

    // UpDown1: two arrows that never hold a position; up goes to the first line, down to the last.
    auto *upDown = new QWidget(m_panel1);
    upDown->setObjectName(QStringLiteral("UpDown1"));
    upDown->setToolTip(QStringLiteral("Top/Bottom of the file"));
    auto *arrows = new QVBoxLayout(upDown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    auto *up = new QToolButton(upDown);
    up->setObjectName(QStringLiteral("UpDown1Up"));
    up->setArrowType(Qt::UpArrow);
    up->setFixedHeight(11);
    auto *down = new QToolButton(upDown);
    down->setObjectName(QStringLiteral("UpDown1Down"));
    down->setArrowType(Qt::DownArrow);
    down->setFixedHeight(11);
    arrows->addWidget(up);
    arrows->addWidget(down);

    row->addWidget(label1);
    row->addWidget(m_count);
    row->addWidget(m_skip);
    row->addWidget(m_unread);
    row->addStretch(1);
    row->addWidget(m_fps);
    for (QWidget *w : {static_cast<QWidget *>(spelling), static_cast<QWidget *>(timing),
                       static_cast<QWidget *>(format), static_cast<QWidget *>(split), static_cast<QWidget *>(saveAs),
                       static_cast<QWidget *>(conversion), static_cast<QWidget *>(clear)})
        row->addWidget(w);
    row->addWidget(m_subFormat);
    row->addWidget(m_format);
    row->addWidget(m_scrollDown);
    row->addWidget(upDown);

    connect(spelling, &QToolButton::clicked, this, [this] { showModalForm("Form10"); });
    connect(timing, &QToolButton::clicked, this, [this] { showModalForm("Form14"); });
    connect(format, &QToolButton::clicked, this, &SubtitlesWindow::outputFormatDialog);
    connect(split, &QToolButton::clicked, this, [this] { showModalForm("Form17"); });
    connect(saveAs, &QToolButton::clicked, this, &SubtitlesWindow::saveAs);
    connect(conversion, &QToolButton::clicked, this, &SubtitlesWindow::chooseListFont);
    connect(clear, &QToolButton::clicked, this, [this] { clearSubtitles(); });
    connect(m_format, &QCheckBox::toggled, this, [this] { m_list->viewport()->update(); }); // the list exists by then
    connect(m_fps, &QComboBox::currentTextChanged, this, [this] { frameRateChanged(m_fps); });
    connect(up, &QToolButton::clicked, this, [this] {
        if (m_list->count() > 0)
            m_list->setCurrentRow(0);
    });
    connect(down, &QToolButton::clicked, this, [this] {
        if (m_list->count() > 0)
            m_list->setCurrentRow(m_list->count() - 1);
    });
    return m_panel1;
}

// --- file name, format, list --------------------------------------------------------------------

void SubtitlesWindow::setSubtitleFileName(const QString &name)
{
    m_fileName = name;
    m_saveName = fileBaseName(name) + QLatin1Char('.') + defaultExtension(outputFormat());
    const QString separator = QStringLiteral(" | ");
    QString caption = windowTitle();
    const qsizetype at = caption.indexOf(separator);
    if (at >= 0)
        caption.truncate(at + separator.size());
    else
        caption += separator;
    setWindowTitle(caption + m_saveName);
}

core::Result<void> SubtitlesWindow::setOutputFormat(OutputFormat format)
{
    return setOutput(format, m_app.formatOptions);
}

core::Result<void> SubtitlesWindow::setOutput(OutputFormat format, const FormatOptions &options)
{
    if (auto rate = parseFrameRateX1000(options.frameRateText); !rate)
        return rate.error();
    // The options have one home, which the renderer reads at every line it writes.
    if (&options != &m_app.formatOptions)
        m_app.formatOptions = options;
    m_renderer.setFormat(format);
    m_app.config.main.activePage = int(format);
    m_format->setEnabled(format == OutputFormat::Glyfex);
    setSubtitleFileName(m_fileName);
    refreshList();
    return {};
}

void SubtitlesWindow::setLoadedFromFile(bool on)
{
    if (on == m_loadedFromFile)
        return;
    m_loadedFromFile = on;
    refreshList();
}

void SubtitlesWindow::applyListFont(const QFont &font)
{
    m_list->setFont(font);
    m_list->viewport()->update();
    m_list->doItemsLayout();
}

void SubtitlesWindow::syncListTail()
{
    const QStringList &lines = m_renderer.lines();
    while (m_list->count() > lines.size())
        delete m_list->takeItem(m_list->count() - 1);
    for (qsizetype i = m_list->count(); i < lines.size(); ++i)
        m_list->addItem(lines[i]);
    updateUnicodeLabel();
}

void SubtitlesWindow::updatePictureScriptSource()
{
    PictureScriptSource source;
    source.dvdColours = m_app.input.palette;
    source.presets = m_app.presets.presets;
    source.loadedFromFile = m_loadedFromFile;
    // Where this run's bitmaps went; before any run, where the bitmap dialog starts.
    const QString &base = m_app.batch.pictureBaseName;
    source.bitmapFolder = QDir::toNativeSeparators(base.isEmpty() ? m_app.config.main.saveDialogBmpSup
                                                                  : QFileInfo(base).absolutePath());
    m_renderer.setPictureScriptSource(source);
}

void SubtitlesWindow::renderSubtitle(int index)
{
    updatePictureScriptSource();
    m_renderer.setCodePage(effectiveCodePage());
    m_renderer.renderSubtitle(m_store, index);
    syncListTail();
    updateCount();
    // Scrolling lays out the whole list again, so a hidden list (a command-line run) is scrolled
    // once when it is shown instead of once per subtitle.
    if (m_scrollDown->isChecked() && m_list->count() > 0) {
        m_scrollWhenShown = !isVisible();
        if (!m_scrollWhenShown)
            m_list->scrollToBottom();
    }
}

void SubtitlesWindow::rebuildSubtitleText()
{
    updatePictureScriptSource();
    m_renderer.setCodePage(effectiveCodePage());
    m_renderer.rebuild(m_store);
    m_list->clear();
    m_list->addItems(m_renderer.lines());
    updateUnicodeLabel();
    updateCount();
}

void SubtitlesWindow::refreshList()
{
    // Showing the text again, or in another layout, changes no subtitle: what was saved stays saved.
    const bool modified = m_renderer.isModified();
    rebuildSubtitleText();
    if (!modified)
        m_renderer.markSaved();
}

void SubtitlesWindow::removeLastSubtitleLines()
{
    m_renderer.removeLastSubtitleLines(m_store);
    syncListTail();
}

void SubtitlesWindow::subtitleAdded(const AddReport &report)
{
    if (report.outcome == AddReport::Outcome::Added)
        renderSubtitle(report.index);
    else if (report.outcome == AddReport::Outcome::Merged)
        rebuildSubtitleText();
}

void SubtitlesWindow::showSkippedCount(int count)
{
    if (count <= 0) {
        m_skip->hide();
        return;
    }
    m_skip->setText(QStringLiteral("(+%1 ").arg(count) + m_app.message(core::Msg::SkippedTooSmall));
    m_skip->show();
}

void SubtitlesWindow::showUnreadLines(int count)
{
    if (count <= 0) {
        m_unread->hide();
        return;
    }
    m_unread->setText(count == 1 ? QStringLiteral("(1 line not read)") : QStringLiteral("(%1 lines not read)").arg(count));
    m_unread->show();
}

void SubtitlesWindow::followStore()
{
    if (m_store.count() == m_shownCount)
        return;
    if (m_store.isEmpty())
        clearWithoutQuestion();
    else
        rebuildSubtitleText();
}

void SubtitlesWindow::updateCount()
{
    m_shownCount = m_store.count();
    m_count->setText(QString::number(m_store.count()));
}

void SubtitlesWindow::updateUnicodeLabel()
{
    const bool unicode = m_renderer.isUnicode();
    m_subFormat->setText(unicode ? QStringLiteral("UNICODE") : QStringLiteral("ANSI"));
    // This runs for every subtitle added, and setting a palette sends the label its change events
    // even when the colour stays: only a change of colour is set.
    const QColor &colour = unicode ? kUnicodeColour : kAnsiColour;
    const QPalette &shown = m_subFormat->palette();
    if (!shown.isBrushSet(QPalette::Active, QPalette::WindowText) || shown.color(QPalette::WindowText) != colour) {
        QPalette p = m_subFormat->palette();
        p.setColor(QPalette::WindowText, colour);
        m_subFormat->setPalette(p);
    }
}

// --- commands ------------------------------------------------------------------------------------

core::Answer SubtitlesWindow::askToClear()
{
    if (!isModified())
        return core::Answer::Yes;
    return m_app.prompt().confirmYesNo(m_app.message(core::Msg::Confirm) + QStringLiteral("\r\n") +
                                  m_app.message(core::Msg::TextNotSaved) + QStringLiteral("\r\n") +
                                  m_app.message(core::Msg::ReallyClearAllText));
}

bool SubtitlesWindow::clearSubtitles()
{
    if (askToClear() != core::Answer::Yes)
        return false;
    clearWithoutQuestion();
    return true;
}

void SubtitlesWindow::clearWithoutQuestion()
{
    setMenusEnabled(true);
    m_renderer.markSaved();
    m_loadedFromFile = false;
    setSubtitleFileName(QStringLiteral("NewFile"));
    m_store.clear();
    rebuildSubtitleText();
    m_app.batch.skippedCount = 0;
    m_skip->hide();
    m_app.batch.unreadLines = 0;
    m_unread->hide();
    hideConversionPanel();
}

void SubtitlesWindow::showModalForm(const char *formName)
{
    auto *dialog = qobject_cast<QDialog *>(m_app.window(QString::fromLatin1(formName)));
    if (dialog)
        core::ui::execOver(*dialog, this);
}

void SubtitlesWindow::outputFormatDialog()
{
    showModalForm("Form13");
    m_format->setEnabled(outputFormat() == OutputFormat::Glyfex);
}

void SubtitlesWindow::chooseListFont()
{
    if (const std::optional<QFont> font = askFont(this, m_list->font()))
        useListFont(*font);
}

std::optional<QFont> SubtitlesWindow::askFont(QWidget *parent, const QFont &current) const
{
    if (!m_fontAsker)
        return std::nullopt;
    return m_fontAsker(parent, current);
}

void SubtitlesWindow::useListFont(const QFont &font)
{
    const int item = m_fontBox->findText(font.family());
    if (item >= 0) {
        setIndexQuietly(m_fontBox, item);
    }
    fontChanged();
    applyListFont(font);
}

void SubtitlesWindow::setLoader(Loader loader)
{
    m_loader = std::move(loader);
    m_openAction->setEnabled(bool(m_loader));
}

void SubtitlesWindow::openFile()
{
    if (!m_loader)
        return;
    m_filterIndex = std::clamp(m_filterIndex, 1, 13);
    setMenusEnabled(true);
    if (isModified()) {
        const QString question = m_app.message(core::Msg::Confirm) + QStringLiteral("\r\n") +
                                 m_app.message(core::Msg::TextNotSaved) + QStringLiteral("\r\n") +
                                 m_app.message(core::Msg::ReallyOpenAnotherFile);
        if (m_app.prompt().confirmYesNo(question) != core::Answer::Yes)
            return;
    }
    const QString start = m_openName.isEmpty() ? m_app.dialogFolder(m_openFolder) : QDir(m_openFolder).filePath(m_openName);
    const QString path = m_app.files().openFile(this, QStringLiteral("Open"), start, QString::fromLatin1(kOpenFilter),
                                                m_filterIndex);
    if (path.isEmpty())
        return;
    // The next Open starts on the file type chosen now.
    m_filterIndex = std::clamp(m_app.files().chosenFilterIndex(), 1, 13);
    m_openName = path;
    m_openFolder = QFileInfo(path).absolutePath();
    m_loader(path, true);
}

void SubtitlesWindow::loadSubtitleFile(const QString &path, bool firstLoad)
{
    const core::GlobalOptions &global = m_app.config.options;
    LoadSettings settings;
    // A first load reads in the default charset's page; the charset box follows only when the load succeeds.
    const CharsetChoice defaultCharset = chooseCharset(QStringLiteral("DEFAULT_CHARSET"), m_codePageBox->currentIndex());
    settings.codePage = firstLoad ? core::TextCodec::resolve(defaultCharset.codePage) : effectiveCodePage();
    settings.frameRateText = m_fps->currentText();
    settings.maxDurationMs = std::clamp(global.maxTmpDuration, int(core::GlobalOptions::MaxTmpLowest),
                                        int(core::GlobalOptions::MaxTmpHighest));
    settings.minGapMs = std::clamp(global.minSubDuration, 0, core::GlobalOptions::MinSubDurationMax);
    auto loaded = subtitles::loadSubtitleFile(path, settings, askOnParseError(m_app.prompt(), m_app.messages));
    if (!loaded) {
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + loaded.error().message());
        return;
    }
    if (loaded->cancelled)
        return;
    if (loaded->kind == SubtitleFileKind::Unknown) {
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                            m_app.message(core::Msg::UnrecognizedFormat));
        return;
    }

    hideConversionPanel();
    if (firstLoad)
        chooseCharsetName(QStringLiteral("DEFAULT_CHARSET"));
    m_store.subs = std::move(loaded->store.subs);
    m_app.batch.skippedCount = 0;
    m_skip->hide();
    m_app.batch.unreadLines = 0;
    m_unread->hide();
    // Options the file states (numbering, coordinates, SubViewer 2 header and font, frame rate).
    loaded->options.applyTo(m_app.formatOptions);
    m_renderer.setSplit(false, SplitRange{});
    if (loaded->options.frameRateText)
        m_fps->setCurrentText(*loaded->options.frameRateText);
    // The file's frames are the video's from now on (the time correction counts in them).
    if (loaded->frameRateX1000 != 0)
        core::followFrameRate(m_app.batch.clock.standard, loaded->frameRateX1000,
                              core::highestFrameOfSecond(loaded->frameRateX1000));
    m_loadedFromFile = true;
    m_openName = path;
    m_openFolder = QFileInfo(path).absolutePath();
    setSubtitleFileName(path);
    rebuildSubtitleText();
    m_renderer.markSaved();
    if (!loaded->warnings.isEmpty())
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                            loaded->warnings.join(QStringLiteral("\r\n")));
    // A file without a byte-order mark may be in any page, and read in the wrong one it can hold any
    // character (UTF-8 Cyrillic read in 1252 is all Latin letters and symbols): the panel offers to read
    // it again after every such first load. A mark fixed the encoding, so there is nothing to choose;
    // Done reads the file again in the chosen page and is the end of the choice.
    if (firstLoad && !loaded->hasByteOrderMark) {
        m_rawLines = loaded->rawLines();
        showConversionPanel(PanelMode::Load);
    } else {
        warnOverlappingTimes();
    }
}

void SubtitlesWindow::warnOverlappingTimes()
{
    std::vector<ripping::TimeRange> ranges;
    ranges.reserve(m_store.subs.size());
    for (const Subtitle &s : m_store.subs)
        ranges.push_back({s.start, s.stop});
    if (const int overlapping = ripping::countOverlappingTimes(ranges); overlapping > 0 && !m_app.commandLineMode)
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                            m_app.message(core::Msg::TimeCodesOverlapping) + QStringLiteral(" %1x").arg(overlapping));
}

void SubtitlesWindow::setMenusEnabled(bool on)
{
    m_correctionsMenu->menuAction()->setEnabled(on);
    m_formatMenu->menuAction()->setEnabled(on);
    m_saveAsAction->setEnabled(on);
}

// --- frame rate -----------------------------------------------------------------------------------

void SubtitlesWindow::linkFrameRateBoxes(const QList<QComboBox *> &boxes)
{
    for (QComboBox *box : boxes) {
        if (!box || m_linkedRates.contains(box))
            continue;
        m_linkedRates.append(box);
        connect(box, &QComboBox::currentTextChanged, this, [this, box] { frameRateChanged(box); });
        connect(box, &QObject::destroyed, this, [this, box] { m_linkedRates.removeAll(box); });
    }
}

void SubtitlesWindow::setFrameRateText(const QString &text)
{
    m_fps->setCurrentText(text);
}

void SubtitlesWindow::frameRateChanged(QComboBox *sender)
{
    if (m_syncingRates)
        return; // the copies below change the boxes again
    m_syncingRates = true;
    const QString text = sender ? sender->currentText() : m_fps->currentText();
    for (QComboBox *box : m_linkedRates) {
        if (box != sender)
            box->setCurrentText(text);
    }
    if (sender && sender != m_fps)
        m_fps->setCurrentText(text);
    m_syncingRates = false;
    // The frame-number formats count frames at this rate; a text that is no rate keeps the last one.
    if (parseFrameRateX1000(text))
        m_app.formatOptions.frameRateText = text;
}

// --- conversion panel --------------------------------------------------------------------------

void SubtitlesWindow::showConversionPanel(PanelMode mode)
{
    if (!conversionPanelShown())
        m_widthBeforePanel = width();
    m_panelMode = mode;
    const bool save = mode == PanelMode::Save;
    colourPanel(m_conversion, save ? kSaveColour : kLoadColour);
    m_save->setVisible(save);
    m_done->setVisible(!save);
    m_labelFont->setEnabled(!save);
    m_setFont->setEnabled(!save);
    m_fontBox->setEnabled(!save);
    m_panel1->hide();
    m_conversion->show();
    setMenusEnabled(false);
    if (height() < kPanelMinimumHeight)
        resize(width(), kPanelMinimumHeight);
}

void SubtitlesWindow::hideConversionPanel()
{
    const bool shown = conversionPanelShown();
    m_conversion->hide();
    m_panel1->show();
    setMenusEnabled(true);
    // Room the panel took goes with it.
    if (shown && width() > m_widthBeforePanel && !isMaximized() && !isFullScreen())
        resize(m_widthBeforePanel, height());
}

bool SubtitlesWindow::conversionPanelShown() const
{
    return !m_conversion->isHidden();
}

void SubtitlesWindow::setIndexQuietly(QComboBox *box, int index)
{
    // The handlers run in their fixed order (font, charset, code page) from the code that calls this.
    const bool filling = std::exchange(m_fillingCharsets, true);
    box->setCurrentIndex(index);
    m_fillingCharsets = filling;
}

void SubtitlesWindow::chooseFontName(const QString &family)
{
    const int item = m_fontBox->findText(family);
    if (item >= 0)
        setIndexQuietly(m_fontBox, item);
    fontChanged();
}

void SubtitlesWindow::chooseCharsetName(const QString &name)
{
    const int item = m_charsetBox->findText(name);
    if (item >= 0)
        setIndexQuietly(m_charsetBox, item);
    charsetChanged();
}

void SubtitlesWindow::fontChanged()
{
    if (m_fontBox->currentText().isEmpty()) {
        const int own = m_fontBox->findText(m_fontBox->font().family());
        if (own >= 0) {
            setIndexQuietly(m_fontBox, own);
        }
    }
    const QString family = m_fontBox->currentText();
    if (!family.isEmpty() && m_list) {
        QFont font = m_list->font();
        font.setFamily(family);
        applyListFont(font);
    }
    QList<WritingSystem> systems;
    for (QFontDatabase::WritingSystem ws : QFontDatabase::writingSystems(family))
        systems.append(WritingSystem(int(ws)));
    {
        const bool filling = std::exchange(m_fillingCharsets, true);
        m_charsetBox->clear();
        m_charsetBox->addItems(listFontCharsets(charsetsOfWritingSystems(systems)));
        m_charsetBox->setCurrentIndex(m_charsetBox->findText(QStringLiteral("DEFAULT_CHARSET")));
        m_fillingCharsets = filling;
    }
    charsetChanged();
}

void SubtitlesWindow::charsetChanged()
{
    const CharsetChoice choice = chooseCharset(m_charsetBox->currentText(), m_codePageBox->currentIndex());
    m_textCharset = choice.textCharset;
    m_codePage = choice.codePage;
    if (choice.codePageItem >= 0) {
        setIndexQuietly(m_codePageBox, choice.codePageItem);
    }
    codePageChanged();
}

void SubtitlesWindow::codePageChanged()
{
    m_codePage = codePageOfItem(m_codePageBox->currentText());
    m_renderer.setCodePage(effectiveCodePage());
    // Only while the panel asks how to read a file: the raw lines show in the new decoding.
    if (m_panelMode == PanelMode::Load && conversionPanelShown())
        previewRawLines();
}

void SubtitlesWindow::previewRawLines()
{
    const int selected = m_list->currentRow();
    m_list->clear();
    for (const QByteArray &raw : m_rawLines) {
        auto text = core::TextCodec::decode(raw, effectiveCodePage());
        // A page this system cannot convert shows the bytes as Latin-1 rather than nothing.
        m_list->addItem(text ? *text : QString::fromLatin1(raw));
    }
    if (selected >= 0 && selected < m_list->count())
        m_list->setCurrentRow(selected);
}

void SubtitlesWindow::done()
{
    if (m_panelMode == PanelMode::Load) {
        if (m_loader && !m_openName.isEmpty())
            m_loader(m_openName, false);
    } else {
        // Leaving the save panel without saving: the text is as Unicode as rendering found it.
        m_renderer.setUnicode(m_unicodeAfterRender);
        updateUnicodeLabel();
    }
    hideConversionPanel();
}

// --- saving ----------------------------------------------------------------------------------------

void SubtitlesWindow::saveAs()
{
    m_saveFilter = saveFilter(outputFormat());
    refreshList();
    m_unicodeAfterRender = m_renderer.isUnicode();
    switch (chooseSaveEncoding(m_unicodeAfterRender, m_app.commandLineMode, m_app.messages, m_app.prompt())) {
    case SaveEncoding::Unicode:
        saveToFile(true);
        break;
    case SaveEncoding::AnsiNow:
        saveToFile(false);
        break;
    case SaveEncoding::ChooseCodePage:
        m_renderer.setUnicode(false);
        updateUnicodeLabel();
        showConversionPanel(PanelMode::Save);
        break;
    }
}

void SubtitlesWindow::setSourceFileName(const QString &path)
{
    m_sourceFile = path;
    if (!path.isEmpty())
        m_saveFolder = QFileInfo(path).absolutePath();
}

void SubtitlesWindow::followPictureBase(const QString &base)
{
    m_sourceFile.clear();
    m_saveFolder = QFileInfo(base).absolutePath();
    setSubtitleFileName(base);
}

void SubtitlesWindow::saveAnsi()
{
    const QString language = m_languageText ? m_languageText() : QString();
    const QString source = m_sourceFile.isEmpty() ? m_fileName : m_sourceFile;
    m_saveName = QFileInfo(ansiSaveFileName(source, language, outputFormat())).fileName();
    if (m_panelMode == PanelMode::Save) {
        saveToFile(false);
        m_renderer.setUnicode(m_unicodeAfterRender);
        updateUnicodeLabel();
        m_labelFont->setEnabled(true);
        m_setFont->setEnabled(true);
        m_fontBox->setEnabled(true);
    }
    hideConversionPanel();
}

QString SubtitlesWindow::saveSplitPart()
{
    m_saveFilter = saveFilter(outputFormat());
    refreshList();
    const bool unicode = chooseSaveEncoding(m_renderer.isUnicode(), m_app.commandLineMode, m_app.messages,
                                            m_app.prompt()) == SaveEncoding::Unicode;
    return saveToFile(unicode);
}

QString SubtitlesWindow::saveToFile(bool unicode)
{
    if (m_renderer.lines().isEmpty())
        return {};
    QString path;
    if (m_app.commandLineMode) {
        path = m_commandLineOutput + QLatin1Char('.') + defaultExtension(outputFormat());
    } else {
        const QString start = QDir(m_app.dialogFolder(m_saveFolder)).filePath(m_saveName);
        path = m_app.files().saveFile(this, QStringLiteral("Save As"), start,
                                      m_saveFilter.isEmpty() ? saveFilter(outputFormat()) : m_saveFilter);
        if (path.isEmpty()) {
            m_saveName.clear();
            return {};
        }
        // A name typed without an extension gets the format's, and the question is about that name.
        path = core::withDefaultExtension(path, defaultExtension(outputFormat()));
        if (!confirmReplace(path, m_app.commandLineMode, m_app.messages, m_app.prompt()))
            return {};
    }
    if (!warnAboutScriptNames())
        return {};
    SaveRequest request;
    request.path = path;
    request.format = outputFormat();
    request.iAuthorPages = request.format == OutputFormat::IAuthor;
    request.lines = request.iAuthorPages ? m_renderer.iAuthorFile(m_store) : m_renderer.lines();
    request.unicode = unicode;
    request.codePage = effectiveCodePage();
    if (request.format == OutputFormat::SpruceStl) {
        request.palette = stlPalette(m_renderer.options().stlColours);
    } else if (request.format == OutputFormat::SpruceDvdMaestro) {
        request.palette = maestroPalette(m_renderer.pictureScriptSource());
    }
    if (!m_viewerIndexFolder.isEmpty())
        request.viewerIndex = SaveRequest::ViewerIndex{m_viewerIndexFolder, m_renderer.viewerTimingEntries()};
    auto saved = saveSubtitleFile(request, m_app.messages, m_app.prompt());
    if (!saved) {
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + saved.error().message());
        return {};
    }
    if (!saved->saved)
        return {};
    m_renderer.markSaved();
    m_saveFolder = QFileInfo(path).absolutePath();
    setSubtitleFileName(path);
    return path;
}

bool SubtitlesWindow::warnAboutScriptNames()
{
    for (int i = 1; i <= m_store.count(); ++i) {
        const Subtitle &sub = m_store.at(i);
        if (!nameBreaksScript(outputFormat(), sub))
            continue;
        const QString text = QStringLiteral("The picture name \"%1\" of subtitle %2 holds a blank or a tab, which the "
                                            "authoring tool takes for the end of the name.\r\nSave anyway?")
                                 .arg(sub.lines.first())
                                 .arg(i);
        return m_app.prompt().confirmYesNo(text) == core::Answer::Yes;
    }
    return true;
}

// --- window events ------------------------------------------------------------------------------------

void SubtitlesWindow::setVisible(bool visible)
{
    const bool wasVisible = isVisible();
    QMainWindow::setVisible(visible);
    if (visible && !wasVisible)
        core::ui::gatherWindowsBeside(*this);
}

void SubtitlesWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    // The first showing places the window; later ones (after a dialog, Open VOB(s), a Start) keep it
    // where it is, which may be where the user moved it.
    if (!m_placedAt)
        placeUnderMainWindow();
    setSubtitleFileName(m_fileName);
    if (!(m_panelMode == PanelMode::Load && conversionPanelShown()))
        refreshList();
    if (m_scrollWhenShown && m_list->count() > 0)
        m_list->scrollToBottom();
    m_scrollWhenShown = false;
}

void SubtitlesWindow::placeUnderMainWindow()
{
    QWidget *main = parentWidget();
    if (!main || (m_placedAt && pos() != *m_placedAt))
        return; // moved by the user
    ripping::ui::placeUnder(*this, *main);
    m_placedAt = pos();
}

void SubtitlesWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (conversionPanelShown() && height() < kPanelMinimumHeight)
        resize(width(), kPanelMinimumHeight);
}

void SubtitlesWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_loader)
        return; // nothing could read the file
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void SubtitlesWindow::dropEvent(QDropEvent *event)
{
    // The first local file is opened; other dropped files and remote links are ignored.
    for (const QUrl &url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        event->acceptProposedAction();
        const QFileInfo file(url.toLocalFile());
        m_openName = file.fileName();
        m_openFolder = file.absolutePath();
        activateWindow();
        raise();
        openFile();
        return;
    }
}

} // namespace glyfex::subtitles::ui
