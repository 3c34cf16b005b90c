// Open, save, save as and new for the character matrix, with the question that protects a changed matrix.
#include "recognition/ui/matrix_commands.h"

#include "app/app.h"
#include "core/messages.h"
#include "core/pass_host.h"
#include "core/save_name.h"
#include "core/ui/dialog_owner.h"
#include "recognition/char_matrix_file.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QWidget>

namespace glyfex::recognition::ui {

namespace {

const QString kFilter = QStringLiteral("Glyfex Character Matrix (*.gxc)|*.gxc");
const QString kNewFileName = QStringLiteral("New File");

// The input dialog's bar follows the load: its maximum is twice the entries (the load, then the
// editor's list), so the load fills the first half.
class BarHost : public core::PassHost {
public:
    explicit BarHost(QProgressBar *bar) : m_bar(bar) {}
    void progress(int64_t done, int64_t total) override
    {
        if (!m_bar)
            return;
        m_bar->setMaximum(int(std::min<int64_t>(total * 2 + 1, INT32_MAX)));
        m_bar->setValue(int(std::min<int64_t>(done + 1, m_bar->maximum())));
    }
    core::PumpResult pump() override { return core::PumpResult::Continue; }

private:
    QProgressBar *m_bar;
};

} // namespace

MatrixCommands::MatrixCommands(app::App &app, CharMatrix &matrix, std::function<uint16_t()> codePage,
                               QWidget *dialogParent, QObject *parent)
    : QObject(parent), m_app(app), m_matrix(matrix), m_codePage(std::move(codePage)), m_dialogParent(dialogParent)
{
    m_folder = m_app.paths.chMatrixDir();
}

void MatrixCommands::setEditor(QWidget *editor)
{
    m_editor = editor;
    Q_EMIT editorAvailable(editor != nullptr);
}

void MatrixCommands::view()
{
    if (!m_editor)
        return;
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

bool MatrixCommands::confirmSaveMatrix()
{
    if (!m_matrix.isModified() || m_matrix.count() == 0)
        return true;
    // A matrix never saved has no name: its place in the sentence is left out with its blank.
    const QString name = QFileInfo(m_matrix.fileName()).fileName();
    const QString question = m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                             m_app.message(core::Msg::CharacterMatrix) + QLatin1Char(' ') +
                             (name.isEmpty() ? QString() : name + QLatin1Char(' ')) +
                             m_app.message(core::Msg::HasBeenModified) + QLatin1Char('\r') +
                             m_app.message(core::Msg::DoYouWantToSaveIt);
    switch (m_app.prompt().confirm(question)) {
    case core::Answer::Yes:
        // A cancelled name dialog goes on as the user chose; a save that failed (its error shown)
        // stops, or the matrix the user wanted kept would be lost with the close or the new matrix.
        return saveCommand() != SaveOutcome::Failed;
    case core::Answer::No:
        return true;
    default:
        return false;
    }
}

bool MatrixCommands::save()
{
    return saveCommand() == SaveOutcome::Saved;
}

MatrixCommands::SaveOutcome MatrixCommands::saveCommand()
{
    // A new matrix has no name, and no file of that name exists: the name is asked for.
    const bool exists = !m_matrix.fileName().isEmpty() && QFileInfo::exists(m_matrix.fileName());
    return saveMatrix(!exists, QStringLiteral("Save Characters Matrix File"));
}

bool MatrixCommands::saveAs()
{
    return saveMatrix(true, QStringLiteral("Save Characters Matrix File As")) == SaveOutcome::Saved;
}

MatrixCommands::SaveOutcome MatrixCommands::saveMatrix(bool askName, const QString &title)
{
    if (m_matrix.count() == 0) {
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                            m_app.message(core::Msg::MatrixEmpty));
        return SaveOutcome::Failed;
    }
    QString path = m_matrix.fileName();
    if (askName) {
        const QString start = path.isEmpty() ? m_folder : QDir(m_folder).filePath(QFileInfo(path).fileName());
        path = m_app.files().saveFile(core::ui::workingWindow(m_dialogParent), title, start, kFilter);
        if (path.isEmpty())
            return SaveOutcome::Cancelled;
        path = core::withDefaultExtension(path, QLatin1String(kMatrixFileExtension));
        // Asked about the name that will be written, the extension added; No writes nothing.
        if (!core::confirmReplaceFile(path, core::Msg::Confirm, m_app.messages, m_app.prompt()))
            return SaveOutcome::Cancelled;
        m_folder = QFileInfo(path).absolutePath();
    }
    if (auto saved = saveCharMatrix(m_matrix, path); !saved) {
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + saved.error().message());
        return SaveOutcome::Failed;
    }
    showMatrixName();
    return SaveOutcome::Saved;
}

void MatrixCommands::open()
{
    if (!confirmSaveMatrix())
        return;
    const QString title =
        m_openItem ? QString(m_openItem->text()).remove(u'&') : QStringLiteral("Open Characters Matrix File");
    const QString path = m_app.files().openFile(core::ui::workingWindow(m_dialogParent), title, m_folder, kFilter, 1);
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    QProgressBar *bar = m_bar;
    if (bar) {
        bar->setMinimum(1);
        bar->setValue(1);
        bar->show();
    }
    BarHost host(bar);
    auto loaded = loadCharMatrix(path, m_matrix, m_codePage ? m_codePage() : 0, host);
    if (bar)
        bar->hide();
    if (!loaded)
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") + loaded.error().message());
    // Whether or not the file was a matrix, the views show the matrix as it now is.
    if (m_changed)
        m_changed();
    showMatrixName();
}

void MatrixCommands::newMatrix()
{
    if (!confirmSaveMatrix())
        return;
    m_matrix.clear();
    if (m_changed)
        m_changed();
    showMatrixName();
}

void MatrixCommands::showMatrixName()
{
    Q_EMIT matrixNameChanged(m_matrix.fileName().isEmpty() ? kNewFileName : QFileInfo(m_matrix.fileName()).fileName());
}

} // namespace glyfex::recognition::ui
