#include "DocumentNameCheck.h"

bool checkDocumentName(const QString &name, QString *reason)
{
    if (name.isEmpty()) {
        *reason = QStringLiteral("The file name is empty");
        return false;
    }
    if (name.contains(u'/')) {
        *reason = QStringLiteral("The file name \"%1\" contains \"/\"").arg(name);
        return false;
    }
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) {
            *reason = QStringLiteral("The file name contains the control character U+%1")
                          .arg(QString::number(u, 16).toUpper().rightJustified(4, u'0'));
            return false;
        }
    }
    return true;
}
