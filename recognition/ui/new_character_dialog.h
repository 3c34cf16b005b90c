// The New Character(s) dialog: shows an unknown glyph in its line and asks the user what it is.
#pragma once

#include "core/messages.h"
#include "core/paths.h"
#include "core/user_prompt.h"
#include "recognition/glyph_asker.h"
#include "recognition/matcher.h"
#include "recognition/run_control.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace glyfex::recognition::ui {

// What the dialog does when the user does not react (Global Options).
struct WakeUpOptions {
    bool wakeUp = false;        // blink and beep after a quiet interval
    bool fill = false;          // answer by itself after fillSeconds
    int fillSeconds = 5;
    QString fillNone = QStringLiteral("*");   // the text when there is no best guess
    QString before = QStringLiteral("[");     // marks put around an automatic answer
    QString after = QStringLiteral("]");
    bool addToMatrix = false;   // an automatic answer is learned
};

struct NewCharacterSetup {
    // The folders of the other matrix files that "Search for match" looks in, in order; the first is
    // the user's, where the message of a search without a match tells the user to place them.
    QStringList matrixFolders;
    QString charMapFile;        // the palette file read
    QString charMapWriteFile;   // where a changed palette is written (the user's copy)
    MatchOptions match;         // tolerances for the search
    uint16_t codePage = 1252;   // for old matrix files
    WakeUpOptions wake;
    QString languageName;       // the interface language, which chooses the first palette location
    const core::MessageTable *messages = nullptr;
    QString charMapProgram;     // the system's character map; found on the PATH when empty
    // The settings above that other windows own (Global Options' wake-up and fill, the recognition's
    // tolerances and code page, the interface language), brought up to date before each question
    // and each search, so a change made meanwhile holds for the next one. None: they stay as given.
    std::function<void(NewCharacterSetup &)> follow;

    // The palette and matrix folders of this installation.
    static NewCharacterSetup fromPaths(const core::Paths &paths);
};

// The excerpt of the shown picture that the dialog magnifies: 150 x 50 pixels, the asked box centred
// horizontally and the line centred vertically, the rest in the colour of pixel code 0.
QImage glyphExcerpt(const GlyphQuestion &question);

class NewCharacterDialog : public QDialog, public GlyphAsker {
    Q_OBJECT

public:
    NewCharacterDialog(RunControl &control, core::UserPrompt &prompt, NewCharacterSetup setup, QWidget *parent = nullptr);

    // Shows the question modally and returns the answer. Every way of closing the dialog other than
    // an answer button pauses the run, so the picture is read again on resume.
    GlyphAnswer askGlyph(const GlyphQuestion &question) override;

    // Called when a colour change or fill-matrix request may resume the run (the pass has stopped).
    void setResumeRun(std::function<void()> resume) { m_resumeRun = std::move(resume); }
    // The language whose characters the character-map button offers (the location box's text).
    QString characterLocation() const;
    // The locations of the palette file and the current one; choosing reloads the grid.
    QStringList locations() const;
    void setLocation(const QString &location);
    // A run's Start: the location of the subtitle stream's language. The location named so, else the
    // first one holding the language's first four characters, else a new location of that name.
    void chooseLocation(const QString &language);

    // The palette grid as it stands: its column count and a cell's text (empty outside the grid).
    int paletteColumns() const;
    int paletteRows() const;
    QString paletteCell(int row, int column) const;
    // The character-map button: whether it can open the program, and opening it as its click does.
    bool charMapAvailable() const;
    void openCharMap();

    // The right click on a palette cell (row 0-2, column 1 on): the cell takes the first character of the
    // clipboard and the palette file is written. false when nothing changed.
    bool pasteIntoPalette(int row, int column);

    void reject() override; // Esc and the window's close: the Pause action

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish(AnswerCode code);
    void pauseAction();
    void useBestGuess();
    void searchMatrix();
    void loadPalette();
    int locationIndexOf(const QString &language) const;
    // The palette file read: the user's copy when there is one, else the shipped file.
    QString paletteFile() const;
    void savePalette();
    void paletteClicked(int row, int column, bool rightButton);
    void focusEditText();
    void styleChanged();
    void textChanged();
    void wakeUpTick();
    void changeColourTick();
    QString message(int index) const;
    void setStyleBoxes(uint8_t style);

    RunControl &m_control;
    core::UserPrompt &m_prompt;
    NewCharacterSetup m_setup;
    std::function<void()> m_resumeRun;

    const GlyphQuestion *m_question = nullptr;
    AnswerCode m_answerCode = AnswerCode::Pause;
    int m_blinkCount = 0;
    bool m_closing = false;
    QString m_paletteError; // the palette's last refusal, told once rather than at every reload

    QLabel *m_labelIndex;
    QLabel *m_imageChar;
    QLabel *m_bestGuess;
    QPushButton *m_use;
    QPushButton *m_extendLeft;
    QPushButton *m_extendRight;
    QLineEdit *m_edit;
    QLabel *m_nbChar;
    QPushButton *m_ok;
    QCheckBox *m_bold;
    QCheckBox *m_italic;
    QCheckBox *m_underline;
    QCheckBox *m_remember;
    QPushButton *m_skipLine;
    QPushButton *m_skipPicture;
    QPushButton *m_fillManually;
    QPushButton *m_changeColour;
    QPushButton *m_sameAsLast;
    QPushButton *m_search;
    QPushButton *m_fillMatrix;
    QPushButton *m_pause;
    QPushButton *m_charmap;
    QComboBox *m_location;
    QTableWidget *m_grid;
    QTimer *m_wakeUp;
    QTimer *m_changeColourTimer;
};

} // namespace glyfex::recognition::ui
