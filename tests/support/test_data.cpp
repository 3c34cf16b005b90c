// Where the tests find their checked-in data.
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace glyfex::test {

QString dataPath(const QString &relative)
{
    return QStringLiteral(GLYFEX_TEST_DATA_DIR "/") + relative;
}

std::vector<uint8_t> readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    QByteArray all = f.readAll();
    return std::vector<uint8_t>(all.begin(), all.end());
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

} // namespace glyfex::test
