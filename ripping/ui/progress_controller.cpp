// The Progression Controller's buttons and their results.
#include "ripping/ui/progress_controller.h"
#include "core/ui/dialog_owner.h"
#include "subtitles/ui/subtitles_window.h"

#include "app/app.h"
#include "ripping/ui/main_window.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QPushButton>

namespace glyfex::ripping::ui {

ProgressController::ProgressController(app::App &app, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_app(app)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Progression Controller"));
    auto button = [this](const char *name, const char *text) {
        auto *b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_pause = button("ButtonPause", "&Pause ||");
    m_next = button("ButtonNext", "&Next >");
    m_noStopButton = button("ButtonNoStop", "No &Stop >>");
    m_saveBmp = button("ButtonSaveAsBmp", "Save As &Bmp");
    m_saveSup = button("ButtonSaveAsSup", "Save As S&up");
    m_changeColour = button("ButtonChangeColor", "Change &Colors");
    m_next->setDefault(true);

    auto *g = new QGridLayout(this);
    g->addWidget(m_pause, 0, 0);
    g->addWidget(m_next, 0, 1);
    g->addWidget(m_noStopButton, 0, 2);
    g->addWidget(m_saveBmp, 1, 0);
    g->addWidget(m_saveSup, 1, 1);
    g->addWidget(m_changeColour, 1, 2);

    connect(m_pause, &QPushButton::clicked, this, [this] {
        if (MainWindow *main = m_app.mainWindow())
            main->togglePause(m_pause);
        done(Paused);
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        if (MainWindow *main = m_app.mainWindow())
            main->focusShowPictures();
        done(Next);
    });
    connect(m_noStopButton, &QPushButton::clicked, this, [this] {
        m_noStop = true;
        if (MainWindow *main = m_app.mainWindow())
            main->renewDragStamp();
        done(NoStop);
    });
    connect(m_saveBmp, &QPushButton::clicked, this, [this] { saveClicked(m_saveBmp, SaveBitmap); });
    connect(m_saveSup, &QPushButton::clicked, this, [this] { saveClicked(m_saveSup, SaveRaw); });
    connect(m_changeColour, &QPushButton::clicked, this, [this] {
        if (auto *dialog = qobject_cast<QDialog *>(m_app.window(QStringLiteral("Form18"))))
            core::ui::execOver(*dialog, this);
    });
}

int ProgressController::ask()
{
    return core::ui::execOver(*this, m_app.mainWindow());
}

void ProgressController::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QWidget *subtitles = m_app.subtitlesWindow())
        subtitles->hide();
    m_next->setFocus();
}

void ProgressController::saveClicked(QPushButton *button, int result)
{
    QString &base = m_app.batch.pictureBaseName;
    if (base.isEmpty()) {
        const bool bitmap = button == m_saveBmp;
        const QString name = m_app.files().saveFile(this, m_app.message(bitmap ? core::Msg::SaveBmpsFileName : core::Msg::SaveSupsFileName),
                                                    m_app.dialogFolder(m_app.config.main.saveDialogBmpSup),
                                                    bitmap ? QStringLiteral("BMP (*.bmp)|*.bmp")
                                                           : QStringLiteral("SUP (*.sup)|*.sup"));
        if (name.isEmpty())
            return; // no name, nothing saved: the controller stays open
        base = name;
        // The pictures' folder is where the next ones and their script are saved.
        m_app.config.main.saveDialogBmpSup = QFileInfo(name).absolutePath();
        if (subtitles::ui::SubtitlesWindow *subtitles = m_app.subtitlesWindow())
            subtitles->followPictureBase(name);
    }
    done(result);
}

} // namespace glyfex::ripping::ui
