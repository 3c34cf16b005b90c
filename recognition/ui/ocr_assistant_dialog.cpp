// The OCR assistant's three modes: colour choice, matrix fill from a font with the fitting view, and typing a skipped picture's text.
#include "recognition/ui/ocr_assistant_dialog.h"

#include "core/ui/dialog_owner.h"
#include "core/ui/named_widget.h"
#include "subtitles/style_tags.h"
#include "recognition/picture_reduction.h"
#include "recognition/text_colour.h"
#include "recognition/ui/font_text_renderer.h"
#include "recognition/ui/new_character_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace glyfex::recognition::ui {

namespace {

// The colours of the pixel codes 0-3 in the colour mode, and the face colour of unchosen codes.
const QRgb kCodeColours[4] = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255)};
const QRgb kFaceColour = qRgb(0xEF, 0xEF, 0xEF);
const QString kSampleText = QStringLiteral("Sample text.");

QSpinBox *spinBox(QWidget *parent, const char *name)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(QLatin1String(name));
    s->setKeyboardTracking(true);
    return s;
}

QLabel *instruction(const char *name, const QString &text)
{
    auto *l = core::ui::named(name, new QLabel(text));
    l->setWordWrap(true);
    return l;
}

// The rendering as a black-and-white picture.
// The sample's ink where it falls on black in the picture.
constexpr QRgb kSampleOnBlack = 0xFFFF0000;

QImage renderingImage(const picture::CodeImage &picture)
{
    QImage image(std::max(picture.width, 1), std::max(picture.height, 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.at(x, y) == kFontInk)
                image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

} // namespace

OcrAssistantDialog::OcrAssistantDialog(CharMatrix &matrix, RunControl &control, core::UserPrompt &prompt,
                                       const core::MessageTable *messages, QWidget *parent)
    : QDialog(parent), m_matrix(matrix), m_control(control), m_prompt(prompt), m_messages(messages)
{
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QStringLiteral("OCR Assistant"));
    setModal(true);

    m_pagesUp = new QStackedWidget(this);
    m_pagesUp->setObjectName(QStringLiteral("PageControlUp"));
    m_pagesUp->addWidget(instruction("Label1", QStringLiteral(
        "No text was recognised in this subpicture. Type its text below, one subtitle line per line, or skip it.")));
    m_pagesUp->addWidget(instruction("Label2", QStringLiteral(
        "Check the one or two colours that form the text: the text colour first, then its outline. "
        "Unchecked colours disappear from the picture.")));
    m_pagesUp->addWidget(instruction("Label3", QStringLiteral(
        "Type a word of the subtitle and choose its font. Fit the sample over that word with the position, size "
        "and slant until its letters hide the picture's and no red shows: the size and slant are what is learnt. "
        "Choose the characters to learn and press Done.")));
    m_pagesUp->setMaximumHeight(60);

    m_panel = new QScrollArea(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setAlignment(Qt::AlignCenter);
    m_panel->setMinimumHeight(140);
    m_image = new QLabel;
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setAlignment(Qt::AlignCenter);
    m_panel->setWidget(m_image);
    m_panel->setWidgetResizable(true);
    // Its caption is the zoom it offers, read back below: no language file may change it.
    m_zoom = core::ui::runTimeText(core::ui::namedButton("ButtonZoom", QStringLiteral("x2"), this));
    connect(m_zoom, &QPushButton::clicked, this, [this] {
        m_zoom->setText(m_zoom->text() == QLatin1String("x2") ? QStringLiteral("x1") : QStringLiteral("x2"));
        drawText();
    });

    m_pagesBottom = new QStackedWidget(this);
    m_pagesBottom->setObjectName(QStringLiteral("PageControlBottom"));

    // Skipped item page.
    auto *skipped = new QWidget;
    m_memo = new QPlainTextEdit(skipped);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    auto *skipButton = core::ui::namedButton("ButtonSkipSubPict", QStringLiteral("Skip This &SubPicture"), skipped);
    auto *colourButton = core::ui::namedButton("ButtonChangeColor", QStringLiteral("&Change Text Color"), skipped);
    auto *pauseButton = core::ui::namedButton("ButtonPause", QStringLiteral("&Pause / Abort"), skipped);
    connect(skipButton, &QPushButton::clicked, this, &OcrAssistantDialog::skipPicture);
    connect(colourButton, &QPushButton::clicked, this, &OcrAssistantDialog::changeColour);
    connect(pauseButton, &QPushButton::clicked, this, &OcrAssistantDialog::pause);
    auto *skippedButtons = new QVBoxLayout;
    skippedButtons->addWidget(skipButton);
    skippedButtons->addWidget(colourButton);
    skippedButtons->addWidget(pauseButton);
    skippedButtons->addStretch();
    auto *skippedLayout = new QHBoxLayout(skipped);
    skippedLayout->addWidget(m_memo, 1);
    skippedLayout->addLayout(skippedButtons);
    m_pagesBottom->addWidget(skipped);

    // Change colour page.
    auto *colours = new QWidget;
    auto *coloursLayout = new QHBoxLayout(colours);
    for (int code = 0; code < 4; ++code) {
        auto *box = new QCheckBox(colours);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(code));
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, &OcrAssistantDialog::highlightSelectedColours);
        auto *shape = new QFrame(colours);
        shape->setObjectName(QStringLiteral("Shape%1").arg(code));
        shape->setFixedSize(40, 24);
        shape->setFrameShape(QFrame::Box);
        shape->setAutoFillBackground(true);
        QPalette pal = shape->palette();
        pal.setColor(QPalette::Window, QColor(kCodeColours[code]));
        shape->setPalette(pal);
        m_codeBoxes[size_t(code)] = box;
        coloursLayout->addWidget(box);
        coloursLayout->addWidget(shape);
        coloursLayout->addSpacing(16);
    }
    coloursLayout->addStretch();
    m_pagesBottom->addWidget(colours);

    // Fill page.
    auto *fill = new QWidget;
    m_editFill = new QLineEdit(kSampleText, fill);
    m_editFill->setObjectName(QStringLiteral("EditFill"));
    m_imageText = new QLabel(fill);
    m_imageText->setObjectName(QStringLiteral("ImageText"));
    m_imageText->setMinimumHeight(40);
    m_imageText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The sample of an HD picture's font is wider than a laptop's screen: it is cut at the page's edge
    // rather than widening the window until Done is off the screen.
    m_imageText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_left = spinBox(fill, "TextLeft");
    m_top = spinBox(fill, "TextTop");
    m_width = spinBox(fill, "TextWidth");
    m_height = spinBox(fill, "TextHeight");
    m_angle = spinBox(fill, "seAngle");
    m_angle->setRange(-35, 35);
    m_angle->setValue(0);
    auto *fontButton = core::ui::namedButton("ButtonCharFont", QStringLiteral("Font"), fill);
    connect(fontButton, &QPushButton::clicked, this, &OcrAssistantDialog::chooseFont);
    m_fillText = new QLineEdit(fill);
    m_fillText->setObjectName(QStringLiteral("eFillText"));
    m_fillText->setPlaceholderText(QStringLiteral("Characters to fill"));
    m_fillText->setToolTip(QStringLiteral("Characters to fill"));
    // Whole scripts are filled at once: the Han range alone holds over 20,000 characters.
    m_fillText->setMaxLength(std::numeric_limits<int>::max());
    m_ranges = new QListWidget(fill);
    m_ranges->setObjectName(QStringLiteral("lbSubranges"));
    m_ranges->setMinimumWidth(300);
    for (const FillRange &range : kFillRanges) {
        auto *item = new QListWidgetItem(fillRangeItem(range), m_ranges);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(m_ranges, &QListWidget::itemChanged, this, &OcrAssistantDialog::rangesChecked);
    connect(m_editFill, &QLineEdit::textChanged, this, [this](const QString &text) {
        for (QSpinBox *s : {m_left, m_top, m_width, m_height})
            s->setEnabled(!text.isEmpty());
        drawText();
    });
    for (QSpinBox *s : {m_left, m_top, m_width, m_height, m_angle})
        connect(s, &QSpinBox::valueChanged, this, &OcrAssistantDialog::drawText);
    auto *fitting = new QGridLayout;
    const char *labels[] = {"Left:", "Top:", "Width:", "Height:", "Slant:"};
    const char *labelNames[] = {"Label4", "Label5", "Label6", "Label7", "Label8"};
    QSpinBox *boxes[] = {m_left, m_top, m_width, m_height, m_angle};
    for (int i = 0; i < 5; ++i) {
        fitting->addWidget(core::ui::named(labelNames[i], new QLabel(QString::fromLatin1(labels[i]), fill)), i / 3,
                           2 * (i % 3));
        fitting->addWidget(boxes[i], i / 3, 2 * (i % 3) + 1);
    }
    fitting->addWidget(fontButton, 1, 4, 1, 2);
    auto *fillLeft = new QVBoxLayout;
    fillLeft->addWidget(m_editFill);
    fillLeft->addWidget(m_imageText);
    fillLeft->addLayout(fitting);
    fillLeft->addWidget(m_fillText);
    auto *fillLayout = new QHBoxLayout(fill);
    fillLayout->addLayout(fillLeft, 3);
    fillLayout->addWidget(m_ranges, 2);
    m_pagesBottom->addWidget(fill);

    // Shared: the palette of characters and the buttons that close.
    m_language = new QLabel(QStringLiteral("Language:"), this);
    m_language->setObjectName(QStringLiteral("lLanguage"));
    m_location = new QComboBox(this);
    m_location->setObjectName(QStringLiteral("ComboBoxCharLoc"));
    connect(m_location, &QComboBox::activated, this, [this] {
        if (m_paletteSource)
            m_paletteSource->setLocation(m_location->currentText());
        loadPalette();
        if (m_mode == OcrAssistState::FillMatrixRequested) {
            m_editFill->setFont(m_fillFont);
            m_editFill->setFocus();
            m_editFill->end(false);
        } else {
            m_memo->setFocus();
            m_memo->moveCursor(QTextCursor::End);
        }
    });
    m_charmap = core::ui::namedButton("ButtonCharmap", QStringLiteral("Character Map"), this);
    connect(m_charmap, &QPushButton::clicked, this, [this] {
        if (m_paletteSource)
            m_paletteSource->openCharMap();
    });
    m_grid = new QTableWidget(3, 1, this);
    m_grid->setObjectName(QStringLiteral("sg"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(24);
    // Room for the three rows and the scroll bar a long row brings, so the last row is never half hidden.
    m_grid->setFixedHeight(3 * 24 + 2 * m_grid->frameWidth() + m_grid->horizontalScrollBar()->sizeHint().height());
    m_grid->horizontalHeader()->setDefaultSectionSize(24);
    connect(m_grid, &QTableWidget::cellClicked, this, &OcrAssistantDialog::paletteClicked);
    m_grid->viewport()->installEventFilter(this);

    auto *done = core::ui::namedButton("bbDone", QStringLiteral("&Done"), this);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    m_cancel = core::ui::namedButton("bbCancel", QStringLiteral("Cancel"), this);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *pictureRow = new QHBoxLayout;
    pictureRow->addWidget(m_panel, 1);
    pictureRow->addWidget(m_zoom, 0, Qt::AlignTop);
    auto *paletteRow = new QHBoxLayout;
    paletteRow->addWidget(m_language);
    paletteRow->addWidget(m_location);
    paletteRow->addWidget(m_charmap);
    paletteRow->addStretch();
    auto *bottomRow = new QHBoxLayout;
    bottomRow->addWidget(m_grid, 1);
    bottomRow->addWidget(done, 0, Qt::AlignBottom);
    bottomRow->addWidget(m_cancel, 0, Qt::AlignBottom);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pagesUp);
    layout->addLayout(pictureRow, 1);
    layout->addWidget(m_pagesBottom);
    layout->addLayout(paletteRow);
    layout->addLayout(bottomRow);
    resize(720, 542);

    m_fillFont = font();
}

QString OcrAssistantDialog::message(int index) const
{
    return m_messages ? m_messages->text(index) : core::builtInMessage(index);
}

QImage OcrAssistantDialog::colourPicture(const picture::CodeImage &colourIndexes) const
{
    const std::array<uint32_t, 16> palette = m_dvdPalette ? m_dvdPalette() : std::array<uint32_t, 16>{};
    QImage image(std::max(colourIndexes.width, 1), std::max(colourIndexes.height, 1), QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int y = 0; y < colourIndexes.height; ++y)
        for (int x = 0; x < colourIndexes.width; ++x) {
            const uint32_t bgr = palette[colourIndexes.at(x, y) & 15];
            image.setPixel(x, y, qRgb(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)));
        }
    return image;
}

void OcrAssistantDialog::showPicture(const QImage &image)
{
    const bool zoomed = m_mode == OcrAssistState::FillMatrixRequested && m_zoom->text() == QLatin1String("x1");
    const QPixmap pixmap = QPixmap::fromImage(zoomed ? image.scaled(image.size() * 2) : image);
    m_image->setPixmap(pixmap);
    m_image->setMinimumSize(pixmap.size());
}

void OcrAssistantDialog::setUpMode(uint8_t mode)
{
    m_mode = mode;
    m_suppress = false;
    m_afterClose = false;
    const bool colour = mode == OcrAssistState::ColourChangeRequested;
    const bool fill = mode == OcrAssistState::FillMatrixRequested;
    const int page = colour ? ColourPage : fill ? FillPage : SkippedPage;
    m_pagesUp->setCurrentIndex(page);
    m_pagesBottom->setCurrentIndex(page);
    // Each showing starts from the font of the Subtitles window's list.
    if (m_startFont)
        m_fillFont = *m_startFont;
    m_editFill->setFont(m_fillFont);
    m_language->setVisible(!colour);
    m_location->setVisible(!colour);
    m_charmap->setVisible(!colour);
    m_grid->setVisible(!colour);
    m_cancel->setVisible(colour || fill);
    m_zoom->setVisible(fill);
    m_zoom->setEnabled(fill);
    if (colour) {
        setWindowTitle(message(core::Msg::FontColourSelection));
        highlightSelectedColours();
        resize(width(), 448);
        return;
    }
    if (fill) {
        const int w = m_colourImage.width();
        const int h = m_colourImage.height();
        const int blanks = fontMetrics().horizontalAdvance(QStringLiteral("   "));
        m_editFill->setText(kSampleText);
        m_left->setRange(-w, w);
        m_left->setValue(-blanks);
        m_top->setRange(-h, h);
        m_top->setValue(0);
        // A size of 0 would make the scale of the fill infinite.
        m_width->setRange(1, std::max(2 * w, 1));
        m_width->setValue(w + 2 * blanks);
        m_height->setRange(1, std::max(2 * h, 1));
        m_height->setValue(h);
        setWindowTitle(message(core::Msg::FillMatrix));
        drawText();
        resize(width(), 578);
        m_editFill->setFocus();
    } else {
        m_memo->clear();
        showPicture(m_colourImage);
        setWindowTitle(message(core::Msg::ProcessingSkippedItem));
        resize(width(), 542);
        m_memo->setFocus();
    }
    loadPalette();
}

void OcrAssistantDialog::loadPalette()
{
    // The New Character(s) dialog owns the palette file; this window shows the same locations and cells.
    NewCharacterDialog *source = m_paletteSource.data();
    if (source) {
        const QSignalBlocker block(m_location);
        m_location->clear();
        m_location->addItems(source->locations());
        // The location is the combo's text: it may name a location the file does not hold yet.
        const QString current = source->characterLocation();
        if (!current.isEmpty() && m_location->findText(current) < 0)
            m_location->addItem(current);
        m_location->setCurrentIndex(m_location->findText(current));
    }
    m_charmap->setEnabled(source && source->charMapAvailable());
    m_grid->clear();
    if (!source) {
        m_grid->setColumnCount(1);
        return;
    }
    m_grid->setColumnCount(source->paletteColumns());
    for (int r = 0; r < std::min(3, source->paletteRows()); ++r)
        for (int c = 0; c < source->paletteColumns(); ++c)
            if (const QString text = source->paletteCell(r, c); !text.isEmpty())
                m_grid->setItem(r, c, new QTableWidgetItem(text));
    m_grid->setColumnWidth(0, 60);
}

void OcrAssistantDialog::paletteClicked(int row, int column)
{
    const QTableWidgetItem *item = m_grid->item(row, column);
    if (column < 1 || !item || item->text().isEmpty())
        return;
    if (m_mode == OcrAssistState::FillMatrixRequested) {
        m_editFill->setText(m_editFill->text() + item->text());
        m_editFill->setFocus();
        m_editFill->end(false);
    } else {
        m_memo->moveCursor(QTextCursor::End);
        m_memo->insertPlainText(item->text());
        m_memo->setFocus();
    }
}

void OcrAssistantDialog::setPaletteSource(NewCharacterDialog *newCharacterDialog)
{
    m_paletteSource = newCharacterDialog;
}

bool OcrAssistantDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex index = m_grid->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::RightButton && index.isValid()) {
            // The New Character(s) dialog owns the palette file: it takes the paste, this grid follows.
            if (m_paletteSource && m_paletteSource->pasteIntoPalette(index.row(), index.column()))
                loadPalette();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OcrAssistantDialog::highlightSelectedColours()
{
    if (m_mode != OcrAssistState::ColourChangeRequested)
        return;
    QImage image(std::max(m_codes.width, 1), std::max(m_codes.height, 1), QImage::Format_RGB32);
    image.fill(kFaceColour);
    for (int y = 0; y < m_codes.height; ++y)
        for (int x = 0; x < m_codes.width; ++x) {
            const uint8_t code = m_codes.at(x, y) & 3;
            if (m_codeBoxes[code]->isChecked())
                image.setPixel(x, y, kCodeColours[code]);
        }
    showPicture(image);
}

void OcrAssistantDialog::setFillFont(const QFont &font)
{
    m_fillFont = font;
    m_editFill->setFont(font);
    drawText();
}

QFont fontDialogStart(const QFont &font)
{
    const QFontInfo resolved(font);
    QFont start(font);
    start.setFamily(resolved.family());
    if (!resolved.styleName().isEmpty())
        start.setStyleName(resolved.styleName());
    return start;
}

void OcrAssistantDialog::chooseFont()
{
    QFont font = m_fillFont;
    bool ok = false;
    if (m_chooseFont) {
        ok = m_chooseFont(font);
    } else {
        QFontDialog dialog(fontDialogStart(m_fillFont));
        ok = core::ui::execOver(dialog, this) == QDialog::Accepted;
        if (ok)
            font = dialog.selectedFont();
    }
    if (ok)
        setFillFont(font);
    m_editFill->setFocus();
    m_editFill->end(false);
}

const FontTextRenderer &OcrAssistantDialog::fillRenderer() const
{
    // Made again only when the font changed: it reads the font's file.
    if (!m_renderer || m_renderer->font() != m_fillFont)
        m_renderer = std::make_unique<FontTextRenderer>(m_fillFont);
    return *m_renderer;
}

void OcrAssistantDialog::drawText()
{
    if (m_mode != OcrAssistState::FillMatrixRequested)
        return;
    const FontTextRenderer &renderer = fillRenderer();
    const picture::CodeImage sample = renderSampleLine(renderer, m_editFill->text(), m_angle->value());
    m_sample = renderingImage(sample);
    m_imageText->setPixmap(QPixmap::fromImage(m_sample));
    QImage shown = m_colourImage.convertToFormat(QImage::Format_RGB32);
    if (!m_editFill->text().isEmpty() && sample.width > 0) {
        const QRect target(m_left->value(), m_top->value(), m_width->value(), m_height->value());
        // Black ink darkens the picture, white paper leaves it as it is.
        QPainter painter(&shown);
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(target, m_sample);
        painter.end();
        // Subtitle pictures mostly stand on black, where darkening shows nothing: a sample too large or
        // beside the letters would look fitted. Its ink there is shown in red instead.
        QImage ink(shown.size(), QImage::Format_RGB32);
        ink.fill(Qt::white);
        QPainter inkPainter(&ink);
        inkPainter.drawImage(target, m_sample);
        inkPainter.end();
        const QImage picture = m_colourImage.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shown.height(); ++y) {
            const QRgb *from = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            const QRgb *drawn = reinterpret_cast<const QRgb *>(ink.constScanLine(y));
            QRgb *to = reinterpret_cast<QRgb *>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                if (qRed(drawn[x]) == 0 && (from[x] & 0xFFFFFF) == 0)
                    to[x] = kSampleOnBlack;
        }
    }
    showPicture(shown);
}

void OcrAssistantDialog::rangesChecked()
{
    QString text;
    for (int i = 0; i < m_ranges->count(); ++i) {
        const QListWidgetItem *item = m_ranges->item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        const auto [first, last] = parseFillRangeItem(item->text());
        text += rangeCharacters(first, last);
    }
    m_fillText->setText(text);
}

FillGeometry OcrAssistantDialog::fillGeometry() const
{
    const FontTextRenderer &renderer = fillRenderer();
    const picture::CodeImage sample = renderSampleLine(renderer, m_editFill->text(), m_angle->value());
    FillGeometry g;
    g.angleDegrees = m_angle->value();
    g.sampleWidth = sample.width;
    g.sampleHeight = sample.height;
    g.fittedWidth = m_width->value();
    g.fittedHeight = m_height->value();
    g.sampleText = m_editFill->text();
    if (m_fillFont.bold())
        g.style |= subtitles::StyleBold;
    if (m_fillFont.italic())
        g.style |= subtitles::StyleItalic;
    if (m_fillFont.underline())
        g.style |= subtitles::StyleUnderline;
    return g;
}

QStringList OcrAssistantDialog::fillItemsToLearn() const
{
    QStringList items = fillItems(m_fillText->text());
    // A palette cell is learnt as one entry, two characters in a cell included.
    for (int r = 0; r < m_grid->rowCount(); ++r)
        for (int c = 1; c < m_grid->columnCount(); ++c)
            if (const QTableWidgetItem *item = m_grid->item(r, c); item && !item->text().isEmpty())
                items.append(item->text());
    return items;
}

void OcrAssistantDialog::finishFillMode()
{
    const FontTextRenderer &renderer = fillRenderer();
    FillReading reading = m_reading ? m_reading() : FillReading{};
    // The sample was fitted over the picture at its own size; recognition reads it reduced.
    reading.reduction = m_reduction;
    m_lastFill = fillMatrixFromFont(m_matrix, renderer, fillItemsToLearn(), fillGeometry(), reading);
    if (m_lastFill.added > 0 && m_filled)
        m_filled();
}

bool OcrAssistantDialog::finishColourMode()
{
    std::array<bool, 4> checked{};
    for (int code = 0; code < 4; ++code)
        checked[size_t(code)] = m_codeBoxes[size_t(code)]->isChecked();
    const auto ink = inkCodesOfChoice(checked);
    if (!ink) {
        m_prompt.error(message(core::Msg::Error) + QStringLiteral("\r\n") + message(core::Msg::CheckOneOrTwoColours));
        return false;
    }
    if (m_state) {
        m_state->mode = OcrAssistState::Fixed;
        m_state->fixedInk = *ink;
    }
    return true;
}

void OcrAssistantDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        if (m_mode == OcrAssistState::ColourChangeRequested && !finishColourMode())
            return; // the window stays open until one or two colours are checked
        if (m_mode == OcrAssistState::FillMatrixRequested)
            finishFillMode();
    }
    QDialog::done(result);
}

void OcrAssistantDialog::reject()
{
    // Closing the colour or fill mode without Done pauses the run, so the picture is read again.
    if (m_mode == OcrAssistState::ColourChangeRequested || m_mode == OcrAssistState::FillMatrixRequested)
        m_control.pauseAndRewind();
    QDialog::reject();
}

void OcrAssistantDialog::skipPicture()
{
    m_suppress = true;
    if (m_run)
        m_run->countSkipped();
    QDialog::done(QDialog::Rejected);
}

void OcrAssistantDialog::changeColour()
{
    m_suppress = true;
    m_afterClose = true;
    QDialog::done(QDialog::Rejected);
}

void OcrAssistantDialog::pause()
{
    // The picture is read again on resume: it must not leave a subtitle now as well.
    m_suppress = true;
    QDialog::done(QDialog::Rejected);
    m_control.pauseAndRewind();
}

bool OcrAssistantDialog::assist(const picture::DecodedPicture &picture, OcrAssistState &assist)
{
    m_state = &assist;
    m_codes = picture.codes;
    m_reduction = reductionFactor(picture.frameHeight);
    m_colourImage = colourPicture(buildColourImage(picture.codes, picture.colourMap));
    setUpMode(assist.mode);
    const bool ok = core::ui::execOver(*this, parentWidget()) == QDialog::Accepted;
    m_state = nullptr;
    return ok;
}

subtitles::SkippedItemAsker::Answer OcrAssistantDialog::askSkippedItem(const picture::CodeImage &colourIndexes)
{
    m_colourImage = colourPicture(colourIndexes);
    m_codes = {};
    setUpMode(OcrAssistState::Automatic);
    core::ui::execOver(*this, parentWidget());
    subtitles::SkippedItemAsker::Answer answer;
    if (m_suppress) {
        answer.suppress = true;
    } else {
        QStringList lines = m_memo->toPlainText().split(QLatin1Char('\n'));
        // The Enter after the last line starts no line of its own.
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
            lines.removeLast();
        answer.text = lines;
    }
    if (m_afterClose) {
        m_afterClose = false;
        m_control.requestColourChange();
    }
    m_mode = 0;
    return answer;
}

} // namespace glyfex::recognition::ui
