// The input dialog: opening the input, the file and stream lists, the palette, the options and Start.
#include "ripping/ui/input_dialog.h"

#include "core/ui/dialog_owner.h"
#include "core/ui/named_widget.h"
#include "core/ui/numeric_edit.h"
#include "app/app.h"
#include "ripping/ui/input_reading.h"
#include "ripping/ui/main_window.h"
#include "subtitles/ui/subtitles_window.h"
#include "ripping/ui/picture_image.h"
#include "ripping/ui/progress_controller.h"
#include "ripping/ui/stream_scan_window.h"
#include "ripping/vobsub_index.h"
#include "ripping/work_palette.h"
#include "subtitles/output_format.h"
#include "subtitles/ui/bitmap_adjust_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace glyfex::ripping::ui {

namespace {

const QString kOpenFilters = QStringLiteral(
    "IFO, IDX, BUP (*.ifo;*.idx;*.bup)|*.ifo;*.idx;*.bup|VOB, VobSub (*.vob;*.sub)|*.vob;*.sub|"
    "VTS IFO (vts_*.ifo)|vts_*.ifo|All supported (*.vob;*.ifo;*.bup;*.sub;*.idx)|*.vob;*.ifo;*.bup;*.sub;*.idx|"
    "All (*.*)|*.*");


core::ui::WordEdit *timeBox(const char *name, int max, QWidget *parent)
{
    auto *box = new core::ui::WordEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, max);
    box->setValue(0);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString::number(max)) + 16);
    return box;
}

} // namespace

InputDialog::InputDialog(app::App &app, QWidget *parent) : QDialog(parent), m_app(app)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("What to do?"));
    setAcceptDrops(true);
    buildLayout();
    m_openFolder = m_app.config.main.openDialogVob;
    fillStreamList();
    resetTimeContinuation();
    updatePalette();
}

void InputDialog::buildLayout()
{
    auto *top = new QGridLayout(this);
    top->setHorizontalSpacing(10);

    // --- left column: stream, files, palette
    m_langGroup = new QGroupBox(QStringLiteral("Language stream:"), this);
    m_langGroup->setObjectName(QStringLiteral("GroupBoxLangStream"));
    auto *lg = new QGridLayout(m_langGroup);
    m_language = new QComboBox(m_langGroup);
    m_language->setObjectName(QStringLiteral("ComboBoxLanguage"));
    m_language->setMinimumWidth(260);
    m_language->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lg->addWidget(m_language, 0, 0, 1, 3);
    m_showAll = new QCheckBox(QStringLiteral("Show all 32 streams"), m_langGroup);
    m_showAll->setObjectName(QStringLiteral("CheckBoxShowAll"));
    lg->addWidget(m_showAll, 1, 0);
    m_verify = new QPushButton(QStringLiteral("V&erify"), m_langGroup);
    m_verify->setObjectName(QStringLiteral("ButtonVerify"));
    m_verify->setToolTip(QStringLiteral("Scan VOBs for available subtitle streams"));
    lg->addWidget(m_verify, 1, 1);
    m_openIfo = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("Open &IFO"),
                                m_langGroup);
    m_openIfo->setObjectName(QStringLiteral("ButtonOpenIfo"));
    m_openIfo->setToolTip(QStringLiteral("View available subtitle languages from IFO"));
    lg->addWidget(m_openIfo, 1, 2);
    lg->setColumnStretch(0, 1);

    auto *vobs = new QGroupBox(QStringLiteral("Vob(Sub) files:"), this);
    vobs->setObjectName(QStringLiteral("GroupBoxVOBs"));
    auto *vg = new QGridLayout(vobs);
    m_vobPath = core::ui::runTimeText(new QLabel(vobs));
    m_vobPath->setObjectName(QStringLiteral("LabelVobPath"));
    m_vobPath->setMinimumWidth(200);
    vg->addWidget(m_vobPath, 0, 0, 1, 2);
    m_vobList = new QListWidget(vobs);
    m_vobList->setObjectName(QStringLiteral("CheckListBoxVob"));
    m_vobList->setToolTip(QStringLiteral("Select Vob(Sub) files from which you want to extract subtitles."));
    m_vobList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_vobList->installEventFilter(this);
    m_vobList->setMinimumHeight(130);
    m_vobList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Wide enough for a whole row as the list draws it: the check box, 28 characters of name and the size
    // column of the largest file, measured on such a row.
    {
        auto *widest = new QListWidgetItem(inputRowText(QString(28, QLatin1Char('W')), int64_t(99999999) * 1024), m_vobList);
        widest->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        widest->setCheckState(Qt::Checked);
        const int row = m_vobList->sizeHintForColumn(0);
        delete widest;
        m_vobList->setMinimumWidth(row + 2 * m_vobList->frameWidth()
                                   + m_vobList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
    }
    vg->addWidget(m_vobList, 1, 0);
    auto *upDown = new QWidget(vobs);
    upDown->setObjectName(QStringLiteral("UpDownFilePose"));
    upDown->setToolTip(QStringLiteral("Change file position (use optionally Ctrl + Up/Down keys)"));
    auto *ud = new QVBoxLayout(upDown);
    ud->setContentsMargins(0, 0, 0, 0);
    m_up = new QToolButton(upDown);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(upDown);
    m_down->setArrowType(Qt::DownArrow);
    ud->addWidget(m_up);
    ud->addWidget(m_down);
    ud->addStretch(1);
    vg->addWidget(upDown, 1, 1);
    m_selectAll = new QCheckBox(QStringLiteral("Autoselect matching VOBs"), vobs);
    m_selectAll->setObjectName(QStringLiteral("SelectAllCheckBox"));
    m_selectAll->setChecked(true);
    m_openDir = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("Open &Dir"), vobs);
    m_openDir->setObjectName(QStringLiteral("ButtonOpenDir"));
    auto *vbottom = new QHBoxLayout;
    vbottom->addWidget(m_selectAll);
    vbottom->addStretch(1);
    vbottom->addWidget(m_openDir);
    vg->addLayout(vbottom, 2, 0, 1, 2);

    auto *paletteBox = new QGroupBox(QStringLiteral("DVD Color Palette"), this);
    paletteBox->setObjectName(QStringLiteral("GroupBoxPalette"));
    auto *pg = new QHBoxLayout(paletteBox);
    pg->setSpacing(3);
    for (int i = 0; i < 16; ++i) {
        auto *square = new QLabel(paletteBox);
        square->setObjectName(QStringLiteral("ShapeColor%1").arg(i, 2, 10, QLatin1Char('0')));
        square->setToolTip(QString::number(i));
        square->setFixedSize(16, 16);
        square->setFrameShape(QFrame::Box);
        square->setAutoFillBackground(true);
        m_colours[size_t(i)] = square;
        pg->addWidget(square);
    }
    pg->addStretch(1);

    auto *left = new QVBoxLayout;
    left->addWidget(m_langGroup);
    left->addWidget(vobs, 1);
    left->addWidget(paletteBox);
    top->addLayout(left, 0, 0);

    // --- right column: matrix, action, options, time continuation
    auto *matrix = new QGroupBox(QStringLiteral("Characters matrix file        (different for each DVD):"), this);
    matrix->setObjectName(QStringLiteral("GroupBoxChMatrix"));
    auto *mg = new QGridLayout(matrix);
    m_matrixFile = new QLineEdit(QStringLiteral("New File"), matrix);
    m_matrixFile->setObjectName(QStringLiteral("EditCharMatrixFile"));
    m_matrixFile->setReadOnly(true);
    mg->addWidget(m_matrixFile, 0, 0);
    m_matrixProgress = new QProgressBar(matrix);
    m_matrixProgress->setObjectName(QStringLiteral("ProgressBar"));
    m_matrixProgress->hide();
    mg->addWidget(m_matrixProgress, 0, 0);
    m_openMatrix = new QPushButton(QStringLiteral("- - -"), matrix);
    m_openMatrix->setObjectName(QStringLiteral("ButtonOpenCharMatrixFile"));
    m_openMatrix->setToolTip(QStringLiteral("Open a Characters Matrix File"));
    m_openMatrix->setEnabled(false);
    connect(m_openMatrix, &QPushButton::clicked, this, &InputDialog::openMatrixRequested);
    mg->addWidget(m_openMatrix, 0, 1);
    m_newMatrix = new QPushButton(QStringLiteral("X"), matrix);
    m_newMatrix->setObjectName(QStringLiteral("ButtonNewMatrix"));
    m_newMatrix->setToolTip(QStringLiteral("New Characters Matrix File"));
    m_newMatrix->setEnabled(false);
    connect(m_newMatrix, &QPushButton::clicked, this, &InputDialog::newMatrixRequested);
    mg->addWidget(m_newMatrix, 0, 2);

    auto *actionBox = new QGroupBox(QStringLiteral("Action:"), this);
    actionBox->setObjectName(QStringLiteral("GroupBoxAction"));
    auto *ag = new QVBoxLayout(actionBox);
    auto *radioGroup = new QWidget(actionBox);
    radioGroup->setObjectName(QStringLiteral("RadioGroupAction"));
    auto *rg = new QVBoxLayout(radioGroup);
    rg->setContentsMargins(0, 0, 0, 0);
    m_action = new QButtonGroup(this);
    const char *actions[] = {"SubPictures to Text via OCR", "Save SubPictures As BMP", "Save SubPictures As SUP Files",
                             "Only Show SubPictures"};
    for (int i = 0; i < 4; ++i) {
        auto *rb = new QRadioButton(QString::fromLatin1(actions[i]), radioGroup);
        m_action->addButton(rb, i);
        rg->addWidget(rb);
    }
    m_action->button(0)->setChecked(true);
    ag->addWidget(radioGroup);

    auto *options = new QGroupBox(QStringLiteral("Options"), this);
    options->setObjectName(QStringLiteral("GroupBox1"));
    auto *og = new QGridLayout(options);
    m_pictTiming = new QCheckBox(QStringLiteral("+ TC && Res."), options); // "&&" shows one ampersand
    m_pictTiming->setObjectName(QStringLiteral("CheckBoxPictTiming"));
    m_pictTiming->setToolTip(QStringLiteral("Get the timing and image(s) size(s) & position(s)"));
    og->addWidget(m_pictTiming, 0, 0);
    // Plain or run-length compressed bitmap files: the setting of the bitmap-export preset in use,
    // kept with the presets.
    m_compress = new QCheckBox(QStringLiteral("Compress Bitmaps"), options);
    m_compress->setObjectName(QStringLiteral("CheckBoxCompress"));
    connect(m_compress, &QCheckBox::toggled, this, [this](bool on) {
        core::BmpOutPresets &presets = m_app.presets;
        presets.settings.compress = on;
        if (presets.current >= 0 && presets.current < core::BmpOutPresetCount)
            presets.presets[size_t(presets.current)].compress = on;
    });
    og->addWidget(m_compress, 2, 0, 1, 2);
    m_outputFormat = new QPushButton(QStringLiteral("Output Format..."), options);
    m_outputFormat->setObjectName(QStringLiteral("TntBitButtonOutputFormat"));
    m_outputFormat->setToolTip(QStringLiteral("Choose Output Format (Dynamic conversion)"));
    og->addWidget(m_outputFormat, 0, 1);
    m_clearText = new QPushButton(QStringLiteral("&Clear Text File"), options);
    m_clearText->setObjectName(QStringLiteral("ButtonClearText"));
    m_clearText->setToolTip(QStringLiteral("Clear the Subtitles Text File"));
    og->addWidget(m_clearText, 1, 0);
    m_viewText = new QPushButton(QStringLiteral("&View Text File"), options);
    m_viewText->setObjectName(QStringLiteral("Button1"));
    m_viewText->setToolTip(QStringLiteral("Show the Subtitles Text File"));
    og->addWidget(m_viewText, 1, 1);

    auto *lastTc = new QGroupBox(QStringLiteral("!! Start with the first 1GB VOB and use the Last Time Code !!"), this);
    lastTc->setObjectName(QStringLiteral("GroupBoxLastTC"));
    auto *tg = new QGridLayout(lastTc);
    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(core::ui::named("Label1", new QLabel(QStringLiteral("Last TimeCode:"), lastTc)));
    m_time[0] = timeBox("Word_uHour", 24, lastTc);
    m_time[1] = timeBox("Word_uMin", 59, lastTc);
    m_time[2] = timeBox("Word_uSec", 59, lastTc);
    m_time[3] = timeBox("Word_uMSec", 999, lastTc);
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0)
            timeRow->addWidget(new QLabel(i == 3 ? QStringLiteral(",") : QStringLiteral(":"), lastTc));
        timeRow->addWidget(m_time[i]);
    }
    timeRow->addStretch(1);
    m_resetTc = new QPushButton(QStringLiteral("&Reset"), lastTc);
    m_resetTc->setObjectName(QStringLiteral("ButtonResetTC"));
    m_resetTc->setToolTip(QStringLiteral(
        "Reset if you start working on a new DVD But keep this Code if this is the next Vob of a DVD!"));
    timeRow->addWidget(m_resetTc);
    tg->addLayout(timeRow, 0, 0);
    m_avoidTimeRestart = new QCheckBox(QStringLiteral("Enable this box if time restart from 0 in the middle of the DVD"),
                                       lastTc);
    m_avoidTimeRestart->setObjectName(QStringLiteral("CheckBoxAvoidTimeRestart"));
    tg->addWidget(m_avoidTimeRestart, 1, 0);

    auto *right = new QVBoxLayout;
    right->addWidget(matrix);
    right->addWidget(actionBox);
    right->addWidget(options);
    right->addWidget(lastTc);
    right->addStretch(1);
    top->addLayout(right, 0, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_start = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&Start"), this);
    m_start->setObjectName(QStringLiteral("BitBtnStart"));
    m_start->setDefault(true);
    m_cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("BitBtnCancel"));
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    top->addLayout(buttons, 1, 0, 1, 2);
    top->setColumnStretch(0, 3);
    top->setColumnStretch(1, 2);

    connect(m_openIfo, &QPushButton::clicked, this, [this] { openWithDialog(1); });
    connect(m_openDir, &QPushButton::clicked, this, [this] { openWithDialog(2); });
    connect(m_showAll, &QCheckBox::toggled, this, &InputDialog::fillStreamList);
    connect(m_verify, &QPushButton::clicked, this, &InputDialog::verifyStreams);
    connect(m_up, &QToolButton::clicked, this, [this] { moveSelectedRow(-1); });
    connect(m_down, &QToolButton::clicked, this, [this] { moveSelectedRow(+1); });
    connect(m_vobList, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (m_fillingRows)
            return;
        const int row = m_vobList->row(item);
        if (row >= 0 && row < int(m_rows.size()))
            m_rows[size_t(row)].ticked = item->checkState() == Qt::Checked;
    });
    connect(m_action, &QButtonGroup::idClicked, this, &InputDialog::actionChanged);
    connect(m_outputFormat, &QPushButton::clicked, this, [this] {
        if (auto *dialog = qobject_cast<QDialog *>(m_app.window(QStringLiteral("Form13"))))
            core::ui::execOver(*dialog, this);
    });
    connect(m_clearText, &QPushButton::clicked, this, &InputDialog::clearText);
    connect(m_viewText, &QPushButton::clicked, this, [this] {
        if (QWidget *subtitles = m_app.subtitlesWindow())
            subtitles->show();
    });
    connect(m_resetTc, &QPushButton::clicked, this, &InputDialog::resetTimeContinuation);
    for (core::ui::WordEdit *box : m_time) {
        box->setPrompt(&m_app.prompt());
        connect(box, &QLineEdit::textChanged, this, &InputDialog::timeBoxChanged);
    }
    connect(m_start, &QPushButton::clicked, this, [this] {
        if (start())
            accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// --- opening ------------------------------------------------------------------------------------

void InputDialog::openWithDialog(int filterIndex, const QString &start)
{
    const QString name = m_app.files().openFile(this, QStringLiteral("Open"), start.isEmpty() ? m_app.dialogFolder(m_openFolder) : start,
                                                kOpenFilters, filterIndex);
    if (!name.isEmpty()) {
        m_openFolder = QFileInfo(name).absolutePath();
        openInputFile(name);
    }
    updatePalette();
}

bool InputDialog::openInputFile(const QString &path)
{
    // Everything is read into a temporary first: a file that cannot be read changes nothing here but
    // the ticks of the rows listed before.
    core::Result<ReadInput> read = readInputFile(path, m_app.prompt(), m_app.messages, m_app.input.palette);
    if (!read) {
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + read.error().message());
        // The rows still listed are those of the input before: Start must not read them as if they
        // were the one just chosen.
        for (InputFileRow &row : m_rows)
            row.ticked = false;
        refreshRows(m_vobList->currentRow());
        return false;
    }
    m_app.input = read->info;
    m_langGroup->setToolTip(read->hint);
    // A new source whose frame tells no standard (HD) starts as PAL, as every source does until its
    // standard is known; the Output Format dialog may say otherwise.
    if (!core::VideoStandard::heightTellsStandard(m_app.input.frameSize.height()))
        m_app.formatOptions.frameRateIndex = 0;
    applyFrameSize();
    fillStreamList();
    if (m_language->count() == 0) {
        m_showAll->setChecked(true); // nothing named: offer all 32 stream numbers
        fillStreamList();
    }
    if (MainWindow *main = m_app.mainWindow())
        main->clearPreviewPicture();

    const QString folder = QFileInfo(path).absolutePath();
    const QString shown = QDir::toNativeSeparators(folder);
    m_vobPath->setText(fontMetrics().elidedText(shown, Qt::ElideMiddle, std::max(120, m_vobPath->width())));
    m_vobPath->setToolTip(shown);
    m_rows = makeInputRows(read->files, m_selectAll->isChecked());
    refreshRows(-1);
    updatePalette();
    return true;
}

void InputDialog::refreshRows(int selected)
{
    m_fillingRows = true;
    m_vobList->clear();
    for (const InputFileRow &row : m_rows) {
        auto *item = new QListWidgetItem(inputRowText(QFileInfo(row.path).fileName(), row.size), m_vobList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(QDir::toNativeSeparators(row.path));
    }
    if (selected >= 0 && selected < m_vobList->count())
        m_vobList->setCurrentRow(selected);
    m_fillingRows = false;
}

void InputDialog::setRowTicked(int row, bool ticked)
{
    if (row < 0 || row >= m_vobList->count())
        return;
    m_vobList->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void InputDialog::moveSelectedRow(int direction)
{
    const int from = m_vobList->currentRow();
    if (from < 0)
        return;
    if (moveInputRow(m_rows, from, direction))
        refreshRows(from + (direction < 0 ? -1 : 1));
}

bool InputDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_vobList && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & Qt::ControlModifier) {
            if (key->key() == Qt::Key_Up)
                moveSelectedRow(-1);
            else if (key->key() == Qt::Key_Down)
                moveSelectedRow(+1);
            return true; // every Ctrl key is the move's: none reaches the list
        }
    }
    return QDialog::eventFilter(watched, event);
}

void InputDialog::fillStreamList()
{
    m_language->clear();
    for (const StreamItem &item : streamItems(m_app.input.streamNames, m_showAll->isChecked()))
        m_language->addItem(item.text);
    if (m_language->count() > 0)
        m_language->setCurrentIndex(0);
    // The drop-down is as wide as its widest item, with room for a scroll bar when it scrolls.
    int widest = 0;
    const QFontMetrics metrics(m_language->font());
    for (int i = 0; i < m_language->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(m_language->itemText(i)));
    int width = widest + 10;
    if (m_language->count() > m_language->maxVisibleItems())
        width += 14;
    m_language->view()->setMinimumWidth(std::max(width, m_language->width()));
}

QStringList InputDialog::streamItemTexts() const
{
    QStringList out;
    for (int i = 0; i < m_language->count(); ++i)
        out << m_language->itemText(i);
    return out;
}

void InputDialog::selectStream(int index)
{
    m_language->setCurrentIndex(index);
}

void InputDialog::setAction(picture::ActionMode action)
{
    const int item = int(action) - 1;
    if (QAbstractButton *b = m_action->button(item))
        b->setChecked(true);
    actionChanged();
}

void InputDialog::setWithTiming(bool on)
{
    m_pictTiming->setChecked(on);
}

void InputDialog::updatePalette()
{
    for (size_t i = 0; i < 16; ++i) {
        QPalette p = m_colours[i]->palette();
        p.setColor(QPalette::Window, colourOfBgr(m_app.input.palette[i]));
        m_colours[i]->setPalette(p);
    }
}

void InputDialog::applyFrameSize()
{
    // The frame time codes count the frames of the source's standard (PAL until one is known). An HD
    // frame tells none: the rate stays as the source's opening or the Output Format dialog set it.
    const int height = m_app.input.frameSize.height();
    if (core::VideoStandard::heightTellsStandard(height))
        m_app.formatOptions.frameRateIndex = core::VideoStandard::ntscFrameHeight(height) ? 1 : 0;
    if (MainWindow *main = m_app.mainWindow())
        main->applyFrameSize();
}

core::VideoStandard InputDialog::inputStandard() const
{
    const int height = m_app.input.frameSize.height();
    if (core::VideoStandard::heightTellsStandard(height))
        return core::VideoStandard::fromFrameHeight(height);
    return m_app.formatOptions.frameRateIndex == 1 ? core::VideoStandard::ntsc() : core::VideoStandard::pal();
}

void InputDialog::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().constFirst().isLocalFile())
        event->acceptProposedAction();
}

void InputDialog::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    activateWindow();
    // The open dialog comes up with the dropped file chosen, so the user confirms what is opened.
    openWithDialog(1, urls.constFirst().toLocalFile());
}

// --- show, options, time continuation -------------------------------------------------------------

void InputDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The proposed start: where the last run's clock stopped, so the next DVD continues its timing.
    const ClockState &clock = m_app.batch.clock;
    setLastTimeCode(core::addTimeCodes(clock.timeBase, core::millisecondsToTimeCode(core::ptsToMilliseconds(clock.curScr))));
    actionChanged();
    timeBoxChanged();
    const bool haveText = m_app.subtitles.count() > 0;
    m_clearText->setEnabled(haveText);
    m_viewText->setEnabled(haveText);
}

void InputDialog::actionChanged()
{
    const int item = m_action->checkedId();
    m_pictTiming->setEnabled(item == 1 || item == 2);
    // Bitmaps are saved by the save-bitmaps action and from the only-show action's controller.
    const QSignalBlocker block(m_compress);
    m_compress->setChecked(m_app.presets.settings.compress);
    m_compress->setEnabled(item == 1 || item == 3);
}

void InputDialog::resetTimeContinuation()
{
    for (core::ui::WordEdit *box : m_time) {
        const QSignalBlocker block(box);
        box->setValue(0);
    }
    // A new DVD: the next pack takes its time base from the boxes, and the cell times start again.
    ClockState &clock = m_app.batch.clock;
    clock.firstPack = true;
    clock.runningTime = {};
    clock.cellBase = {};
    clock.cellTime = {};
    clock.cellCount = 1;
    clock.frameStep = 0;
    clock.curScr = 0;
    clock.prevScr = 0;
    clock.scrDelta = 0;
    if (MainWindow *main = m_app.mainWindow())
        main->setChapterCount(0);
    timeBoxChanged();
}

void InputDialog::timeBoxChanged()
{
    bool any = false;
    for (core::ui::WordEdit *box : m_time)
        any = any || box->value() != 0;
    m_resetTc->setEnabled(any);
    // Edited times take effect at the next pack read.
    m_app.batch.clock.firstPack = true;
    m_app.batch.clock.startTime = lastTimeCode();
}

core::TimeCode InputDialog::lastTimeCode() const
{
    return core::TimeCode{int32_t(m_time[0]->value()), int32_t(m_time[1]->value()), int32_t(m_time[2]->value()),
                          int32_t(m_time[3]->value())};
}

void InputDialog::setLastTimeCode(const core::TimeCode &t)
{
    const int values[4] = {t.hour, t.minute, t.second, t.fraction};
    for (size_t i = 0; i < 4; ++i)
        m_time[i]->setValue(std::clamp<int64_t>(values[i], m_time[i]->minimum(), m_time[i]->maximum()));
}

void InputDialog::clearText()
{
    // The ripped text is the user's work: it goes only when they say so.
    if (m_app.subtitles.count() > 0
        && m_app.prompt().confirmYesNo(m_app.message(core::Msg::Confirm) + QStringLiteral("\r\n")
                                       + m_app.message(core::Msg::ReallyClearAllText))
               == core::Answer::Yes) {
        m_app.subtitles.clear();
        Q_EMIT textCleared();
    }
    const bool haveText = m_app.subtitles.count() > 0;
    m_clearText->setEnabled(haveText);
    m_viewText->setEnabled(haveText);
}

void InputDialog::verifyStreams()
{
    if (!anyRowTicked(m_rows)) {
        warnNothingSelected();
        return;
    }
    if (StreamScanWindow *scan = m_app.streamScanWindow())
        core::ui::execOver(*scan, this);
}

void InputDialog::warnNothingSelected()
{
    m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") + m_app.message(core::Msg::NoVobSubSelected));
}

// --- Start ---------------------------------------------------------------------------------------

bool InputDialog::start()
{
    std::optional<StartRequest> request = buildStartRequest();
    if (!request)
        return false; // abandoned: nothing has changed
    commitStart(*request);
    return true;
}

std::optional<StartRequest> InputDialog::buildStartRequest()
{
    if (!anyRowTicked(m_rows)) {
        if (!m_app.commandLineMode)
            warnNothingSelected();
        return std::nullopt;
    }
    StartRequest request;
    request.action = actionOfItem(m_action->checkedId());
    request.withTiming = m_pictTiming->isChecked();
    request.avoidTimeRestart = m_avoidTimeRestart->isChecked();

    switch (request.action) {
    case picture::ActionMode::RecogniseText:
        if (!confirmKeepText(request))
            return std::nullopt;
        // Text cannot go into a picture-script format: the user may choose another, else it is the
        // program's own text format.
        if (m_app.config.main.activePage >= subtitles::kFirstPictureScriptFormat) {
            if (auto *formats = qobject_cast<QDialog *>(m_app.window(QStringLiteral("Form13"))))
                core::ui::execOver(*formats, this);
            if (m_app.config.main.activePage >= subtitles::kFirstPictureScriptFormat)
                request.outputFormat = subtitles::OutputFormat::Glyfex;
        }
        request.characterLocation = characterLocationOfItem(m_language->currentText());
        break;
    case picture::ActionMode::SaveBitmaps:
    case picture::ActionMode::SaveRawSubpictures: {
        if (request.withTiming && !confirmKeepText(request))
            return std::nullopt;
        const bool bitmaps = request.action == picture::ActionMode::SaveBitmaps;
        if (m_app.commandLineMode && bitmaps) {
            // The command line named the pictures already; nobody is there to ask.
            request.pictureBaseName = m_app.batch.pictureBaseName;
            break;
        }
        // The dialog offers the last run's picture name in the folder it was chosen in.
        const QString folder = m_app.dialogFolder(m_app.config.main.saveDialogBmpSup);
        const QString start = m_app.batch.pictureBaseName.isEmpty()
                                ? folder
                                : QDir(folder).filePath(QFileInfo(m_app.batch.pictureBaseName).fileName());
        request.pictureBaseName = m_app.files().saveFile(this, m_app.message(bitmaps ? core::Msg::SaveBmpsFileName : core::Msg::SaveSupsFileName), start,
                                                         bitmaps ? QStringLiteral("BMP (*.bmp)|*.bmp")
                                                                 : QStringLiteral("SUP (*.sup)|*.sup"));
        if (request.pictureBaseName.isEmpty())
            return std::nullopt;
        break;
    }
    default:
        break; // only show: pictures are named when the controller saves one
    }
    // A split text keeps to its range: subtitles the run adds beyond it are not listed.
    if (request.action != picture::ActionMode::OnlyShow && m_app.subtitlesWindow()
        && m_app.subtitlesWindow()->splitMode())
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n")
                            + m_app.message(core::Msg::SplitOutputEnabled) + QLatin1Char('\r')
                            + m_app.message(core::Msg::NewSubtitlesMightNotAppear));

    request.streamNumber = m_language->count() > 0 ? streamNumberOfItem(m_language->currentText()).value_or(0) : 0;
    collectStartFiles(m_rows, request);
    request.standard = inputStandard();
    request.frameSize = m_app.input.frameSize;
    request.startTime = lastTimeCode();
    request.useMap = m_app.config.options.buildMap;
    request.useIndexOffsets = m_app.config.options.useFileOffsets;

    // A VobSub run reads its unit times from the index: they are read now, and an index that
    // cannot be read abandons the Start before anything is changed.
    if (request.files.size() == 1 && request.files.constFirst().endsWith(QStringLiteral(".sub"), Qt::CaseInsensitive)
        && !m_app.input.idxFileName.isEmpty()) {
        core::Result<VobSubTiming> timing = readVobSubTimes(m_app.input.idxFileName, request.streamNumber);
        if (!timing) {
            m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + timing.error().message());
            return std::nullopt;
        }
        if (timing->negativeTimes)
            m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n")
                                + m_app.message(core::Msg::NegativeTimings));
        request.idxFileName = m_app.input.idxFileName;
        request.vobSubUnits = timing->units;
    }
    return request;
}

bool InputDialog::confirmKeepText(StartRequest &request)
{
    if (m_app.subtitles.count() <= 0)
        return true;
    const QString text = m_app.message(core::Msg::Information) + QStringLiteral("\r\n") + m_app.message(core::Msg::SubtitlesFileNotEmpty) + QLatin1Char('\r')
                       + m_app.message(core::Msg::AddToEndOfFile);
    auto *subtitles = qobject_cast<subtitles::ui::SubtitlesWindow *>(m_app.subtitlesWindow());
    for (;;) {
        switch (m_app.prompt().confirm(text)) {
        case core::Answer::Yes:
            return true;
        case core::Answer::No:
            // A new text: the Subtitles window's clear asks first when the text is not saved. No there
            // keeps the text and the first question comes again, where Cancel abandons the Start.
            if (!subtitles || subtitles->askToClear() == core::Answer::Yes) {
                request.clearSubtitles = true; // done when the run is armed, so a later Cancel loses nothing
                return true;
            }
            continue;
        default:
            return false;
        }
    }
}

void InputDialog::commitStart(const StartRequest &request)
{
    BatchState &batch = m_app.batch;
    MainWindow *main = m_app.mainWindow();
    if (batch.processing && !batch.paused && main)
        main->togglePause(this); // a pass still running must stop before its list changes
    if (request.clearSubtitles) {
        // The Subtitles window's clear, its question answered above: the list, the file name and the
        // skipped count go with the text.
        if (auto *subtitles = qobject_cast<subtitles::ui::SubtitlesWindow *>(m_app.subtitlesWindow()))
            subtitles->clearWithoutQuestion();
        m_app.subtitles.clear();
    }
    updatePalette();
    commitStartRequest(request, batch);
    if (request.outputFormat)
        m_app.config.main.activePage = int(*request.outputFormat);
    // The pictures' script belongs beside them: the Subtitles window takes their name and folder.
    if (!request.pictureBaseName.isEmpty() && !m_app.commandLineMode) {
        m_app.config.main.saveDialogBmpSup = QFileInfo(request.pictureBaseName).absolutePath();
        if (subtitles::ui::SubtitlesWindow *subtitles = m_app.subtitlesWindow())
            subtitles->followPictureBase(request.pictureBaseName);
    }
    // Saving or showing bitmaps: the Bitmap adjustment dialog comes before the first picture.
    if (request.action == picture::ActionMode::SaveBitmaps || request.action == picture::ActionMode::OnlyShow) {
        if (auto *adjust = qobject_cast<subtitles::ui::BitmapAdjustDialog *>(m_app.window(QStringLiteral("Form18"))))
            adjust->session().setShowBeforeNext(true);
    }
    if (ProgressController *controller = m_app.progressController())
        controller->setNoStop(false); // the controller comes after every picture again
    m_app.runClock.start();
    if (main) {
        main->resetRunDisplays();
        main->clearPreviewPicture();
    }
    const bool showSubtitles = request.action == picture::ActionMode::RecogniseText
                            || ((request.action == picture::ActionMode::SaveBitmaps
                                 || request.action == picture::ActionMode::SaveRawSubpictures)
                                && request.withTiming);
    if (showSubtitles && !m_app.commandLineMode) { // an unattended job shows no window
        if (QWidget *subtitles = m_app.subtitlesWindow())
            subtitles->show();
    }
    // What the run adds comes from the disc, with its colours: the text is no longer one read from a file.
    if (subtitles::ui::SubtitlesWindow *subtitles = m_app.subtitlesWindow())
        subtitles->setLoadedFromFile(false);
    if (batch.paused && main)
        main->togglePause(this); // releases the run: the next timer tick reads the first file
}

void InputDialog::enableMatrixCommands()
{
    m_openMatrix->setEnabled(true);
    m_newMatrix->setEnabled(true);
}

void InputDialog::setMatrixFileName(const QString &name)
{
    m_matrixFile->setText(name);
}

} // namespace glyfex::ripping::ui
