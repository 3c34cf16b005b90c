// The New Character(s) dialog: excerpt, best guess, text and style, the answer buttons, the palette, search and wake-up.
#include "recognition/ui/new_character_dialog.h"

#include "core/char_text.h"
#include "core/ini_store.h"
#include "core/ui/dialog_owner.h"
#include "core/ui/named_widget.h"
#include "recognition/char_matrix_file.h"
#include "recognition/char_palette.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace glyfex::recognition::ui {

namespace {

constexpr int kExcerptWidth = 150;
constexpr int kExcerptHeight = 50;
constexpr int kQuietIntervalMs = 10000;
constexpr int kBlinkIntervalMs = 150;

} // namespace

NewCharacterSetup NewCharacterSetup::fromPaths(const core::Paths &paths)
{
    NewCharacterSetup s;
    s.matrixFolders = paths.chMatrixDirs();
    s.charMapFile = paths.findDataFile(core::Paths::CharMapFileName);
    s.charMapWriteFile = QDir(paths.writableDataDir()).filePath(core::Paths::CharMapFileName);
    return s;
}

QImage glyphExcerpt(const GlyphQuestion &q)
{
    QImage image(kExcerptWidth, kExcerptHeight, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (uint32_t rgb : q.palette)
        table.append(0xFF000000u | rgb);
    image.setColorTable(table);
    image.fill(q.backgroundIndex);
    if (q.box < 0 || q.box >= int(q.boxes.size()))
        return image;
    const CharBox &b = q.boxes[size_t(q.box)];
    const int off = kExcerptWidth > b.width ? (kExcerptWidth - b.width) / 2 : 0;
    int top = 0;
    int bottom = 0;
    for (const CharBox &box : q.boxes) {
        if (box.dy == 0)
            top = box.y - 2;
        bottom = std::max(bottom, box.y + box.height);
    }
    const int height = bottom - top + 3;
    const int dest = (kExcerptHeight - height) / 2; // negative for a tall line: its middle shows
    for (int y = 0; y < height; ++y) {
        const int ty = dest + y;
        if (ty < 0 || ty >= kExcerptHeight)
            continue;
        uchar *row = image.scanLine(ty);
        for (int x = 0; x < kExcerptWidth; ++x) {
            const int sx = b.x - off + x;
            const int sy = top + y;
            if (q.shown.contains(sx, sy))
                row[x] = q.shown.at(sx, sy);
        }
    }
    return image;
}

NewCharacterDialog::NewCharacterDialog(RunControl &control, core::UserPrompt &prompt, NewCharacterSetup setup,
                                       QWidget *parent)
    : QDialog(parent), m_control(control), m_prompt(prompt), m_setup(std::move(setup))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("New Character(s)"));
    // No border icons: the dialog is closed by its buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_labelIndex = core::ui::runTimeText(new QLabel(this));
    m_labelIndex->setObjectName(QStringLiteral("LabelIndex"));
    m_imageChar = new QLabel(this);
    m_imageChar->setObjectName(QStringLiteral("ImageChar"));
    m_imageChar->setFixedSize(2 * kExcerptWidth, 2 * kExcerptHeight);
    m_imageChar->setAlignment(Qt::AlignCenter);
    m_bestGuess = core::ui::runTimeText(new QLabel(QStringLiteral(" (none) "), this));
    m_bestGuess->setObjectName(QStringLiteral("lBestGuess"));
    m_use = core::ui::namedButton("ButtonUseBestGuess", QStringLiteral("&Use"), this);
    m_extendLeft = core::ui::namedButton("ButtonExtendLeft", QStringLiteral("<<"), this);
    m_extendLeft->setEnabled(false);
    m_extendRight = core::ui::namedButton("ButtonExtendRight", QStringLiteral(">>"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("EditText"));
    m_edit->setMaxLength(core::CharText::kCapacity);
    m_edit->installEventFilter(this);
    m_nbChar = core::ui::runTimeText(new QLabel(QStringLiteral("0"), this));
    m_nbChar->setObjectName(QStringLiteral("LabelNbChar"));
    m_ok = core::ui::namedButton("BitBtn1", QStringLiteral("&OK"), this);
    m_ok->setDefault(true);
    m_bold = core::ui::named("BoldCheckBox", new QCheckBox(QStringLiteral("Bold"), this));
    m_italic = core::ui::named("ItalicCheckBox", new QCheckBox(QStringLiteral("Italic"), this));
    m_underline = core::ui::named("UnderlineCheckBox", new QCheckBox(QStringLiteral("Underline"), this));
    m_remember = core::ui::named("RememberCheckBox", new QCheckBox(QStringLiteral("Remember"), this));
    m_remember->setChecked(true);
    m_remember->setToolTip(QStringLiteral("Remember last typed style"));
    m_skipLine = core::ui::namedButton("ButtonSkipLine", QStringLiteral("Skip this &Line"), this);
    m_skipPicture = core::ui::namedButton("ButtonSkipSubPict", QStringLiteral("Skip &SubPicture"), this);
    m_fillManually = core::ui::namedButton("ButtonFillManually", QStringLiteral("&Enter manually"), this);
    m_changeColour = core::ui::namedButton("ButtonChangeColor", QStringLiteral("&Change text color"), this);
    m_sameAsLast = core::ui::namedButton("ButtonSameAsLast", QStringLiteral("S&ame as last sub"), this);
    m_sameAsLast->setEnabled(false);
    m_sameAsLast->hide();
    m_search = core::ui::namedButton("ButtonSearchMatrix", QStringLiteral("Search for\nmatch"), this);
    m_fillMatrix = core::ui::namedButton("ButtonFillMatrix", QStringLiteral("&Fill matrix"), this);
    m_pause = core::ui::namedButton("ButtonPause", QStringLiteral("&Pause / Abort"), this);
    m_charmap = core::ui::namedButton("ButtonCharmap", QStringLiteral("Character Map"), this);
    if (m_setup.charMapProgram.isEmpty())
        for (const char *program : {"gucharmap", "kcharselect", "charmap"})
            if (m_setup.charMapProgram.isEmpty())
                m_setup.charMapProgram = QStandardPaths::findExecutable(QLatin1String(program));
    m_charmap->setEnabled(!m_setup.charMapProgram.isEmpty());
    m_location = new QComboBox(this);
    m_location->setObjectName(QStringLiteral("ComboBoxCharLoc"));
    m_location->setEditable(true);
    m_location->setInsertPolicy(QComboBox::InsertAlphabetically);
    // Enter there takes the typed location; it must not go on to the default button and answer.
    m_location->installEventFilter(this);
    m_grid = new QTableWidget(3, 2, this);
    m_grid->setObjectName(QStringLiteral("sg"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setDefaultSectionSize(20);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setFixedHeight(3 * 20 + 2 * m_grid->frameWidth() + 20);
    m_grid->viewport()->installEventFilter(this);
    m_wakeUp = new QTimer(this);
    m_wakeUp->setObjectName(QStringLiteral("TimerWakeUp"));
    m_wakeUp->setInterval(kQuietIntervalMs);
    m_changeColourTimer = new QTimer(this);
    m_changeColourTimer->setObjectName(QStringLiteral("TimerChangeColor"));
    m_changeColourTimer->setInterval(500);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_labelIndex);
    auto *top = new QHBoxLayout;
    top->addWidget(m_imageChar);
    auto *guess = new QVBoxLayout;
    guess->addWidget(m_bestGuess);
    guess->addWidget(m_use);
    auto *arrows = new QHBoxLayout;
    arrows->addWidget(m_extendLeft);
    arrows->addWidget(m_extendRight);
    guess->addLayout(arrows);
    top->addLayout(guess);
    layout->addLayout(top);
    auto *text = new QHBoxLayout;
    text->addWidget(m_edit);
    text->addWidget(m_nbChar);
    text->addWidget(m_ok);
    layout->addLayout(text);
    auto *styles = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(m_bold), static_cast<QWidget *>(m_italic),
                       static_cast<QWidget *>(m_underline), static_cast<QWidget *>(m_remember)})
        styles->addWidget(w);
    layout->addLayout(styles);
    auto *buttons = new QGridLayout;
    buttons->addWidget(m_skipLine, 0, 0);
    buttons->addWidget(m_skipPicture, 0, 1);
    buttons->addWidget(m_fillManually, 0, 2);
    buttons->addWidget(m_changeColour, 1, 0);
    buttons->addWidget(m_sameAsLast, 1, 0); // the same place: the video viewer shows it instead
    buttons->addWidget(m_search, 1, 1);
    buttons->addWidget(m_fillMatrix, 1, 2);
    buttons->addWidget(m_pause, 2, 0);
    buttons->addWidget(m_charmap, 2, 1);
    buttons->addWidget(m_location, 2, 2);
    layout->addLayout(buttons);
    layout->addWidget(m_grid);

    connect(m_ok, &QPushButton::clicked, this, [this] {
        // An entry without text would make every later glyph of this shape vanish without a word: an
        // empty field is no answer, and the question stays open.
        if (m_edit->text().isEmpty()) {
            QApplication::beep();
            focusEditText();
            return;
        }
        finish(AnswerCode::Ok);
    });
    connect(m_use, &QPushButton::clicked, this, [this] {
        useBestGuess();
        finish(AnswerCode::Ok);
    });
    connect(m_skipLine, &QPushButton::clicked, this, [this] { finish(AnswerCode::SkipLine); });
    connect(m_skipPicture, &QPushButton::clicked, this, [this] { finish(AnswerCode::SkipSubPicture); });
    connect(m_pause, &QPushButton::clicked, this, [this] { pauseAction(); });
    connect(m_changeColour, &QPushButton::clicked, this, [this] {
        m_control.requestColourChange();
        m_answerCode = AnswerCode::Pause;
        m_changeColourTimer->start();
        m_closing = true;
        done(QDialog::Accepted);
    });
    connect(m_fillMatrix, &QPushButton::clicked, this, [this] {
        m_control.requestFillMatrix();
        m_answerCode = AnswerCode::Pause;
        m_changeColourTimer->start();
        m_closing = true;
        done(QDialog::Accepted);
    });
    connect(m_fillManually, &QPushButton::clicked, this, [this] { finish(AnswerCode::FillManually); });
    connect(m_extendLeft, &QPushButton::clicked, this, [this] {
        m_extendRight->setEnabled(true);
        finish(AnswerCode::ExtendLeft);
    });
    connect(m_extendRight, &QPushButton::clicked, this, [this] {
        m_extendLeft->setEnabled(true);
        finish(AnswerCode::ExtendRight);
    });
    connect(m_sameAsLast, &QPushButton::clicked, this, [this] {
        m_control.sameAsLast();
        finish(AnswerCode::SameAsLast);
    });
    connect(m_search, &QPushButton::clicked, this, [this] { searchMatrix(); });
    connect(m_charmap, &QPushButton::clicked, this, [this] {
        QProcess::startDetached(m_setup.charMapProgram, {});
        focusEditText();
    });
    for (QCheckBox *c : {m_bold, m_italic, m_underline})
        connect(c, &QCheckBox::toggled, this, [this] { styleChanged(); });
    connect(m_remember, &QCheckBox::toggled, this, [this] { focusEditText(); });
    connect(m_edit, &QLineEdit::textChanged, this, [this] { textChanged(); });
    connect(m_location, &QComboBox::currentTextChanged, this, [this] { loadPalette(); });
    connect(m_wakeUp, &QTimer::timeout, this, [this] { wakeUpTick(); });
    connect(m_changeColourTimer, &QTimer::timeout, this, [this] { changeColourTick(); });

    // The locations are the palette file's sections; punctuation is shared by all of them.
    auto ini = core::IniStore::open(paletteFile());
    if (ini.ok()) {
        const QSignalBlocker block(m_location);
        m_location->addItems(charPaletteLocations(*ini));
        m_location->setCurrentIndex(-1);
        m_location->setEditText(QString());
    }
    loadPalette();
}

QString NewCharacterDialog::message(int index) const
{
    return m_setup.messages ? m_setup.messages->text(index) : core::builtInMessage(index);
}

QStringList NewCharacterDialog::locations() const
{
    QStringList out;
    for (int i = 0; i < m_location->count(); ++i)
        out.append(m_location->itemText(i));
    return out;
}

void NewCharacterDialog::setLocation(const QString &location)
{
    m_location->setEditText(location);
    loadPalette();
}

int NewCharacterDialog::locationIndexOf(const QString &language) const
{
    int index = m_location->findText(language, Qt::MatchExactly);
    for (int i = 0; i < m_location->count() && index < 0 && !language.isEmpty(); ++i)
        if (m_location->itemText(i).contains(language.left(4)))
            index = i;
    return index;
}

void NewCharacterDialog::chooseLocation(const QString &language)
{
    int index = locationIndexOf(language);
    if (index < 0) {
        m_location->addItem(language); // sorted in by the insert policy
        index = m_location->findText(language, Qt::MatchExactly);
    }
    const QSignalBlocker block(m_location);
    m_location->setCurrentIndex(index);
    loadPalette();
}

GlyphAnswer NewCharacterDialog::askGlyph(const GlyphQuestion &question)
{
    if (m_setup.follow)
        m_setup.follow(m_setup);
    m_question = &question;
    m_edit->clear();
    if (question.bestGuess.isEmpty()) {
        m_use->setEnabled(false);
        m_bestGuess->setText(QStringLiteral(" (none) "));
        m_bestGuess->setFont(font());
    } else {
        m_use->setEnabled(true);
        m_bestGuess->setText(QLatin1Char(' ') + question.bestGuess + QLatin1Char(' '));
        QFont f = font();
        f.setBold(question.bestGuessStyle & 1);
        f.setItalic(question.bestGuessStyle & 2);
        f.setUnderline(question.bestGuessStyle & 4);
        m_bestGuess->setFont(f);
    }
    m_labelIndex->setText(message(core::Msg::SymbolIndex) + QLatin1Char(' ') + QString::number(question.nextEntryNumber));
    m_imageChar->setPixmap(QPixmap::fromImage(glyphExcerpt(question).scaled(2 * kExcerptWidth, 2 * kExcerptHeight)));
    m_extendLeft->setEnabled(question.buttons.extendLeft);
    m_extendRight->setEnabled(question.buttons.extendRight);
    m_skipLine->setEnabled(question.buttons.skipLine);
    m_search->setEnabled(question.buttons.searchMatrix);
    m_changeColour->setVisible(!question.buttons.sameAsLast);
    m_changeColour->setEnabled(question.buttons.changeColour);
    m_fillMatrix->setEnabled(question.buttons.fillMatrix);
    m_fillManually->setEnabled(question.buttons.fillManually);
    m_sameAsLast->setVisible(question.buttons.sameAsLast);
    m_sameAsLast->setEnabled(question.buttons.sameAsLast);

    m_closing = false;
    core::ui::execOver(*this, parentWidget());
    m_wakeUp->stop();

    GlyphAnswer a;
    a.text = core::toCharText(m_edit->text());
    a.style = uint8_t((m_bold->isChecked() ? 1 : 0) | (m_italic->isChecked() ? 2 : 0) | (m_underline->isChecked() ? 4 : 0));
    a.code = m_answerCode;
    // Remember keeps the last style for the next question, also the style of an entry found in another
    // matrix.
    if (!m_remember->isChecked())
        setStyleBoxes(0);
    m_question = nullptr;
    return a;
}

void NewCharacterDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_answerCode = AnswerCode::Pause;
    m_blinkCount = 0;
    setPalette(QApplication::palette());
    m_wakeUp->stop();
    m_wakeUp->setInterval(m_setup.wake.fill ? m_setup.wake.fillSeconds * 1000 : kQuietIntervalMs);
    if (m_setup.wake.wakeUp || m_setup.wake.fill)
        m_wakeUp->start();
    // The first question chooses the palette location from the interface language; later ones keep
    // what the user chose.
    if (m_location->count() > 0 && m_location->currentText().size() < 4) {
        const int index = locationIndexOf(m_setup.languageName);
        if (index >= 0)
            m_location->setCurrentIndex(index);
        else if (!m_location->currentText().isEmpty())
            m_location->addItem(m_location->currentText());
        loadPalette();
    }
    focusEditText();
}

void NewCharacterDialog::finish(AnswerCode code)
{
    m_answerCode = code;
    m_closing = true;
    done(QDialog::Accepted);
}

void NewCharacterDialog::pauseAction()
{
    m_control.pauseAndRewind();
    finish(AnswerCode::Pause);
}

void NewCharacterDialog::reject()
{
    if (!m_closing)
        pauseAction();
}

void NewCharacterDialog::closeEvent(QCloseEvent *event)
{
    // However the window is closed, the picture must not be lost: the run pauses on it.
    if (!m_closing && isVisible()) {
        event->ignore();
        pauseAction();
        return;
    }
    QDialog::closeEvent(event);
}

void NewCharacterDialog::setStyleBoxes(uint8_t style)
{
    m_bold->setChecked(style & 1);
    m_italic->setChecked(style & 2);
    m_underline->setChecked(style & 4);
}

void NewCharacterDialog::useBestGuess()
{
    if (!m_question || m_question->bestGuess.isEmpty())
        return;
    setStyleBoxes(m_question->bestGuessStyle);
    m_edit->setText(m_question->bestGuess);
}

void NewCharacterDialog::focusEditText()
{
    if (!isVisible())
        return;
    m_edit->setFocus();
    m_edit->setCursorPosition(int(m_edit->text().size()));
}

void NewCharacterDialog::styleChanged()
{
    focusEditText();
    QFont f = m_edit->font();
    f.setBold(m_bold->isChecked() || m_italic->isChecked());
    f.setItalic(m_italic->isChecked());
    m_edit->setFont(f);
}

void NewCharacterDialog::textChanged()
{
    m_nbChar->setText(QString::number(m_edit->text().size()));
    m_wakeUp->stop();
    if (m_setup.wake.fill)
        m_wakeUp->setInterval(m_setup.wake.fillSeconds * 1000);
    if (isVisible() && (m_setup.wake.wakeUp || m_setup.wake.fill))
        m_wakeUp->start();
}

bool NewCharacterDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::ControlModifier) {
            switch (key->key()) {
            case Qt::Key_B:
                m_bold->toggle();
                return true;
            case Qt::Key_I:
                m_italic->toggle();
                return true;
            case Qt::Key_U:
                m_underline->toggle();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (m_use->isEnabled()) {
                    useBestGuess();
                    focusEditText();
                }
                return true;
            case Qt::Key_Left:
                if (m_extendLeft->isEnabled())
                    m_extendLeft->click();
                return true;
            case Qt::Key_Right:
                if (m_extendRight->isEnabled())
                    m_extendRight->click();
                return true;
            default:
                break;
            }
        }
    }
    if (watched == m_location && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // The box takes the key as it always does (its line edit chooses the location), and the
            // key stops here instead of going up to the dialog, which would press OK.
            static_cast<QObject *>(m_location)->event(event);
            event->accept();
            return true;
        }
    }
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex index = m_grid->indexAt(mouse->position().toPoint());
        if (index.isValid() && (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton))
            paletteClicked(index.row(), index.column(), mouse->button() == Qt::RightButton);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void NewCharacterDialog::loadPalette()
{
    CharPalette palette;
    if (auto ini = core::IniStore::open(paletteFile()); ini.ok()) {
        auto read = readCharPalette(*ini, m_location->currentText());
        const QString error = read.ok() ? QString() : read.error().message();
        if (read.ok())
            palette = std::move(*read);
        else if (error != m_paletteError)
            m_prompt.error(error); // the palette stays empty
        m_paletteError = error;
    }
    const QStringList rows[3] = {palette.small, palette.capital, palette.punctuation};
    int columns = 2;
    for (const QStringList &r : rows)
        columns = std::max(columns, int(r.size()) + 2); // always one empty cell after the last piece
    m_grid->clearContents();
    m_grid->setColumnCount(columns);
    const QString titles[3] = {message(core::Msg::Small), message(core::Msg::Caps), message(core::Msg::Punct)};
    for (int r = 0; r < 3; ++r) {
        m_grid->setItem(r, 0, new QTableWidgetItem(titles[r]));
        for (int c = 0; c < int(rows[r].size()); ++c)
            m_grid->setItem(r, c + 1, new QTableWidgetItem(rows[r][c]));
    }
    m_grid->setColumnWidth(0, 50);
    focusEditText();
}

QString NewCharacterDialog::paletteFile() const
{
    // Once a paste has made the user's copy, it is the palette: reading the shipped file again would
    // take the pasted cells away, and the next paste would write the file without them.
    if (!m_setup.charMapWriteFile.isEmpty() && QFileInfo(m_setup.charMapWriteFile).isFile())
        return m_setup.charMapWriteFile;
    return m_setup.charMapFile;
}

void NewCharacterDialog::savePalette()
{
    // The palette as read, written to the user's copy: the first paste copies every shipped location
    // along (a file that is not there opens as an empty store, so it cannot tell).
    core::IniStore ini(m_setup.charMapWriteFile.isEmpty() ? m_setup.charMapFile : m_setup.charMapWriteFile);
    if (auto current = core::IniStore::open(paletteFile()); current.ok())
        ini.setStrings(current->strings());
    auto cells = [this](int row, const QString &separator) {
        QString out;
        for (int c = 1; c < m_grid->columnCount(); ++c) {
            const QTableWidgetItem *item = m_grid->item(row, c);
            if (item && !item->text().isEmpty())
                out += item->text() + separator;
        }
        return out;
    };
    const QString loc = m_location->currentText();
    if (!loc.isEmpty()) {
        ini.writeString(loc, QStringLiteral("Small"), cells(0, QStringLiteral("*")));
        ini.writeString(loc, QStringLiteral("Capital"), cells(1, QStringLiteral("*")));
    }
    ini.writeString(kPalettePunctuation, QStringLiteral("All"), cells(2, QString()));
    if (auto written = ini.updateFile(); !written)
        m_prompt.error(written.error().message());
}

void NewCharacterDialog::paletteClicked(int row, int column, bool rightButton)
{
    if (column < 1)
        return;
    if (!rightButton) {
        const QTableWidgetItem *item = m_grid->item(row, column);
        if (item && !item->text().isEmpty() && m_edit->text().size() < core::CharText::kCapacity)
            m_edit->setText(m_edit->text() + item->text());
        focusEditText();
        return;
    }
    if (pasteIntoPalette(row, column))
        focusEditText();
}

bool NewCharacterDialog::pasteIntoPalette(int row, int column)
{
    if (column < 1 || row < 0 || row >= m_grid->rowCount())
        return false;
    const QString clip = QApplication::clipboard()->text();
    if (clip.isEmpty())
        return false; // nothing to paste: the cell and the file stay as they are
    const QString first = clip.at(0).isHighSurrogate() && clip.size() > 1 ? clip.left(2) : clip.left(1);
    if (row < 2 && first == QStringLiteral("*"))
        return false; // the separator of the letter rows cannot be a cell of its own
    m_grid->setItem(row, column, new QTableWidgetItem(first));
    if (column == m_grid->columnCount() - 1)
        m_grid->setColumnCount(m_grid->columnCount() + 1);
    savePalette();
    return true;
}

void NewCharacterDialog::wakeUpTick()
{
    if (m_setup.wake.fill) {
        QString text;
        if (m_question && !m_question->bestGuess.isEmpty()) {
            setStyleBoxes(m_question->bestGuessStyle);
            text = m_question->bestGuess;
        } else {
            text = m_setup.wake.fillNone;
        }
        // A learnt best guess may already carry the marks: they are not doubled.
        if (text.size() > 1) {
            const QString &b = m_setup.wake.before;
            const QString &a = m_setup.wake.after;
            while (!b.isEmpty() && text.startsWith(b))
                text.remove(0, b.size());
            while (!a.isEmpty() && text.endsWith(a))
                text.chop(a.size());
        }
        m_edit->setText(m_setup.wake.before + text + m_setup.wake.after);
        finish(m_setup.wake.addToMatrix ? AnswerCode::Ok : AnswerCode::UseTextOnly);
        return;
    }
    QPalette face = QApplication::palette();
    if (m_blinkCount == 0) {
        m_wakeUp->setInterval(kBlinkIntervalMs);
        m_blinkCount = 1;
    } else if (m_blinkCount < 25) {
        m_blinkCount += 1;
        if (m_blinkCount % 8 == 0)
            QApplication::beep();
        const bool red = palette().color(QPalette::Window) != QColor(Qt::red);
        if (red)
            face.setColor(QPalette::Window, Qt::red);
        setPalette(face);
    }
    if (m_blinkCount >= 25) {
        m_wakeUp->setInterval(kQuietIntervalMs);
        m_blinkCount = 0;
        setPalette(QApplication::palette());
    }
}

void NewCharacterDialog::changeColourTick()
{
    if (m_control.takeAutomaticResume()) {
        m_changeColourTimer->stop();
        if (m_resumeRun)
            m_resumeRun();
    } else if (!m_control.automaticResumePending()) {
        m_changeColourTimer->stop(); // the run took up the request and resumed by itself
    }
}

void NewCharacterDialog::searchMatrix()
{
    if (!m_question)
        return;
    if (m_setup.follow)
        m_setup.follow(m_setup);
    // The user's files first, then the shipped ones; a shipped file the user keeps a copy of (by its
    // name) is the user's copy.
    QStringList paths;
    QStringList names;
    for (const QString &folder : m_setup.matrixFolders) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.gxc")}, QDir::Files | QDir::Hidden | QDir::System)) {
            if (names.contains(name))
                continue;
            names.append(name);
            paths.append(dir.filePath(name));
        }
    }
    CharMatrix found;
    bool accepted = false;
    core::NullPassHost host;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &name = names.at(i);
        CharMatrix candidate;
        if (auto loaded = loadCharMatrix(paths.at(i), candidate, m_setup.codePage, host); !loaded) {
            m_prompt.warn(loaded.error().message());
            continue;
        }
        MatchOptions match = m_setup.match;
        match.reducedPicture = m_question->reducedPicture;
        const MatchResult r = matchChar(candidate, m_question->glyph, m_question->matchBox, false, match);
        if (!r.matched())
            continue;
        const Glyph &entry = candidate.entry(r.index);
        const QString text = core::fromCharText(entry.text);
        const QString q = message(core::Msg::Confirm) + QStringLiteral("\r\n") + message(core::Msg::MatrixFile) + QStringLiteral(" \"")
                        + name + QStringLiteral("\" ") + message(core::Msg::ContainCharacter) + QStringLiteral(" \"") + text
                        + QStringLiteral("\"\r") + message(core::Msg::SeemsToMatch) + QStringLiteral("\r\r")
                        + message(core::Msg::OpenThisMatrixFile);
        if (m_prompt.confirmYesNo(q) != core::Answer::Yes)
            continue;
        m_edit->setText(text);
        setStyleBoxes(entry.style);
        found.swap(candidate);
        accepted = true;
        break;
    }
    if (accepted) {
        // Adopting asks to save the current matrix's new entries first; Cancel keeps this question.
        if (m_control.adoptMatrix(found)) {
            finish(AnswerCode::MatrixLoaded);
            return;
        }
    } else {
        m_prompt.inform(message(core::Msg::Information) + QStringLiteral("\r\n") + message(core::Msg::NoMatchingMatrixFile)
                        + QLatin1Char('\r') + message(core::Msg::PlaceMatrixFilesIn) + QLatin1Char(' ')
                        + QDir::toNativeSeparators(m_setup.matrixFolders.value(0)) + QStringLiteral("\r\r")
                        + message(core::Msg::TryNextCharacter));
    }
    focusEditText();
}

QString NewCharacterDialog::characterLocation() const
{
    return m_location->currentText();
}

int NewCharacterDialog::paletteColumns() const
{
    return m_grid->columnCount();
}

int NewCharacterDialog::paletteRows() const
{
    return m_grid->rowCount();
}

QString NewCharacterDialog::paletteCell(int row, int column) const
{
    const QTableWidgetItem *item = m_grid->item(row, column);
    return item ? item->text() : QString();
}

bool NewCharacterDialog::charMapAvailable() const
{
    return m_charmap->isEnabled();
}

void NewCharacterDialog::openCharMap()
{
    m_charmap->click();
}

} // namespace glyfex::recognition::ui
