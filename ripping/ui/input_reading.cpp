// The input dialog's reading step, joining the file finder and the IFO and index readers.
#include "ripping/ui/input_reading.h"

namespace glyfex::ripping::ui {

core::Result<ReadInput> readInputFile(const QString &path, core::UserPrompt &)
{
    return core::makeError(QStringLiteral("Cannot read the input"), path, QStringLiteral("no reader for it yet"));
}

} // namespace glyfex::ripping::ui
