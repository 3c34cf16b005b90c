// Lets GoogleTest print Qt strings as text in failure messages instead of as UTF-16 byte dumps.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os) { *os << l.join(QStringLiteral(" | ")).toStdString(); }
inline void PrintTo(const QPoint &p, std::ostream *os) { *os << '(' << p.x() << ", " << p.y() << ')'; }
inline void PrintTo(const QSize &s, std::ostream *os) { *os << s.width() << " x " << s.height(); }
inline void PrintTo(const QRect &r, std::ostream *os) { *os << r.width() << " x " << r.height() << " at (" << r.x() << ", " << r.y() << ')'; }
QT_END_NAMESPACE
