// The Bitmap adjustment dialog: the six authoring-tool presets edited on the current picture, profiles, the picture's fate.
#pragma once

#include "core/ui/colour_question.h"
#include "subtitles/bitmap_adjust_session.h"

#include <QColor>
#include <QDialog>
#include <QSize>

#include <array>
#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace glyfex::app {
class App;
}

namespace glyfex::subtitles::ui {

class BitmapAdjustDialog : public QDialog {
    Q_OBJECT
public:
    explicit BitmapAdjustDialog(app::App &app, QWidget *parent = nullptr);

    BitmapAdjustSession &session() { return m_session; }
    // Shows the dialog modally for the picture about to be exported; whether that picture is saved.
    bool adjustPicture();
    // The values the controls hold now.
    core::BmpOutSettings settingsFromControls() const;

    // The colour question of the four colour shapes; tests answer it. Empty: the user cancelled.
    using ColourAsker = core::ui::ColourAsker;
    void setColourAsker(ColourAsker asker) { m_colourAsker = std::move(asker); }
    // A click on a colour shape (pixel code 0-3).
    void chooseColour(int code);

    void saveBmp();
    void saveProfile();
    void loadProfile();
    void toggleReduced();

    // The frame's height sets the limits of the height and top controls and the heights their captions
    // name (576 PAL, 480 NTSC); a minimum height beyond the frame comes within it. Stores nothing.
    void followFrameHeight(int height);

    // OK and Skip this Picture; Esc and closing the window count as OK, so the run always hears an answer.
    void accept() override;
    void reject() override;
    void skipPicture();

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QWidget *buildProfilesTab();
    QWidget *buildCroppingTab();
    QWidget *buildColoursTab();
    QWidget *buildPositioningTab();
    QWidget *buildBottomPanel();
    void fillControls(const core::BmpOutSettings &settings, int preset);
    void controlChanged();
    void presetChosen();
    void updateGroups();
    void refreshPreview();
    void shapeWindow();
    void setOutputFormat(OutputFormat format);
    void finish();
    QString profileFolder() const;

    app::App &m_app;
    BitmapAdjustSession m_session;
    ColourAsker m_colourAsker;
    bool m_subtitlesWasVisible = false;
    QSize m_wholeSize; // the size before the window was reduced

    QTabWidget *m_pages = nullptr;
    QWidget *m_bottom = nullptr;
    QPushButton *m_reduce = nullptr;
    QLabel *m_profileLabel = nullptr;

    QCheckBox *m_cropping = nullptr;
    QList<QGroupBox *> m_croppingGroups;
    QGroupBox *m_sizeGroup = nullptr;      // its caption names the frame's height
    QRadioButton *m_bottomTop = nullptr;   // likewise
    QSpinBox *m_minX = nullptr;
    QSpinBox *m_minY = nullptr;
    QSpinBox *m_divX = nullptr;
    QSpinBox *m_divY = nullptr;
    QButtonGroup *m_hAlign = nullptr;
    QButtonGroup *m_vAlign = nullptr;
    QSpinBox *m_xShift = nullptr;
    QSpinBox *m_yShift = nullptr;
    QSpinBox *m_divL = nullptr;
    QSpinBox *m_divT = nullptr;

    QButtonGroup *m_preset = nullptr;
    QComboBox *m_depth = nullptr;
    QCheckBox *m_custom = nullptr;
    QGroupBox *m_colourGroup = nullptr;
    std::array<QPushButton *, 4> m_shapes{};
    std::array<QColor, 4> m_colours;
    std::array<QSpinBox *, 4> m_contrasts{};
    QCheckBox *m_compress = nullptr;

    QCheckBox *m_positioning = nullptr;
    QList<QGroupBox *> m_positionGroups;
    QButtonGroup *m_leftMode = nullptr;
    QButtonGroup *m_topMode = nullptr;
    QSpinBox *m_leftPos = nullptr;
    QSpinBox *m_topPos = nullptr;
    QSpinBox *m_addLeft = nullptr;
    QSpinBox *m_addTop = nullptr;
};

} // namespace glyfex::subtitles::ui
