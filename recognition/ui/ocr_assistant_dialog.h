// The OCR assistant: choosing the text colours, filling the matrix from a font, typing a picture's text by hand.
#pragma once

#include "core/messages.h"
#include "core/user_prompt.h"
#include "recognition/char_matrix.h"
#include "recognition/font_fill.h"
#include "recognition/ui/font_text_renderer.h"
#include "recognition/recognition_driver.h"
#include "picture/source_run.h"
#include "subtitles/subtitle_store.h"

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QStackedWidget;
class QTableWidget;

namespace glyfex::recognition::ui {

class NewCharacterDialog;

// The font the font dialog starts on: the family and style the font really resolves to. Qt's dialog keeps
// the style's name when the user picks another family and takes that family's first style when it has
// none of that name, so "Normal" of the "Sans Serif" alias became DejaVu Sans Oblique, and a whole matrix
// was learnt italic.
QFont fontDialogStart(const QFont &font);

class OcrAssistantDialog : public QDialog, public OcrAssistant {
    Q_OBJECT
public:
    enum Page { SkippedPage = 0, ColourPage = 1, FillPage = 2 };

    OcrAssistantDialog(CharMatrix &matrix, RunControl &control, core::UserPrompt &prompt,
                       const core::MessageTable *messages = nullptr, QWidget *parent = nullptr);

    // Colour and fill modes, opened by recognition before a picture when the New Character(s) dialog
    // asked for them. true when the user ended with Done.
    bool assist(const picture::DecodedPicture &picture, OcrAssistState &assist) override;

    // The skipped-item mode: the coloured picture (DVD palette indexes) of a picture that gave no text;
    // the typed lines, or suppress when the user chose another way out.
    subtitles::SkippedItemAsker::Answer askSkippedItem(const picture::CodeImage &colourIndexes);

    // The title's colours (0x00BBGGRR), for showing pictures in their own colours.
    void setDvdPalette(std::function<std::array<uint32_t, 16>()> palette) { m_dvdPalette = std::move(palette); }
    // Counts pictures skipped here.
    void setRunState(picture::SourceRun *run) { m_run = run; }
    // How recognition cuts its pictures, so that a fill learns characters of several boxes as it reads them.
    void setReading(std::function<FillReading()> reading) { m_reading = std::move(reading); }
    // Called after entries were added by a fill, once however many there were.
    void setFilledHandler(std::function<void()> handler) { m_filled = std::move(handler); }
    // The New Character(s) dialog whose palette locations and cells this window offers too.
    void setPaletteSource(NewCharacterDialog *newCharacterDialog);
    // The font the sample line starts with (the Subtitles window's list font).
    void setStartFont(const QFont &font) { m_startFont = font; }
    // The font dialog of the Font button; a test answers it in advance.
    void setFontChooser(std::function<bool(QFont &)> chooser) { m_chooseFont = std::move(chooser); }

    // The sample line's font, and the fill that Done runs in the fill mode, for the checks that
    // drive it without clicks.
    const QFont &fillFont() const { return m_fillFont; }
    void setFillFont(const QFont &font);
    FillGeometry fillGeometry() const;
    QStringList fillItemsToLearn() const;
    const FillReport &lastFill() const { return m_lastFill; }

    void done(int result) override;
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpMode(uint8_t mode);
    void showPicture(const QImage &image);
    void highlightSelectedColours();
    const FontTextRenderer &fillRenderer() const;
    void drawText();
    void rangesChecked();
    void loadPalette();
    void paletteClicked(int row, int column);
    void chooseFont();
    void skipPicture();
    void changeColour();
    void pause();
    bool finishColourMode();
    void finishFillMode();
    QImage colourPicture(const picture::CodeImage &colourIndexes) const;
    QString message(int index) const;

    CharMatrix &m_matrix;
    RunControl &m_control;
    core::UserPrompt &m_prompt;
    const core::MessageTable *m_messages;
    std::function<std::array<uint32_t, 16>()> m_dvdPalette;
    std::function<void()> m_filled;
    std::function<FillReading()> m_reading;
    std::function<bool(QFont &)> m_chooseFont;
    picture::SourceRun *m_run = nullptr;
    QPointer<NewCharacterDialog> m_paletteSource;
    std::optional<QFont> m_startFont;
    QFont m_fillFont;
    mutable std::unique_ptr<FontTextRenderer> m_renderer; // of m_fillFont
    FillReport m_lastFill;

    uint8_t m_mode = 0;
    OcrAssistState *m_state = nullptr;
    picture::CodeImage m_codes;
    int m_reduction = 1; // by which recognition reduces the picture shown (its frame's reductionFactor)
    QImage m_colourImage;
    QImage m_sample;
    bool m_suppress = false;
    bool m_afterClose = false; // the colour-change request waits until the window has closed

    QStackedWidget *m_pagesUp;
    QStackedWidget *m_pagesBottom;
    QScrollArea *m_panel;
    QLabel *m_image;
    QPushButton *m_zoom;
    QPlainTextEdit *m_memo;
    std::array<QCheckBox *, 4> m_codeBoxes{};
    QLineEdit *m_editFill;
    QLabel *m_imageText;
    QSpinBox *m_left;
    QSpinBox *m_top;
    QSpinBox *m_width;
    QSpinBox *m_height;
    QSpinBox *m_angle;
    QLineEdit *m_fillText;
    QListWidget *m_ranges;
    QLabel *m_language;
    QComboBox *m_location;
    QPushButton *m_charmap;
    QTableWidget *m_grid;
    QPushButton *m_cancel;
};

} // namespace glyfex::recognition::ui
