// The input dialog's lists as plain data: the file rows (path, size, tick) and the stream items.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace glyfex::ripping {

// One input file row. The path, its size and its tick travel together, so a ticked row can
// never read another row's file however the rows are sorted or moved.
struct InputFileRow {
    QString path;
    int64_t size = 0;
    bool ticked = false;
};

// The row text: the file name padded to 28 characters (a longer one keeps its first 5 and last
// 21 characters around "//"), then its size in kB right-aligned in 8 characters.
QString inputRowText(const QString &fileName, int64_t size);

// Rows for the given files, sorted once by path; sizes are read from the files (0 when missing).
// A single row is ticked; with autoSelect every row but a title set's menu VOB (*_0.VOB) is.
std::vector<InputFileRow> makeInputRows(const QStringList &paths, bool autoSelect);

// Moves row `from` one place up (-1) or down (+1); false when it is already at that end.
bool moveInputRow(std::vector<InputFileRow> &rows, int from, int direction);

bool anyRowTicked(const std::vector<InputFileRow> &rows);

// One entry of the stream list: its number and its text "NN - name".
struct StreamItem {
    int number = 0;
    QString text;
};

// Streams with a name, or all 32 when showAll is set.
std::vector<StreamItem> streamItems(const std::array<QString, 32> &names, bool showAll);

// The stream number written in an item's first two characters; nothing when they are not digits.
std::optional<int> streamNumberOfItem(QStringView item);

// The character location named by a stream item: the name without the number, the scan mark "~"
// and the display-mode word. "00 - English 0, wide" gives "English",
// "03 - Latvian, Lettish 3, wide" gives "Latvian, Lettish". A cut name without a blank is kept whole.
QString characterLocationOfItem(QStringView item);

} // namespace glyfex::ripping
