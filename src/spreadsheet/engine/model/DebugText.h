#pragma once

#include <QByteArray>
#include <QDebug>
#include <optional>

// The debug text of `value` as a new[]-allocated C string, the form QTest's
// toString() overloads hand back; an empty optional reads "nullopt".
template<typename T>
char *debugText(const T &value)
{
    return qstrdup(QDebug::toString(value).toUtf8().constData());
}

template<typename T>
char *debugText(const std::optional<T> &value)
{
    return value ? debugText(*value) : qstrdup("nullopt");
}
