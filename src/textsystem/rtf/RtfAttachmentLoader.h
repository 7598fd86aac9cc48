#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The bytes of an RTFD attachment file named in a \NeXTGraphic group, or
// nullopt when the package has no such file.
using RtfAttachmentLoader = std::function<std::optional<QByteArray>(const QString &fileName)>;
