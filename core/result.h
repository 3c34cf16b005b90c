// Result of reading outside data or of an operation that can fail: a value, or an error saying what, where and why.
#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace glyfex::core {

// What failed, where (file, line, byte offset, entry) and why; message() joins them for a dialog.
struct Error {
    QString what;
    QString where;
    QString why;

    QString message() const
    {
        QString text = what;
        if (!where.isEmpty())
            text += QStringLiteral(" (") + where + QLatin1Char(')');
        if (!why.isEmpty())
            text += QStringLiteral(": ") + why;
        return text;
    }
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T &value() & { return std::get<T>(m_state); }
    const T &value() const & { return std::get<T>(m_state); }
    T &&value() && { return std::get<T>(std::move(m_state)); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }

    const Error &error() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error &error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

inline Error makeError(QString what, QString where, QString why = {})
{
    return Error{std::move(what), std::move(where), std::move(why)};
}

} // namespace glyfex::core
