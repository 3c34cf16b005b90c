// Input rows and stream items: the input dialog's rules, kept apart from its widgets.
#include "ripping/input_selection.h"

#include "ripping/dvd_files.h"

#include <QFileInfo>

#include <algorithm>

namespace glyfex::ripping {

QString inputRowText(const QString &fileName, int64_t size)
{
    QString name = fileName.size() > 28 ? fileName.left(5) + QStringLiteral("//") + fileName.right(21)
                                        : fileName.leftJustified(28, QLatin1Char(' '));
    return name + QStringLiteral(" [") + QString::number(size / 1024).rightJustified(8, QLatin1Char(' '))
         + QStringLiteral(" kB]");
}

std::vector<InputFileRow> makeInputRows(const QStringList &paths, bool autoSelect)
{
    std::vector<InputFileRow> rows;
    rows.reserve(size_t(paths.size()));
    for (const QString &path : paths) {
        QFileInfo info(path);
        rows.push_back({path, info.exists() ? info.size() : 0, false});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const InputFileRow &a, const InputFileRow &b) {
        return a.path.compare(b.path, Qt::CaseInsensitive) < 0;
    });
    if (rows.size() == 1)
        rows.front().ticked = true;
    if (autoSelect) {
        for (InputFileRow &row : rows) {
            if (!isMenuVob(row.path))
                row.ticked = true;
        }
    }
    return rows;
}

bool moveInputRow(std::vector<InputFileRow> &rows, int from, int direction)
{
    const int to = from + (direction < 0 ? -1 : 1);
    if (from < 0 || from >= int(rows.size()) || to < 0 || to >= int(rows.size()))
        return false;
    std::swap(rows[size_t(from)], rows[size_t(to)]);
    return true;
}

bool anyRowTicked(const std::vector<InputFileRow> &rows)
{
    return std::any_of(rows.begin(), rows.end(), [](const InputFileRow &r) { return r.ticked; });
}

std::vector<StreamItem> streamItems(const std::array<QString, 32> &names, bool showAll)
{
    std::vector<StreamItem> items;
    for (int i = 0; i < 32; ++i) {
        if (showAll || !names[size_t(i)].isEmpty())
            items.push_back({i, QStringLiteral("%1 - ").arg(i, 2, 10, QLatin1Char('0')) + names[size_t(i)]});
    }
    return items;
}

std::optional<int> streamNumberOfItem(QStringView item)
{
    if (item.size() < 2 || !item[0].isDigit() || !item[1].isDigit())
        return std::nullopt;
    return item[0].digitValue() * 10 + item[1].digitValue();
}

QString characterLocationOfItem(QStringView item)
{
    QString name = item.size() > 5 ? item.mid(5).toString() : QString();
    if (name.startsWith(QLatin1Char('~')))
        name.remove(0, 1);
    const qsizetype firstComma = name.indexOf(QLatin1Char(','));
    if (firstComma < 0)
        return name; // names from a VobSub index carry no display mode
    const qsizetype secondComma = name.indexOf(QLatin1Char(','), firstComma + 1);
    name.truncate(secondComma >= 0 ? secondComma : firstComma);
    // Drop the stream number / display word after the last blank; a name without one stays whole
    // rather than becoming empty.
    const qsizetype lastBlank = name.lastIndexOf(QLatin1Char(' '));
    if (lastBlank >= 0)
        name.truncate(lastBlank);
    return name;
}

} // namespace glyfex::ripping
