// The matrix editor: list, glyph view, modify, delete with confirmation, the file description, type-ahead and stay-on-top.
#include "recognition/ui/matrix_editor.h"

#include "core/char_text.h"
#include "core/ui/named_widget.h"
#include "subtitles/style_tags.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace glyfex::recognition::ui {

namespace {

constexpr int kViewWidth = 170;
constexpr int kViewHeight = 100;
constexpr int kMaxShownWidth = 160;
constexpr int kMaxShownHeight = 90;
const QString kCaptionSeparator = QStringLiteral(" | ");

// Every character other than "-" and the digits removed, then read as a number (0 when nothing is left).
int digitsToInt(const QString &text)
{
    QString kept;
    for (QChar c : text)
        if (c == QLatin1Char('-') || c.isDigit())
            kept += c;
    bool ok = false;
    const int value = kept.toInt(&ok);
    return ok ? value : 0;
}

// The list's rows order the Index and Characters columns as text (the zero-padded number keeps its
// numeric order) and the style columns as numbers.
class MatrixRow : public QTreeWidgetItem {
public:
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->header()->sortIndicatorSection() : 0;
        if (column >= MatrixEditor::BoldColumn)
            return digitsToInt(text(column)) < digitsToInt(other.text(column));
        const int c = text(column).localeAwareCompare(other.text(column));
        if (c != 0)
            return c < 0;
        // Equal texts keep the order of their entries, so a re-sort never shuffles them.
        return text(MatrixEditor::IndexColumn) < other.text(MatrixEditor::IndexColumn);
    }
};

QString flag(uint8_t style, uint8_t bit)
{
    return (style & bit) ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QImage glyphImage(const Glyph &glyph)
{
    const int w = std::max<int>(glyph.width, 1);
    const int h = std::max<int>(glyph.height, 1);
    QImage image(w, h, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.pixel(x, y))
                image.setPixel(x, y, 1);
    return image;
}

MatrixEditor::MatrixEditor(CharMatrix &matrix, core::UserPrompt &prompt, const core::MessageTable *messages,
                           QWidget *parent)
    : QDialog(parent), m_matrix(matrix), m_prompt(prompt), m_messages(messages)
{
    setObjectName(QStringLiteral("Form5"));
    m_baseCaption = QStringLiteral("View/Edit Character Matrix");
    setWindowTitle(m_baseCaption);
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListViewMatrix"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({QStringLiteral("Index"), QStringLiteral("Characters"), QStringLiteral("B"),
                             QStringLiteral("I"), QStringLiteral("U")});
    const int widths[] = {56, 96, 28, 28, 28};
    for (int c = 0; c < 5; ++c)
        m_list->setColumnWidth(c, widths[c]);
    for (int c = BoldColumn; c <= UnderlineColumn; ++c)
        m_list->headerItem()->setTextAlignment(c, Qt::AlignCenter);
    // Sorted on request only, so a new row stays where it was put. Switching the view's own sorting off
    // makes the header unclickable too: the header is made clickable after it.
    m_list->setSortingEnabled(false);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSortIndicatorShown(true);
    m_list->setMinimumWidth(260);
    m_list->installEventFilter(this);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &MatrixEditor::sortBy);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        showSelectedChar();
        updateButtons();
    });

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel4"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFixedSize(kViewWidth + 4, kViewHeight + 4);
    m_image = core::ui::named("ImageChar", new QLabel(panel));
    m_image->setGeometry(2, 2, kViewWidth, kViewHeight);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setAutoFillBackground(true);
    QPalette pal = m_image->palette();
    pal.setColor(QPalette::Window, QColor(0xC8, 0xD8, 0xE8));
    m_image->setPalette(pal);

    m_index = core::ui::runTimeText(core::ui::named("LabelCharIndex", new QLabel(this)));
    m_top = core::ui::runTimeText(core::ui::named("LabelRTop", new QLabel(this)));
    m_width = core::ui::runTimeText(core::ui::named("LabelWidth", new QLabel(this)));
    m_height = core::ui::runTimeText(core::ui::named("LabelHeight", new QLabel(this)));
    auto *facts = new QGridLayout;
    const char *captions[] = {"Index:", "Top (Line top relative):", "Width:", "Height:"};
    const char *captionNames[] = {"Label1", "Label2", "Label3", "Label4"};
    QLabel *values[] = {m_index, m_top, m_width, m_height};
    for (int i = 0; i < 4; ++i) {
        facts->addWidget(core::ui::named(captionNames[i], new QLabel(QString::fromLatin1(captions[i]), this)), i, 0);
        facts->addWidget(values[i], i, 1);
    }

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("EditText"));
    m_text->setMaxLength(core::CharText::kCapacity);
    m_nbChar = core::ui::runTimeText(core::ui::named("LabelNbChar", new QLabel(QStringLiteral("0"), this)));
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &t) { m_nbChar->setText(QString::number(t.size())); });
    m_bold = core::ui::named("BoldCheckBox", new QCheckBox(QStringLiteral("Bold"), this));
    m_italic = core::ui::named("ItalicCheckBox", new QCheckBox(QStringLiteral("Italic"), this));
    m_underline = core::ui::named("UnderlineCheckBox", new QCheckBox(QStringLiteral("Underline"), this));
    m_modify = core::ui::namedButton("ButtonModify", QStringLiteral("&Modify"), this);
    m_delete = core::ui::namedButton("ButtonDelete", QStringLiteral("Delete This Character (Del)"), this);
    connect(m_modify, &QPushButton::clicked, this, &MatrixEditor::modifySelected);
    connect(m_delete, &QPushButton::clicked, this, &MatrixEditor::deleteSelected);
    connect(m_text, &QLineEdit::returnPressed, this, &MatrixEditor::modifySelected);

    m_comment = new QPlainTextEdit(this);
    m_comment->setObjectName(QStringLiteral("MemoComment"));
    m_comment->setMaximumHeight(70);
    connect(m_comment, &QPlainTextEdit::textChanged, this, &MatrixEditor::commentChanged);
    m_count = core::ui::runTimeText(core::ui::named("LabelCount", new QLabel(this)));
    m_onTop = core::ui::named("CheckBoxOnTop", new QCheckBox(QStringLiteral("Stay on TOP"), this));
    m_onTop->setChecked(true);
    connect(m_onTop, &QCheckBox::toggled, this, &MatrixEditor::setOnTop);
    auto *open = core::ui::namedButton("ButtonOpenChMatrix", QStringLiteral("Open a Matrix &File"), this);
    connect(open, &QPushButton::clicked, this, [this] {
        if (m_open)
            m_open();
        m_list->setFocus();
    });
    auto *ok = core::ui::namedButton("BitBtn1", QStringLiteral("&OK"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto *textRow = new QHBoxLayout;
    textRow->addWidget(core::ui::named("Label7", new QLabel(QStringLiteral("Characters:"), this)));
    textRow->addWidget(m_text, 1);
    textRow->addWidget(m_nbChar);
    auto *styles = new QHBoxLayout;
    styles->addWidget(m_bold);
    styles->addWidget(m_italic);
    styles->addWidget(m_underline);
    styles->addStretch();

    auto *right = new QVBoxLayout;
    right->addWidget(panel, 0, Qt::AlignHCenter);
    right->addLayout(facts);
    right->addLayout(textRow);
    right->addLayout(styles);
    right->addWidget(m_modify);
    right->addSpacing(8);
    right->addWidget(m_delete);
    right->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(right);

    auto *countRow = new QHBoxLayout;
    countRow->addWidget(core::ui::named("Label9", new QLabel(QStringLiteral("File Description:"), this)));
    countRow->addStretch();
    countRow->addWidget(core::ui::named("Label8", new QLabel(QStringLiteral("Characters:"), this)));
    countRow->addWidget(m_count);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_onTop);
    buttons->addStretch();
    buttons->addWidget(open);
    buttons->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(countRow);
    layout->addWidget(m_comment);
    layout->addLayout(buttons);
    resize(520, 480);

    fillMatrixList();
}

QString MatrixEditor::message(int index) const
{
    return m_messages ? m_messages->text(index) : core::builtInMessage(index);
}

void MatrixEditor::writeRow(QTreeWidgetItem *item, int index) const
{
    const Glyph &g = m_matrix.entry(index);
    item->setText(IndexColumn, QStringLiteral(" %1").arg(index, 5, 10, QLatin1Char('0')));
    item->setText(TextColumn, core::fromCharText(g.text));
    item->setText(BoldColumn, flag(g.style, subtitles::StyleBold));
    item->setText(ItalicColumn, flag(g.style, subtitles::StyleItalic));
    item->setText(UnderlineColumn, flag(g.style, subtitles::StyleUnderline));
    for (int c = BoldColumn; c <= UnderlineColumn; ++c)
        item->setTextAlignment(c, Qt::AlignCenter);
}

QTreeWidgetItem *MatrixEditor::makeRow(int index) const
{
    auto *item = new MatrixRow;
    writeRow(item, index);
    return item;
}

void MatrixEditor::fillMatrixList()
{
    const int selected = selectedIndex();
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(m_matrix.count());
    // A deleted entry is neither matched nor saved any more: listing it again would offer to edit it.
    for (int i = 1; i <= m_matrix.count(); ++i)
        if (!m_matrix.entry(i).deleted)
            rows.append(makeRow(i));
    m_list->addTopLevelItems(rows);
    m_listedUpTo = m_matrix.count();
    sortList();
    m_list->setUpdatesEnabled(true);
    if (selected > 0)
        selectIndex(selected);
    updateCaption();
    updateCount();
    showComment();
    showSelectedChar();
    updateButtons();
}

void MatrixEditor::followMatrix()
{
    if (m_matrix.count() < m_listedUpTo) {
        // Another matrix took this one's place.
        fillMatrixList();
        return;
    }
    if (m_matrix.count() == m_listedUpTo)
        return;
    QList<QTreeWidgetItem *> rows;
    for (int i = m_listedUpTo + 1; i <= m_matrix.count(); ++i)
        if (!m_matrix.entry(i).deleted)
            rows.append(makeRow(i));
    const int newest = m_matrix.count();
    m_listedUpTo = newest;
    // One insertion for the whole batch: a filled alphabet of thousands of entries repaints once.
    m_list->setUpdatesEnabled(false);
    m_list->addTopLevelItems(rows);
    m_list->setUpdatesEnabled(true);
    updateCount();
    if (!rows.isEmpty())
        selectIndex(newest);
}

int MatrixEditor::rowMatrixIndex(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    if (!item)
        return 0;
    bool ok = false;
    const int index = item->text(IndexColumn).trimmed().toInt(&ok);
    return ok ? index : 0;
}

int MatrixEditor::findMatrixRow(int index) const
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        if (rowMatrixIndex(row) == index)
            return row;
    return -1;
}

int MatrixEditor::selectedIndex() const
{
    const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return 0;
    return rowMatrixIndex(m_list->indexOfTopLevelItem(selected.first()));
}

void MatrixEditor::selectIndex(int index)
{
    const int row = findMatrixRow(index);
    if (row >= 0)
        focusRow(m_list->topLevelItem(row));
}

void MatrixEditor::focusRow(QTreeWidgetItem *item)
{
    if (!item)
        return;
    m_list->setCurrentItem(item);
    item->setSelected(true);
    m_list->scrollToItem(item);
}

void MatrixEditor::sortList()
{
    // The rows compare by the indicator's column, so it is set first.
    const Qt::SortOrder order = m_descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_list->header()->setSortIndicator(m_sortColumn, order);
    m_list->sortItems(m_sortColumn, order);
}

void MatrixEditor::sortBy(int column)
{
    if (column < IndexColumn || column > UnderlineColumn)
        return;
    if (column == m_sortColumn) {
        m_descending = !m_descending;
    } else {
        m_sortColumn = column;
        m_descending = false;
    }
    sortList();
    if (QTreeWidgetItem *current = m_list->currentItem())
        m_list->scrollToItem(current);
}

void MatrixEditor::showSelectedChar()
{
    const int index = selectedIndex();
    if (index < 1 || index > m_matrix.count()) {
        m_image->clear();
        for (QLabel *l : {m_index, m_top, m_width, m_height})
            l->clear();
        m_text->clear();
        m_text->setEnabled(true);
        m_text->setReadOnly(false);
        m_bold->setChecked(false);
        m_italic->setChecked(false);
        m_underline->setChecked(false);
        return;
    }
    const Glyph &g = m_matrix.entry(index);
    const QImage image = glyphImage(g);
    const int w = std::min(2 * image.width(), kMaxShownWidth);
    const int h = std::min(2 * image.height(), kMaxShownHeight);
    // A glyph of width or height 0 (an empty entry of an old file) shows an empty area, never a division.
    m_image->setPixmap(g.width && g.height ? QPixmap::fromImage(image.scaled(w, h)) : QPixmap());
    m_index->setText(QString::number(index));
    m_top->setText(QString::number(g.dy));
    m_width->setText(QString::number(g.width));
    m_height->setText(QString::number(g.height));
    m_text->setText(core::fromCharText(g.text));
    const bool fixed = isTakeWithNext(g.text);
    m_text->setReadOnly(fixed);
    m_text->setEnabled(!fixed);
    m_bold->setChecked(g.style & subtitles::StyleBold);
    m_italic->setChecked(g.style & subtitles::StyleItalic);
    m_underline->setChecked(g.style & subtitles::StyleUnderline);
}

void MatrixEditor::updateButtons()
{
    const bool selected = selectedIndex() > 0;
    m_modify->setEnabled(selected);
    m_delete->setEnabled(selected);
}

void MatrixEditor::updateCount()
{
    m_count->setText(QStringLiteral("(\u00E5=%1)").arg(m_list->topLevelItemCount()));
}

void MatrixEditor::updateCaption()
{
    QString caption = windowTitle();
    if (const qsizetype cut = caption.indexOf(kCaptionSeparator); cut >= 0)
        caption.truncate(cut);
    if (!m_matrix.fileName().isEmpty())
        caption += kCaptionSeparator + QFileInfo(m_matrix.fileName()).fileName();
    setWindowTitle(caption);
}

void MatrixEditor::showComment()
{
    if (m_comment->toPlainText() == m_matrix.comment())
        return;
    m_settingComment = true;
    m_comment->setPlainText(m_matrix.comment());
    m_settingComment = false;
}

void MatrixEditor::commentChanged()
{
    if (m_settingComment)
        return;
    QString text = m_comment->toPlainText();
    if (text.size() > CharMatrix::kMaxCommentLength) {
        // A paste or a long typing: the memo keeps what the file can hold, the caret at its end.
        text.truncate(CharMatrix::kMaxCommentLength);
        m_settingComment = true;
        m_comment->setPlainText(text);
        m_comment->moveCursor(QTextCursor::End);
        m_settingComment = false;
    }
    if (text == m_matrix.comment())
        return;
    m_matrix.setComment(text);
    m_matrix.setModified(true);
}

void MatrixEditor::modifySelected()
{
    const int index = selectedIndex();
    if (index < 1)
        return;
    uint8_t style = 0;
    if (m_bold->isChecked())
        style |= subtitles::StyleBold;
    if (m_italic->isChecked())
        style |= subtitles::StyleItalic;
    if (m_underline->isChecked())
        style |= subtitles::StyleUnderline;
    m_matrix.setEntryText(index, core::toCharText(m_text->text().left(core::CharText::kCapacity)), style);
    QTreeWidgetItem *item = m_list->topLevelItem(findMatrixRow(index));
    writeRow(item, index);
    focusRow(item);
    m_list->setFocus();
}

void MatrixEditor::deleteSelected()
{
    const int index = selectedIndex();
    if (index < 1) {
        m_list->setFocus();
        return;
    }
    const QString question = message(core::Msg::Confirm) + QStringLiteral("\r\n") + message(core::Msg::DeleteCharacter) +
                             QLatin1Char(' ') + core::fromCharText(m_matrix.entry(index).text) + QStringLiteral(" \"?");
    if (m_prompt.confirmYesNo(question) == core::Answer::Yes) {
        m_matrix.markDeleted(index);
        const int row = findMatrixRow(index);
        delete m_list->takeTopLevelItem(row);
        const int rows = m_list->topLevelItemCount();
        updateCount();
        if (rows > 0)
            focusRow(m_list->topLevelItem(std::min(row, rows - 1)));
        showSelectedChar();
        updateButtons();
    }
    m_list->setFocus();
}

void MatrixEditor::typeAhead(const QString &typed)
{
    const QChar first = typed.at(0);
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = m_list->topLevelItem(row);
        const QString text = item->text(TextColumn);
        const QChar head = text.isEmpty() ? QLatin1Char(' ') : text.at(0);
        if (head == first) {
            focusRow(item);
            m_list->setFocus();
            return;
        }
    }
}

void MatrixEditor::setOnTop(bool onTop)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show(); // changing the flags hides the window
}

void MatrixEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_list->setFocus();
    showSelectedChar();
    updateButtons();
    updateCount();
    showComment();
}

bool MatrixEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        if (key->key() == Qt::Key_Delete) {
            deleteSelected();
            return true;
        }
        // Printable keys jump to the first entry whose text starts with them.
        if (!typed.isEmpty() && typed.at(0).isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            typeAhead(typed);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace glyfex::recognition::ui
