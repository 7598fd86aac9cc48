// Placeholder until the XLSX and Lotus readers and the XLSX writer land.
#include "ExcelDocument.h"

static bool notAvailable(ExcelError *error)
{
    if (error)
        *error = {0, QStringLiteral("This file format is not available yet")};
    return false;
}

bool ExcelDocument::exportXLSX(const QString &, ExcelError *error) { return notAvailable(error); }
bool ExcelDocument::importXLSX(const QString &, ExcelError *error) { return notAvailable(error); }
bool ExcelDocument::importLotus(const QString &, ExcelError *error) { return notAvailable(error); }
