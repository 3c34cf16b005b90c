// Where the tests find their checked-in data, and scratch folders that clean up after themselves.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace glyfex::test {

// Absolute path of a file below tests/data.
QString dataPath(const QString &relative);
// The whole file, or a test failure when it cannot be read.
std::vector<uint8_t> readBytes(const QString &path);
// Writes bytes to a file, creating folders; fails the test on error.
void writeBytes(const QString &path, const QByteArray &bytes);

} // namespace glyfex::test
