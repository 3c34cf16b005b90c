// The run control of the main road: rewinding the reading pass, assistant requests and matrix adoption.
#include "recognition/run_control.h"

#include "recognition/char_matrix_file.h"

namespace glyfex::recognition {

MainRunControl::MainRunControl(picture::SourceRun *run, OcrAssistState &assist, CharMatrix &matrix,
                               core::UserPrompt &prompt)
    : m_run(run), m_assist(assist), m_matrix(matrix), m_prompt(prompt)
{
    m_saver = [](CharMatrix &m) -> core::Result<void> {
        if (m.fileName().isEmpty())
            return core::makeError(QStringLiteral("Cannot save the character matrix"), QString(),
                                   QStringLiteral("it has no file name yet"));
        return saveCharMatrix(m, m.fileName());
    };
}

void MainRunControl::pauseAndRewind()
{
    if (m_run)
        m_run->rewindToCurrentPicture();
    if (m_pauseCommand)
        m_pauseCommand();
}

void MainRunControl::requestColourChange()
{
    m_assist.mode = OcrAssistState::ColourChangeRequested;
    pauseAndRewind();
    m_resumePending = true;
}

void MainRunControl::requestFillMatrix()
{
    m_assist.savedMode = m_assist.mode;
    m_assist.mode = OcrAssistState::FillMatrixRequested;
    pauseAndRewind();
    m_resumePending = true;
}

bool MainRunControl::sameAsLast()
{
    return m_sameAsLast ? m_sameAsLast() : false;
}

bool MainRunControl::adoptMatrix(CharMatrix &found)
{
    // Entries learned in this run live only in memory until saved: replacing the matrix silently
    // would lose them.
    if (m_matrix.isModified() && m_matrix.liveCount() > 0) {
        const core::Answer a = m_prompt.confirm(
            QStringLiteral("The current character matrix has entries that are not saved.\n"
                           "Save them before the matrix \"%1\" replaces it?")
                .arg(found.fileName().section(QLatin1Char('/'), -1)));
        if (a == core::Answer::Cancel)
            return false;
        if (a == core::Answer::Yes) {
            if (auto saved = m_saver(m_matrix); !saved) {
                m_prompt.error(saved.error().message());
                return false;
            }
        }
    }
    m_matrix.swap(found);
    found.clear();
    if (m_adopted)
        m_adopted();
    return true;
}

bool MainRunControl::takeAutomaticResume()
{
    const bool processing = m_processing ? m_processing() : (m_run && m_run->processing());
    if (!m_resumePending || processing)
        return false;
    m_resumePending = false;
    return true;
}

} // namespace glyfex::recognition
