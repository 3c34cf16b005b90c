// The Output Format dialog (Form13): chooses the Subtitles window's format and edits the writers' options.
#pragma once

#include "core/ui/colour_question.h"
#include "subtitles/format_options.h"
#include "subtitles/output_format.h"

#include <QColor>
#include <QDialog>
#include <QList>

#include <array>
#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace glyfex::core::ui {
class WordEdit;
}

namespace glyfex::app {
class App;
}

namespace glyfex::subtitles::ui {

class SubtitlesWindow;

// Over app.formatOptions, the struct the writers read. The options of the format table move between
// the struct and the controls on showing and on Convert only, so Cancel drops what was changed. The
// header texts, offsets and frame-number rates are the writers' own inputs and reach the struct as
// they are edited (a language file may also set them), so they survive Cancel.
class OutputFormatDialog : public QDialog {
    Q_OBJECT
public:
    // The colour question of the colour shapes; tests answer it. Empty: the user cancelled.
    using ColourAsker = core::ui::ColourAsker;

    OutputFormatDialog(app::App &app, QWidget *parent = nullptr);

    void setColourAsker(ColourAsker asker) { m_colourAsker = std::move(asker); }

    // The format whose page is shown.
    OutputFormat shownFormat() const;
    // Reads every control into a copy of the options, switches the Subtitles window to the shown
    // format with them and closes. A frame rate that is no rate is reported and nothing changes.
    bool convert();

    // Colours are the configuration's 0x00BBGGRR values.
    static QColor colourOf(uint32_t bgr);
    static uint32_t bgrOf(const QColor &colour);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct TextField {
        QLineEdit *edit;
        QString FormatOptions::*value;
    };
    struct NumberField {
        QSpinBox *box;
        int FormatOptions::*value;
    };

    SubtitlesWindow *subtitlesWindow() const;
    void buildPages();
    QWidget *page(OutputFormat format);
    void optionsToControls();
    // The options of the format table from the controls; fonts that do not read stay as they were.
    void controlsToOptions(FormatOptions &o) const;
    void directControlsToOptions(FormatOptions &o) const;
    void showPageOf(QTreeWidgetItem *item);
    void selectFormat(OutputFormat format);
    // A PAL/NTSC box changed (sender) or the boxes were just filled (nullptr).
    void frameRateChanged(QComboBox *sender);
    void dropFrameClicked(bool on);
    void chooseFont(QLineEdit *edit);
    void chooseColour(QToolButton *shape);
    void setShapeColour(QToolButton *shape, uint32_t bgr);

    app::App &m_app;
    ColourAsker m_colourAsker;
    QTreeWidget *m_tree = nullptr;
    QStackedWidget *m_pages = nullptr;
    std::array<QWidget *, kOutputFormatCount> m_page{};

    std::array<QComboBox *, 8> m_rateBoxes{};
    std::array<QCheckBox *, 8> m_dropBoxes{};
    bool m_linking = false;
    bool m_filling = false;

    QList<TextField> m_texts;
    QList<NumberField> m_numbers;
    QComboBox *m_microDvdRate = nullptr;
    QList<QComboBox *> m_frameNumberRates;

    QCheckBox *m_gxtExtended = nullptr;
    QCheckBox *m_gxtColourTags = nullptr;
    QCheckBox *m_sv2PreserveStyles = nullptr;
    QCheckBox *m_maeExtended = nullptr;
    QCheckBox *m_microDvdRateLine = nullptr;
    QCheckBox *m_twoLineMax = nullptr;
    QCheckBox *m_roundTimes = nullptr;
    QButtonGroup *m_tmPlayer = nullptr;
    QButtonGroup *m_stlHorz = nullptr;
    QButtonGroup *m_stlVert = nullptr;
    std::array<QToolButton *, 4> m_stlColours{};
    std::array<QToolButton *, 4> m_ssaColours{};
    std::array<QSpinBox *, 4> m_stlContrasts{};
    core::ui::WordEdit *m_stlX = nullptr;
    core::ui::WordEdit *m_stlY = nullptr;
    QLineEdit *m_stlFont = nullptr;
    QLineEdit *m_ssaFont = nullptr;
    QLineEdit *m_sv2Font = nullptr;
    QSpinBox *m_ssaMargin = nullptr;
    QSpinBox *m_ssaMarginV = nullptr;
    QSpinBox *m_ssaBorder = nullptr;
    QSpinBox *m_ssaShadow = nullptr;
    QSpinBox *m_minimumInterval = nullptr;
};

} // namespace glyfex::subtitles::ui
