#pragma once

// Helpers shared by the zip and unzip halves of ZipArchive; not for use
// outside this module.

#include "platform/Failure.h"

#include <QString>

#include <zip.h>

namespace ZipSupport {

// libzip's text for one of its error codes.
inline QString libzipText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace ZipSupport
